// The communication settings dialog driven as a user drives it: what it shows from SetUp.ini,
// what OK and Cancel leave there, and the serial devices offered from a /dev of the test's own.

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/vardo_doc.h"
#include "link/comm_set_dlg.h"
#include "link/serial_devices.h"
#include "link/serial_upload_dlg.h"
#include "settings/ini_file.h"
#include "support/sim_process.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct CommSetTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::create_directories(home / "dev");
        std::filesystem::create_directories(home / "Data");
    }
    void Write(const std::string& text) { std::ofstream(home / "SetUp.ini") << text; }
    int Get(const char* section, const char* key) {
        return IniFile(home / "SetUp.ini").GetInt(section, key, -99);
    }
    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path() + "/"};
};

TEST_F(CommSetTest, OkWritesWhatTheFieldsHoldAndNoSelectionKeepsTheStoredValue) {
    struct Case {
        const char* ini;
        std::function<void(CCommSetDlg&)> edit;
        int baud, interval, model, address;
    };
    const char* blanks = "[VarParams]\nType1=A\nType2=\nType3=C\nType9=Z\n";
    const Case cases[] = {
        // Saving without a change writes the same values back.
        {"[ComSet]\nBaudrate=9600\nInterval=2\nJlyIndex=2\nAddress=8\n", nullptr, 9600, 2, 2, 8},
        {"[ComSet]\nBaudrate=9600\n", [](CCommSetDlg& d) { d.interval->setCurrentIndex(8); }, 9600,
         8, 0, 8},
        // The second shown name is model 2: the blank name does not shift it.
        {blanks, [](CCommSetDlg& d) { d.model->setCurrentIndex(1); }, 9600, 1, 2, 8},
        // Stored values the lists do not hold stay as they were.
        {"[ComSet]\nBaudrate=14400\nInterval=12\nJlyIndex=9\n", nullptr, 14400, 12, 9, 8},
        {"", [](CCommSetDlg& d) { d.address->setText(" 255 "); }, 9600, 1, 0, 255},
    };
    for (const Case& c : cases) {
        Write(c.ini);
        CCommSetDlg dlg(doc, nullptr, home / "dev");
        if (std::string(c.ini).find("Type9") != std::string::npos) {
            EXPECT_EQ(dlg.model->count(), 7) << "only models 0..7 with names";
        }
        if (c.edit) c.edit(dlg);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.ini;
        EXPECT_EQ(Get("ComSet", "Baudrate"), c.baud) << c.ini;
        EXPECT_EQ(Get("ComSet", "Interval"), c.interval) << c.ini;
        EXPECT_EQ(Get("ComSet", "JlyIndex"), c.model) << c.ini;
        EXPECT_EQ(Get("ComSet", "Address"), c.address) << c.ini;
    }
    EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(CommSetTest, RefusedFieldsAndFailedWritesKeepTheDialogOpenAndCancelWritesNothing) {
    Write("[ComSet]\nAddress=8\n");
    const std::string before = ReadAll(home / "SetUp.ini");
    const std::pair<const char*, const char*> refused[] = {
        {"256", "请输入一个在 0 和 255 之间的整数。"},
        {"8x", "请输入一个整数。"},
    };
    for (auto [text, message] : refused) {
        CCommSetDlg dlg(doc, nullptr, home / "dev");
        dlg.address->setText(text);
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        ASSERT_EQ(reporter.entries.size(), 1u);
        EXPECT_EQ(reporter.entries[0].text, message);
        reporter.entries.clear();
    }
    {
        CCommSetDlg dlg(doc, nullptr, home / "dev");
        dlg.port->setEditText("COM123");
        dlg.accept();
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        dlg.saveReal->setChecked(true);
        dlg.reject();
    }
    EXPECT_EQ(ReadAll(home / "SetUp.ini"), before);
    reporter.entries.clear();

    // A settings file that cannot be written (here a folder in its place).
    fs::remove(home / "SetUp.ini");
    fs::create_directory(home / "SetUp.ini");
    CCommSetDlg dlg(doc, nullptr, home / "dev");
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_NE(reporter.entries[0].text.find("设置未保存"), std::string::npos);
}

TEST_F(CommSetTest, OffersTheTerminalsOfDevAndMapsTheChosenOneToThePort) {
    int master[2], slave[2];
    char names[2][64];
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(openpty(&master[i], &slave[i], names[i], nullptr, nullptr), 0);
    const fs::path dev = home / "dev";
    fs::create_directories(dev / "serial" / "by-id");
    fs::create_symlink(names[0], dev / "ttyUSB0");
    fs::create_symlink(dev / "ttyUSB0", dev / "serial" / "by-id" / "usb-FTDI-if00");
    fs::create_symlink(names[1], dev / "ttyS10");
    std::ofstream(dev / "ttyS2") << "no UART";  // not a terminal: left out
    std::ofstream(dev / "ttyACM0") << "";

    std::vector<std::string> listed;
    for (const SerialDevice& d : ListSerialDevices(dev)) listed.push_back(d.path);
    EXPECT_EQ(listed,
              (std::vector<std::string>{dev / "serial/by-id/usb-FTDI-if00", dev / "ttyS10"}));

    Write("[ComSet]\nComPort=COM3\n");
    CCommSetDlg dlg(doc, nullptr, dev);
    EXPECT_EQ(dlg.device->currentText().toStdString(), "/dev/ttyS2");
    dlg.device->setCurrentIndex(0);
    EXPECT_TRUE(dlg.deviceHint->text().isEmpty());
    dlg.accept();
    EXPECT_EQ(IniFile(home / "SetUp.ini").GetString("Ports", "COM3", "", 4096),
              dev / "serial/by-id/usb-FTDI-if00");
    for (int i = 0; i < 2; ++i) {
        close(master[i]);
        close(slave[i]);
    }
}

struct UploadDlgTest : CommSetTest {
    // A 12-channel recorder whose newest record is 2026-03-04 12:00:00, 10 s apart.
    void Connect(const testing::SimProcess& sim) {
        Write("[Ports]\nCOM1=" + sim.device + "\n[ComSet]\nComPort=COM1\nJlyIndex=3\n");
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (const auto& e : reporter.entries) out.push_back(e.text);
        reporter.entries.clear();
        return out;
    }
    static void Span(CSerialUploadDlg& dlg, VTime s, VTime e) {
        dlg.start.Set(s);
        dlg.end.Set(e);
    }
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    const char* simArgs[7] = {"--model", "3", "--channels", "12", "--newest", "2026-03-04 12:00:00",
                              "--freeze"};
};

TEST_F(UploadDlgTest, ReadsTheRangeUploadsTheChosenChannelsAndOpensTheFileWhenClosed) {
    testing::SimProcess sim({simArgs, simArgs + 7});
    Connect(sim);
    {
        CSerialUploadDlg dlg(doc);
        dlg.show();
        ASSERT_TRUE(testing::WaitUntil([&] { return dlg.channels->count() == 12; }));
        EXPECT_EQ(dlg.rangeText->text().toStdString(),
                  "时间范围：" + FormatTime(newest - 10 * 65535) + " => " + FormatTime(newest));
        EXPECT_TRUE(dlg.channels->item(0)->isSelected());
        dlg.channels->item(2)->setSelected(true);

        // Refused spans say why and leave the dialog ready for a corrected one.
        const std::pair<std::pair<VTime, VTime>, const char*> refused[] = {
            {{newest - 10, newest - 20}, "请确认 开始时间 < 结束时间"},
            {{newest - 10 * 65536, newest}, "开始时间 超出范围"},
            {{newest - 20, newest + 1}, "结束时间 超出范围"},
        };
        for (auto [span, message] : refused) {
            Span(dlg, span.first, span.second);
            dlg.Upload();
            EXPECT_EQ(Texts(), std::vector<std::string>{message});
            EXPECT_FALSE(dlg.Busy());
        }
        Span(dlg, newest - 200, newest);
        dlg.Upload();
        EXPECT_TRUE(dlg.Busy());
        EXPECT_FALSE(dlg.uploadButton->isEnabled());
        dlg.reject();  // ignored while the worker runs
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy(); }));
        EXPECT_EQ(Texts(), std::vector<std::string>{"上传完毕"});
        EXPECT_EQ(dlg.progress->value(), dlg.progress->maximum());
        ASSERT_TRUE(fs::exists(dlg.OutputPath()));
        dlg.reject();
        EXPECT_FALSE(dlg.isVisible());
    }
    // The new file became the document, with channels 1 and 3 of twelve and 20 records.
    EXPECT_NE(doc.filePath.find("Data/"), std::string::npos);
    EXPECT_EQ(doc.history.channelCount, 12);
    EXPECT_EQ(doc.history.channelEnabled[0] + doc.history.channelEnabled[1] +
                  doc.history.channelEnabled[2],
              2);
    EXPECT_EQ(doc.history.newestTime - doc.history.oldestTime, 190);
}

