// The real-time view in the whole program against vardo-recorder-sim on a pseudo-terminal: its
// commands and their enabling, the live curves, the saved file, the failed starts' messages,
// closing while acquiring, and a failed write while saving.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "datalist/progress_dlg.h"
#include "realtime/real_view.h"
#include "settings/ini_file.h"
#include "support/sim_process.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kInitFailed = "初始化失败，请检查通讯是否正常！";

std::atomic<int> writesLeft{0};
bool WriteUntilTheDiskFails(int fd, ByteSpan bytes, std::int64_t offset) {
    return writesLeft.fetch_sub(1) > 0 && WriteAll(fd, bytes, offset);
}

class RealViewTest : public ::testing::Test {
  protected:
    // Model 5 with three channels whose live values change with every read.
    void Serve(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--model", "5", "--channels", "3", "--live-per-read"};
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<testing::SimProcess>(args);
        ASSERT_FALSE(sim->device.empty());
        Settings(sim->device);
    }
    // The first of two equal keys counts: `comSet` goes first.
    void Settings(const std::string& device, const std::string& comSet = {}) {
        fs::create_directories(home / "Data");
        std::ofstream(home / "SetUp.ini")
            << "[ComSet]\n"
            << comSet
            << "ComPort=COM1\nBaudrate=57600\nJlyIndex=5\nInterval=0\n"
               "ReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n[SaveReal]\nSaveReal=1\n"
               "[Ports]\nCOM1="
            << device << "\n";
    }
    CRealView& Open() {
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        EXPECT_TRUE(app->InitInstance({"vardo"}));
        Frame().resize(1000, 700);
        Frame().ExecuteCommand(cmd::kViewRealtime);
        auto* view = dynamic_cast<CRealView*>(Frame().ActiveView());
        testing::WaitUntil([view] { return view->LaidOut(); });
        return *view;
    }
    CMainFrame& Frame() { return *app->MainFrame(); }
    CVardoDoc& Doc() { return app->Document(); }
    bool Enabled(int id) { return Frame().QueryCommand(id).enabled; }
    std::vector<std::string> Messages() {
        std::vector<std::string> out;
        for (const auto& e : reporter.entries) out.push_back(e.text);
        reporter.entries.clear();
        return out;
    }
    // The start command, then the event loop until the start is over.
    bool StartAcquisition() {
        const bool ran = Frame().ExecuteCommand(cmd::kAcquireStart);
        auto* view = dynamic_cast<CRealView*>(Frame().ActiveView());
        QElapsedTimer clock;
        clock.start();
        while (view->Starting() && clock.elapsed() < 15000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return ran;
    }
    // Runs the event loop until n samples are in the window (a sample a second).
    bool WaitForSamples(int n) {
        for (int i = 0; i < 4 && Doc().history.windowCount < n; ++i)
            testing::WaitUntil([&] { return Doc().history.windowCount >= n; });
        return Doc().history.windowCount >= n;
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<testing::SimProcess> sim;
    std::unique_ptr<CVardoApp> app;
};

TEST_F(RealViewTest, StartMovesTheCurvesAStallLosesNoSampleAndStopSavesTheFile) {
    Serve();
    CRealView& view = Open();
    EXPECT_EQ(Frame().windowTitle().toStdString(), "实时采集 - Vardo 2.0");
    EXPECT_TRUE(Enabled(cmd::kAcquireStart));
    for (int id : {cmd::kAcquireStop, cmd::kPrint, cmd::kPrintPreview}) EXPECT_FALSE(Enabled(id));

    ASSERT_TRUE(StartAcquisition());
    ASSERT_TRUE(view.Acquiring()) << ::testing::PrintToString(Messages());
    EXPECT_EQ(Frame().StatusText(2).toStdString(), "实时曲线");
    for (int id : {cmd::kAcquireStop, cmd::kPrint, cmd::kPrintPreview}) EXPECT_TRUE(Enabled(id));
    // Everything that would open a file into the record acquisition writes, or move its window.
    for (int id : {cmd::kAcquireStart, cmd::kFileOpen, cmd::kSerialUpload, cmd::kCfUpload,
                   cmd::kCommSettings, cmd::kFileBrowser, cmd::kForward, cmd::kZoomIn}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }

    ASSERT_TRUE(WaitForSamples(1));
    const QImage before = view.grab().toImage();
    ASSERT_TRUE(WaitForSamples(2));
    const QImage after = view.grab().toImage();
    EXPECT_NE(before, after) << "the curves move in from the right";
    const Rect& plot = Doc().displaySettings.plotRect;
    const QRect newest(plot.right - 4, plot.top, 4, plot.bottom - plot.top);
    EXPECT_GT(testing::CountColor(after, newest, ToQColor(DefaultChannelColor(0))), 0);

    // A new layout redraws the live window; there is no file to rebuild it from.
    const int shown = Doc().history.windowCount;
    Frame().ExecuteCommand(cmd::kSettingsPanel);
    Frame().resize(1100, 750);
    QApplication::processEvents();
    EXPECT_GE(Doc().history.windowCount, shown);
    EXPECT_NE(WindowSample(Doc().history, 0, 0), 0u);

    // The interface thread busy for 3 s: the samples due meanwhile are all taken when it is back.
    const int had = Doc().history.windowCount;
    std::this_thread::sleep_for(3s);
    ASSERT_TRUE(WaitForSamples(had + 3));
    const std::uint64_t taken = Doc().acquisition.SamplesTaken();
    EXPECT_EQ(Doc().history.newestTime - Doc().history.oldestTime, static_cast<VTime>(taken) - 1);

    Frame().ExecuteCommand(cmd::kAcquireStop);
    EXPECT_FALSE(view.Acquiring());
    EXPECT_TRUE(Enabled(cmd::kAcquireStart));
    EXPECT_FALSE(Enabled(cmd::kPrint));
    ASSERT_EQ(Doc().acquisition.SavedFiles().size(), 1u);
    HistoryData saved;
    ASSERT_EQ(LoadHistoryFile(Doc().acquisition.SavedFiles()[0], saved), HistoryOpen::Ok);
    EXPECT_EQ(saved.newestIndex + 1, taken);
    EXPECT_EQ(saved.newestTime, Doc().history.newestTime);
    ReleaseHistoryFile(saved);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RealViewTest, FailedStartsSayWhyThenThatTheStartFailed) {
    struct Case {
        const char* name;
        std::vector<std::string> simArgs;  // when empty, COM1 is home's "plain" or "nonexistent"
        const char* comSet;
        bool dataInTheWay;
        std::vector<std::string> messages;
    } cases[] = {
        // The port's refusal says why, with the device, on a second line.
        {"port missing",
         {},
         "",
         false,
         {"串口被占用\n" + home / "nonexistent: No such file or directory", kInitFailed}},
        {"not a terminal",
         {},
         "",
         false,
         {"串口被占用\n" + home / "plain: Not a serial device", kInitFailed}},
        {"dead line", {"--stall", "1"}, "", false, {kInitFailed}},
        {"file cannot be made",
         {"--freeze"},
         "",
         true,
         {"文件建立失败！\n" + home / "Data: Not a directory", kInitFailed}},
        // Indexes past the interval table and the memory map: refused before the port opens.
        {"Interval 9",
         {"--freeze"},
         "Interval=9\n",
         false,
         {"设置文件中的记录仪类型 (JlyIndex 0..7) 或采样时间 (Interval 0..8) 超出范围。",
          kInitFailed}},
    };
    std::ofstream(home / "plain") << "not a terminal";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.simArgs.empty())
            Settings(home / (std::string(c.name) == "port missing" ? "nonexistent" : "plain"));
        else
            Serve(c.simArgs);
        if (*c.comSet != '\0') Settings(sim->device, c.comSet);
        if (c.dataInTheWay) {
            fs::remove_all(home / "Data");
            std::ofstream(home / "Data") << "in the way";
        }
        CRealView& view = Open();
        StartAcquisition();
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_FALSE(view.Acquiring());
        EXPECT_TRUE(Enabled(cmd::kAcquireStart));
        EXPECT_FALSE(Enabled(cmd::kAcquireStop));
        app.reset();
        fs::remove_all(home / "Data");
    }
}

