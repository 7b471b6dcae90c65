// A recorder's span in the whole program: the data list over it and its range dialog, the export
// dialog from the list and from the curves, both driven by clicks at the controls' positions
// and compared with vardo-cli over the same span; and a live save from the simulator showing
// among the recorder's sources in the archive dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "archive/archive_open_dlg.h"
#include "curves/set_panel.h"
#include "curves/vardo_view.h"
#include "datalist/dlist_view.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/range_set_dlg.h"
#include "datalist/stat_dlg.h"
#include "realtime/real_view.h"
#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/workbook_reader.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::ClickOn;

namespace fs = std::filesystem;

constexpr VTime kStep = 10;
const VTime kStart = MakeLocalTime(2026, 5, 1, 0, 0, 0);
// A day of records, an hour that nothing recorded, and half a day with a third channel.
const VTime kGapFrom = kStart + 86400;
const VTime kGapTo = kGapFrom + 3600;
const VTime kEnd = kGapTo + 43200 - kStep;

RecordConfig Channels(int n) {
    RecordConfig c;
    c.intervalCode = 3;
    c.channelCount = n;
    c.present = static_cast<std::uint16_t>((1u << n) - 1);
    for (int ch = 0; ch < n; ++ch) {
        c.low[static_cast<std::size_t>(ch)] = MakeDecimal(0, 1);
        c.high[static_cast<std::size_t>(ch)] = MakeDecimal(1000 * (ch + 1), ch + 1);
    }
    return c;
}

void AddFile(ArchiveStore& store, VTime from, VTime to, int channels, const char* path) {
    std::vector<OfferedRecord> records;
    for (VTime t = from; t <= to; t += kStep) {
        OfferedRecord r;
        r.time = t;
        for (int ch = 0; ch < channels; ++ch)
            r.samples[static_cast<std::size_t>(ch)] =
                static_cast<std::uint8_t>(40 * ch + (t / kStep) % 97);
        records.push_back(r);
    }
    SourceInfo source;
    source.how = kSourceUpload;
    source.path = path;
    AddCounts counts;
    ASSERT_EQ(store.Add({"", 8, "ZT772"}, Channels(channels), records, source, counts),
              ArchiveStatus::Ok);
}

// What a workbook holds, read back by an independent reader: an .xlsx carries the time it was
// made, so two writes of the same rows differ in their bytes, never in their cells.
std::string Cells(const std::string& format, const std::string& path) {
    if (format == "xlsx") return testing::ReadTable("xlsx", path);
    if (format == "xls") return testing::ReadWithXlrd(path);
    return testing::ReadText(path);
}

void Shot(QWidget* w, const std::string& name) {
    const std::string dir = std::string(VARDO_BIN_DIR) + "/../shots";
    fs::create_directories(dir);
    w->grab().save(QString::fromStdString(dir + "/" + name + ".png"));
}

class SpanListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(home / "Data");
        ArchiveOpen open = OpenArchive(Url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        AddFile(*open.store, kStart, kGapFrom - kStep, 2, "/data/08@a.vd");
        AddFile(*open.store, kGapTo, kEnd, 3, "/data/08@b.vd");
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        ASSERT_TRUE(app->InitInstance({"vardo"}));
        Frame().resize(1000, 700);
        Frame().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
        open = OpenArchive(Url(), false);
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
        ASSERT_EQ(Doc().OpenSpan(std::move(open.store), recorders.at(0), kStart, kEnd, Url()), 1);
        reporter.entries.clear();
    }
    std::string Url() const { return "sqlite:" + home.path() + "/Archive.db"; }
    CMainFrame& Frame() { return *app->MainFrame(); }
    CVardoDoc& Doc() { return app->Document(); }
    CDListView& List() { return *dynamic_cast<CDListView*>(Frame().ActiveView()); }
    testing::CliRun Cli(std::vector<std::string> args) {
        args.insert(args.end(), {"--recorder", "8"});
        return testing::RunCli(home.path(), args);
    }
    std::string Shown() {
        const DListModel& m = List().Model();
        std::string out;
        for (int c = 0; c < m.columnCount(); ++c)
            out += (c > 0 ? "\t" : "") +
                   m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString();
        out += "\n";
        for (int r = 0; r < m.rowCount(); ++r) {
            for (int c = 0; c < m.columnCount(); ++c) out += (c > 0 ? "\t" : "") + m.CellText(r, c);
            out += "\n";
        }
        return out;
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const auto& e : reporter.entries) out.push_back(e.text);
        reporter.entries.clear();
        return out;
    }
    // The export command of the active view; the dialog writes to path in the format of filter
    // once "导出..." is clicked.
    void ExportByClicks(const std::function<void(std::function<void(CExcelExportDlg&)>)>& hook,
                        const std::string& path, const char* filter, const std::string& shot = {}) {
        const auto drive = [&](CExcelExportDlg& dlg) {
            QTimer::singleShot(0, &dlg, [&] {
                dlg.chooseFile = [&](QWidget*, const QString&, const QString&, const QString&,
                                     const QString&, QString* selected) {
                    *selected = QString::fromUtf8(filter);
                    return path;
                };
                ClickOn(dlg.exportButton);
                testing::WaitUntil([&] { return dlg.busy == 0; });
                if (!shot.empty()) Shot(&dlg, shot);
                dlg.reject();
            });
        };
        hook(drive);
        ASSERT_TRUE(Frame().ExecuteCommand(cmd::kExport));
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
};

TEST_F(SpanListViewTest, TheListShowsTheSpanAsDumpAndItsRangeDialogWorksByClicks) {
    // Changing views keeps the span: the list opens on its newest 200 records.
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kViewList));
    ASSERT_TRUE(Doc().span);
    EXPECT_EQ(Shown(), Cli({"dump"}).out);
    for (int id : {cmd::kRangeSet, cmd::kExport, cmd::kPrint})
        EXPECT_TRUE(Frame().QueryCommand(id).enabled);
    Shot(&Frame(), "span_list");

    // The range dialog shows the span's first and last record; a new start and step, then OK.
    const VTime from = kGapFrom - 600;
    std::string rangeText;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CRangeSetDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        rangeText = dlg->span.rangeText->text().toStdString();
        dlg->span.start.Set(from);
        dlg->span.stepEdit->setText("7");
        ClickOn(dlg->okButton);
    });
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kRangeSet));
    EXPECT_EQ(rangeText, SpanText(kStart, kEnd).toStdString());
    EXPECT_EQ(List().rowStep, 7);
    EXPECT_EQ(
        Shown(),
        Cli({"dump", "--from", FormatTime(from), "--to", FormatTime(kEnd), "--step", "7"}).out);
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kOrderAscending));
    EXPECT_EQ(Shown(), Cli({"dump", "--from", FormatTime(from), "--to", FormatTime(kEnd), "--step",
                            "7", "--order", "oldest"})
                           .out);
    EXPECT_EQ(List().rowStart, from);

    // The printout names the recorder and its span where a file's names its path.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(home / "list.pdf"));
    ASSERT_TRUE(List().PrintPages(printer, 1, 1));
    const std::string text =
        testing::RunShell("pdftotext '" + home / "list.pdf" + "' - | tr -d ' '");
    EXPECT_NE(text.find("08@ZT772"), std::string::npos) << text;
    EXPECT_NE(text.find("通道3"), std::string::npos);
    EXPECT_TRUE(Messages().empty());

    // Back to the curves: still the span, and the panel says its peak envelope is on.
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kViewCurves));
    ASSERT_TRUE(Doc().span);
    auto* curves = dynamic_cast<CVardoView*>(Frame().ActiveView());
    ASSERT_NE(curves, nullptr);
    testing::WaitUntil([&] { return curves->LaidOut(); });
    ASSERT_NE(curves->panel, nullptr);
    EXPECT_TRUE(curves->panel->peakEnvelope->isChecked());
    EXPECT_NE(Frame().StatusText(2).toStdString().find("08@ZT772"), std::string::npos);
}