TEST_F(UploadDlgTest, ALostRecorderClearsTheChannelLinesAndAStoppedUploadLeavesNoFile) {
    {
        std::vector<std::string> args(simArgs, simArgs + 7);
        args.insert(args.end(), {"--baud", "19200"});
        testing::SimProcess sim(args);
        Connect(sim);
        CSerialUploadDlg dlg(doc);
        dlg.ReadRange();
        ASSERT_EQ(dlg.channels->count(), 12);
        dlg.uploadAll->setChecked(true);
        EXPECT_FALSE(dlg.start.date->isEnabled());
        dlg.Upload();
        ASSERT_TRUE(testing::WaitUntil([&] { return dlg.progress->value() > 0; }));
        dlg.stopButton->click();
        ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy(); }));
        EXPECT_TRUE(dlg.OutputPath().empty());
        EXPECT_TRUE(Texts().empty());
        EXPECT_TRUE(fs::is_empty(home / "Data"));
    }
    Write("[Ports]\nCOM1=" + home / "nonexistent" + "\n[ComSet]\nJlyIndex=3\n");
    CSerialUploadDlg dlg(doc);
    dlg.channels->addItem("通道1");
    dlg.ReadRange();
    EXPECT_EQ(Texts(), std::vector<std::string>{"打开串口失败！\n" + home / "nonexistent" +
                                                ": No such file or directory"});
    EXPECT_EQ(dlg.channels->count(), 0);
    EXPECT_FALSE(dlg.uploadButton->isEnabled());
    dlg.Upload();
    EXPECT_EQ(Texts(), std::vector<std::string>{"通讯失败！"});
}

}  // namespace
}  // namespace vardo
