// 采集设置 and 立即采集 driven as a user drives them, clicking at the controls' places, against
// simulated recorders; each window is also grabbed to a PNG for a look.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/vardo_doc.h"
#include "archive/archive_store.h"
#include "collect/collect_run_dlg.h"
#include "collect/collect_set_dlg.h"
#include "settings/recorder_list.h"
#include "support/sim_process.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using testing::SimProcess;

// A click where the control is on the screen, on whatever widget is there.
void ClickAt(QWidget* w, QPoint local) {
    const QPoint global = w->mapToGlobal(local);
    QWidget* hit = QApplication::widgetAt(global);
    ASSERT_NE(hit, nullptr);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFromGlobal(global));
}
void ClickAt(QWidget* w) {
    ClickAt(w, w->rect().center());
}
void ClickRow(QTableWidget* t, int row) {
    ClickAt(t->viewport(), t->visualItemRect(t->item(row, 0)).center());
}

void Shot(QWidget* w, const std::string& name) {
    const std::string dir = std::string(VARDO_BIN_DIR) + "/../shots";
    fs::create_directories(dir);
    w->grab().save(QString::fromStdString(dir + "/" + name + ".png"));
}

const char* kNewest = "2026-12-01 08:00:00";

std::unique_ptr<SimProcess> StartSim(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--model", "6",        "--channels", "1",       "--interval",
                                     "0",       "--newest", kNewest,      "--freeze"};
    args.insert(args.end(), extra.begin(), extra.end());
    return std::make_unique<SimProcess>(args);
}

struct CollectDlgTest : ::testing::Test {
    void Write(const std::string& text) {
        std::ofstream(home / "SetUp.ini")
            << "[ComSet]\nBaudrate=57600\nReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n"
            << text;
    }
    // The archive holds the recorder up to `back` records before its newest.
    void Seed(const std::string& site, int back) {
        ArchiveOpen open = OpenArchive("sqlite:" + home / "Archive.db", true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok);
        RecordConfig config;
        config.channelCount = 1;
        config.present = 1;
        OfferedRecord record;
        record.time = *ParseTime(kNewest) - back;
        SourceInfo source;
        AddCounts counts;
        ASSERT_EQ(
            open.store->Add({site, 8, "ZT772"}, config, std::span(&record, 1), source, counts),
            ArchiveStatus::Ok);
    }
    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path() + "/"};
};

TEST_F(CollectDlgTest, SettingsAddChangeRemoveAndTestARecorder) {
    auto sim = StartSim();
    Write(
        "[Recorder:boiler]\nPort=COM2\nAddress=1\nJlyIndex=6\nSite=east\n[Recorder:bad]\nPort="
        "COM1\n");
    CCollectSetDlg dlg(doc);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ASSERT_EQ(dlg.table->rowCount(), 1);
    EXPECT_EQ(dlg.problems->text(), "Recorder:bad: no Address");

    dlg.nameEdit->setText("kiln");
    dlg.portEdit->setText(QString::fromStdString(sim->device));
    dlg.modelCombo->setCurrentIndex(dlg.modelCombo->findData(6));
    ClickAt(dlg.addButton);
    const RecorderEntry kiln{"kiln", sim->device, 8, 6, std::nullopt, ""};
    EXPECT_EQ(ReadRecorderList(home / "SetUp.ini").recorders.back(), kiln);
    ASSERT_EQ(dlg.table->rowCount(), 2);

    // A second recorder of the same name is refused and nothing is written.
    ClickAt(dlg.addButton);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, "已有名为 kiln 的仪表。");

    ClickAt(dlg.testButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy(); }));
    EXPECT_TRUE(dlg.testResult->text().startsWith(QString::fromUtf8(
        "时间范围：2026-11-30 13:47:45 => 2026-12-01 08:00:00\n记录间隔：1秒  通道数：1")))
        << dlg.testResult->text().toStdString();
    Shot(&dlg, "collect_settings");

    ClickRow(dlg.table, 0);
    EXPECT_EQ(dlg.nameEdit->text(), "boiler");
    EXPECT_EQ(dlg.siteEdit->text(), "east");
    dlg.nameEdit->setText("furnace");
    dlg.baudCombo->setCurrentIndex(dlg.baudCombo->findData(9600));
    ClickAt(dlg.changeButton);
    const RecorderEntry furnace{"furnace", "COM2", 1, 6, 9600, "east"};
    EXPECT_EQ(ReadRecorderList(home / "SetUp.ini").recorders,
              (std::vector<RecorderEntry>{kiln, furnace}));

    ClickRow(dlg.table, 0);
    ClickAt(dlg.removeButton);
    EXPECT_EQ(ReadRecorderList(home / "SetUp.ini").recorders, std::vector<RecorderEntry>{furnace});
}

TEST_F(CollectDlgTest, CollectNowShowsEachRecorderAndStopLeavesNothing) {
    auto a = StartSim();
    auto mute = StartSim({"--stall", "1"});
    Write("[Recorder:a]\nPort=" + a->device +
          "\nAddress=8\nJlyIndex=6\nSite=a\n[Recorder:mute]\nPort=" + mute->device +
          "\nAddress=8\nJlyIndex=6\nSite=mute\n");
    Seed("a", 201);
    CCollectRunDlg dlg(doc);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.Start();
    ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy(); }) ||
                testing::WaitUntil([&] { return !dlg.Busy(); }));
    ASSERT_EQ(dlg.Results().size(), 2u);
    EXPECT_EQ(dlg.table->item(0, 2)->text(), "200");
    EXPECT_TRUE(dlg.table->item(0, 3)->text().startsWith("08@"))
        << dlg.table->item(0, 3)->text().toStdString();
    EXPECT_EQ(dlg.table->item(1, 2)->text(), "");
    EXPECT_TRUE(dlg.table->item(1, 3)->text().endsWith(QString::fromUtf8("通讯失败！")))
        << dlg.table->item(1, 3)->text().toStdString();
    Shot(&dlg, "collect_now");

    // A whole memory takes long enough to stop it half-way.
    fs::remove_all(home / "Data");
    fs::remove(home / "Archive.db");
    dlg.Start();
    ASSERT_TRUE(testing::WaitUntil([&] {
        auto* bar = static_cast<QProgressBar*>(dlg.table->cellWidget(0, 1));
        return bar->value() > 2;
    }));
    ClickAt(dlg.stopButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy(); }) ||
                testing::WaitUntil([&] { return !dlg.Busy(); }));
    EXPECT_TRUE(dlg.Results()[0].stopped);
    EXPECT_TRUE(!fs::exists(home / "Data") || fs::is_empty(home / "Data"));
}

}  // namespace
}  // namespace vardo