TEST_F(SpanListViewTest, ExportDialogsWriteTheMergedRecordsAsExportRecorderDoes) {
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kViewList));
    // From the list: its range, in each of the dialog's formats.
    const struct {
        const char* filter;
        const char* format;
    } formats[] = {
        {"CSV (*.csv)", "csv"}, {"Excel (*.xlsx)", "xlsx"}, {"Excel 97-2003 (*.xls)", "xls"}};
    for (const auto& f : formats) {
        const std::string path = home / (std::string("list.") + f.format);
        ExportByClicks([&](auto drive) { List().exportDialogShown = drive; }, path, f.filter,
                       f.format == std::string("csv") ? "span_export" : "");
        EXPECT_EQ(Messages(), std::vector<std::string>{"输出完成！"});
        const std::string cli = home / (std::string("cli.") + f.format);
        ASSERT_EQ(Cli({"export", cli, "--from", FormatTime(List().rowStart), "--to",
                       FormatTime(List().rowEnd), "--format", f.format})
                      .status,
                  0);
        EXPECT_EQ(Cells(f.format, path), Cells(f.format, cli)) << f.format;
    }
    // From the curves: the whole span on screen, across the gap and the change of channels.
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kViewCurves));
    auto* curves = dynamic_cast<CVardoView*>(Frame().ActiveView());
    ASSERT_NE(curves, nullptr);
    ASSERT_TRUE(Frame().QueryCommand(cmd::kExport).enabled);
    ExportByClicks([&](auto drive) { curves->exportDialogShown = drive; }, home / "all.csv",
                   "CSV (*.csv)");
    EXPECT_EQ(Messages(), std::vector<std::string>{"输出完成！"});
    ASSERT_EQ(Cli({"export", home / "cli-all.csv", "--from", FormatTime(kStart), "--to",
                   FormatTime(kEnd), "--format", "csv"})
                  .status,
              0);
    EXPECT_EQ(testing::ReadText(home / "all.csv"), testing::ReadText(home / "cli-all.csv"));
}

// The rows of the statistics dialog once it comes up (after a progress box, if any), and its
// span; the dialog is closed.
struct StatShown {
    std::vector<std::string> rows;
    VTime from = 0;
    VTime to = 0;
};
void TakeStatDialog(QObject* owner, StatShown& out) {
    auto* poll = new QTimer(owner);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, &out] {
        auto* dlg = dynamic_cast<CStatDlg*>(QApplication::activeModalWidget());
        if (dlg == nullptr) return;
        poll->stop();
        poll->deleteLater();
        out.from = dlg->statStart;
        out.to = dlg->statEnd;
        QTableWidget* t = dlg->Table();
        for (int r = 0; r < t->rowCount(); ++r) {
            std::string line;
            for (int c = 0; c < 4; ++c)
                line += (c > 0 ? "\t" : "") +
                        (t->item(r, c) ? t->item(r, c)->text().toStdString() : std::string());
            out.rows.push_back(line);
        }
        dlg->accept();
    });
    poll->start();
}