// The configuration reads against a recorder that answers only the channel count: the event
// loop turns meanwhile under the progress box, the commands that touch the record are off, and
// the start fails, is cancelled by stop, or ends with the window, at once in the last two.
TEST_F(RealViewTest, AStartOnADeadLineLeavesTheInterfaceTurning) {
    for (const std::string how : {"fails", "stop", "close"}) {
        SCOPED_TRACE(how);
        Serve({"--stall", "2"});
        CRealView& view = Open();
        QTimer beat;
        int beats = 0;
        QObject::connect(&beat, &QTimer::timeout, [&beats] { ++beats; });
        beat.start(10);
        Frame().ExecuteCommand(cmd::kAcquireStart);
        ASSERT_TRUE(view.Starting());
        const auto shown = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = dynamic_cast<CProgressDlg*>(w); box && box->isVisible())
                    return box->text->text().toStdString();
            return std::string();
        };
        EXPECT_TRUE(testing::WaitUntil([&] { return shown() == "读取组态参数 : 通道 1"; }));
        // A loop blocked by the start would give one beat at most (a late timer fires once);
        // a turning one gives many, however loaded the machine.
        const int before = beats;
        QElapsedTimer turning;
        turning.start();
        while (view.Starting() && turning.elapsed() < 400)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_GT(beats - before, 3);
        ASSERT_TRUE(view.Starting());
        EXPECT_TRUE(Enabled(cmd::kAcquireStop));
        for (int id : {cmd::kAcquireStart, cmd::kFileOpen, cmd::kSerialUpload, cmd::kCommSettings,
                       cmd::kFileBrowser}) {
            EXPECT_FALSE(Enabled(id)) << id;
        }
        QElapsedTimer clock;
        clock.start();
        if (how == "close") {
            app.reset();
            EXPECT_LT(clock.elapsed(), 500);
            EXPECT_TRUE(Messages().empty());
            continue;
        }
        if (how == "stop") Frame().ExecuteCommand(cmd::kAcquireStop);
        while (view.Starting() && clock.elapsed() < 15000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (how == "stop") {
            EXPECT_LT(clock.elapsed(), 500);
            EXPECT_TRUE(Messages().empty());
        } else {
            EXPECT_EQ(Messages(), std::vector<std::string>{kInitFailed});
        }
        EXPECT_FALSE(view.Acquiring());
        EXPECT_TRUE(Enabled(cmd::kAcquireStart));
        EXPECT_FALSE(Enabled(cmd::kAcquireStop));
        app.reset();
    }
}