TEST_F(SpanListViewTest, StatisticsOfABandOverTheSpanAreThoseOfStatsRecorder) {
    auto* curves = dynamic_cast<CVardoView*>(Frame().ActiveView());
    ASSERT_NE(curves, nullptr);
    testing::WaitUntil([&] { return curves->LaidOut(); });
    // A band over the gap and the change of channels.
    const Rect& plot = Doc().displaySettings.drawRect;
    const Rect band = {plot.left + plot.Width() * 3 / 10, plot.top,
                       plot.left + plot.Width() * 8 / 10, plot.bottom};

    // Read at once, and on a worker under a progress box, the same figures.
    std::vector<StatShown> shown(2);
    for (int run = 0; run < 2; ++run) {
        curves->statsAtOnce = run == 0 ? 50000 : 0;
        curves->selRect = band;
        TakeStatDialog(&Frame(), shown[static_cast<std::size_t>(run)]);
        ASSERT_TRUE(Frame().ExecuteCommand(cmd::kStatistics));
        testing::WaitUntil([&] { return !shown[static_cast<std::size_t>(run)].rows.empty(); });
    }
    EXPECT_EQ(shown[1].rows, shown[0].rows);
    EXPECT_EQ(shown[1].from, shown[0].from);
    const auto [rows, from, to] = shown[0];
    ASSERT_LT(from, kGapFrom);
    ASSERT_GT(to, kGapTo);
    const testing::CliRun stats =
        Cli({"stats", "--from", FormatTime(from), "--to", FormatTime(to)});
    ASSERT_EQ(stats.status, 0) << stats.err;
    std::vector<std::string> lines;
    std::istringstream in(stats.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), rows.size() + 3);
    EXPECT_TRUE(lines[0].ends_with(FormatTime(from)));
    EXPECT_TRUE(lines[1].ends_with(FormatTime(to)));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), rows);

    // 取消 in the progress box: no statistics, nothing told.
    curves->selRect = band;
    StatShown none;
    TakeStatDialog(&Frame(), none);  // closes one that should not have come
    bool boxSeen = false;
    QTimer::singleShot(0, [&] {
        auto* box = dynamic_cast<QProgressDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxSeen = true;
        Shot(box, "span_stats_progress");
        QPushButton* cancel = box->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        ClickOn(cancel);
    });
    ASSERT_TRUE(Frame().ExecuteCommand(cmd::kStatistics));
    EXPECT_TRUE(boxSeen);
    QTest::qWait(50);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_TRUE(Messages().empty());
}

TEST(SpanSources, ALiveSaveFromTheSimulatorIsAmongTheRecordersSources) {
    testing::TempDir home;
    RecordingReporter reporter;
    testing::SimProcess sim({"--model", "5", "--channels", "3", "--live-per-read"});
    ASSERT_FALSE(sim.device.empty());
    fs::create_directories(home / "Data");
    std::ofstream(home / "SetUp.ini")
        << "[ComSet]\nComPort=COM1\nBaudrate=57600\nJlyIndex=5\nInterval=0\n"
           "ReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n[SaveReal]\nSaveReal=1\n"
           "[Ports]\nCOM1="
        << sim.device << "\n";
    auto app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
    ASSERT_TRUE(app->InitInstance({"vardo"}));
    CMainFrame& frame = *app->MainFrame();
    frame.resize(1000, 700);
    ASSERT_TRUE(frame.ExecuteCommand(cmd::kViewRealtime));
    auto* view = dynamic_cast<CRealView*>(frame.ActiveView());
    ASSERT_TRUE(frame.ExecuteCommand(cmd::kAcquireStart));
    QElapsedTimer clock;
    clock.start();
    while (view->Starting() && clock.elapsed() < 15000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(view->Acquiring());
    CVardoDoc& doc = app->Document();
    testing::WaitUntil([&] { return doc.history.windowCount >= 3; });
    ASSERT_TRUE(frame.ExecuteCommand(cmd::kAcquireStop));
    ASSERT_EQ(doc.acquisition.SavedFiles().size(), 1u);
    const std::string saved = doc.acquisition.SavedFiles()[0];

    CArchiveOpenDlg dlg(doc);
    ASSERT_TRUE(dlg.Load());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ASSERT_EQ(dlg.Table()->rowCount(), 1);
    QTableWidget* sources = dlg.Sources();
    ASSERT_EQ(sources->rowCount(), 1);
    EXPECT_EQ(sources->item(0, 1)->text().toStdString(), "实时");
    EXPECT_EQ(sources->item(0, 2)->text().toStdString(),
              std::to_string(dlg.Recorders()[0].records));
    EXPECT_EQ(sources->item(0, 3)->text().toStdString(), saved);
    EXPECT_EQ(sources->horizontalHeaderItem(0)->text().toStdString(), "添加时间");
    Shot(&dlg, "archive_sources");
    EXPECT_TRUE(reporter.entries.empty());
}

}  // namespace
}  // namespace vardo