TEST_F(RealViewTest, ADeadLineKeepsTheCurvesMovingWithTheLastValues) {
    Serve({"--silent-after-live", "2"});
    CRealView& view = Open();
    StartAcquisition();
    ASSERT_TRUE(view.Acquiring());
    ASSERT_TRUE(WaitForSamples(4));
    const HistoryData& h = Doc().history;
    EXPECT_EQ(WindowSample(h, 0, 0), WindowSample(h, 0, 1));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RealViewTest, ClosingWhileAcquiringFinishesTheFileAndKeepsTheDisplaySettings) {
    Serve({"--freeze", "--channels", "7"});
    Open();
    StartAcquisition();
    ASSERT_TRUE(WaitForSamples(1));
    app.reset();
    const auto names = testing::FileNames(home / "Data");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names.begin()->find("1970"), std::string::npos) << "renamed at the stop";
    HistoryData saved;
    EXPECT_EQ(LoadHistoryFile(home / ("Data/" + *names.begin()), saved), HistoryOpen::Ok);
    ReleaseHistoryFile(saved);
    EXPECT_EQ(IniFile(home / "SetUp.ini").GetInt("ViewSet", "Chnls", 0), 7);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RealViewTest, AFailedWriteIsToldOnceAndTheFileKeptWhileTheCurvesGoOn) {
    Serve({"--freeze"});
    Open();
    // The header and the first sample (its time, three channels, the newest time and slot).
    writesLeft = 1 + 6;
    WriterCalls calls;
    calls.write = WriteUntilTheDiskFails;
    Doc().acquisition.SetWriterCalls(calls);
    StartAcquisition();
    ASSERT_TRUE(WaitForSamples(4));
    const std::vector<std::string> told = Messages();
    ASSERT_EQ(told.size(), 1u);
    const std::string kept = Doc().acquisition.SaveFailedPath();
    EXPECT_NE(told[0].find(kept), std::string::npos);
    EXPECT_TRUE(fs::exists(kept));
    Frame().ExecuteCommand(cmd::kAcquireStop);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace vardo
