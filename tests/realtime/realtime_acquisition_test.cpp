#include "realtime/realtime_acquisition.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app/vardo_doc.h"
#include "base/le_bytes.h"
#include "history/history_loader.h"
#include "recorder_server.h"
#include "support/history_file_builder.h"

namespace vardo {
namespace {

using namespace std::chrono_literals;

constexpr VTime kClock = 1772333835;  // 2026-03-01 10:57:15 in the tests' zone

sim::RecorderConfig Recorder(int model = 5, int channels = 3) {
    sim::RecorderConfig c;
    c.modelIndex = model;
    c.channelCount = channels;
    c.newestTime = kClock;
    c.frozen = true;
    return c;
}

// A loopback port that was free a moment ago: nobody listens on it.
int ClosedLoopbackPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                       ::getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) == 0;
    ::close(s);
    return bound ? ntohs(at.sin_port) : 0;
}

// A recorder on a pseudo-terminal in-process and an acquisition set up to reach it.
class Acquisition : public ::testing::Test {
  protected:
    void Serve(const sim::RecorderConfig& recorder, const sim::FaultConfig& faults = {}) {
        server = std::make_unique<sim::CRecorderServer>(recorder, faults, 0);
        ASSERT_EQ(server->Start(), 1);
        server->StartThread();
        settings.comm.portName = server->DevicePath();
        settings.comm.modelIndex = recorder.modelIndex;
        settings.comm.baudRate = 57600;
        settings.comm.readIntervalTimeout = 50;
        settings.comm.readTotalTimeoutConstant = 150;
        settings.comm.samplingInterval = 0;
        settings.settingsPath = home / "SetUp.ini";
        settings.home = home.path();
    }
    std::uint16_t WindowRaw(int ch, int i) const {
        return *ReadU16LE(data.window, 2 * (static_cast<std::size_t>(ch) * kWindowSamples + i));
    }

    testing::TempDir home;
    std::unique_ptr<sim::CRecorderServer> server;
    AcquisitionSettings settings;
    HistoryData data;
    CRealtimeAcquisition acquisition;
};

TEST(RealtimeConversion, LiveValueToHistoryByte) {
    for (const auto& [raw, byte] : {std::pair<std::uint16_t, int>{65535, 255},
                                    {32768, 127},
                                    {32767, 128},
                                    {128, 1},
                                    {256, 0},
                                    {0, 0},
                                    {65408, 255}}) {
        EXPECT_EQ(HistorySample(raw), byte) << raw;
    }
}

TEST_F(Acquisition, FailedStartsLeaveNothingOpenAndNoFile) {
    const RecorderMemoryRow& row = RecorderMemoryMap[5];
    const std::string nobody = "tcp://127.0.0.1:" + std::to_string(ClosedLoopbackPort());
    const struct {
        const char* name;
        int model;
        int interval;
        std::uint8_t channelCount;  // poked into the recorder; 0: as configured
        int stallAfter;             // replies before the recorder goes silent; 0: never
        const char* port;           // nullptr: the simulator's
        StartStatus status;
    } cases[] = {
        {"JlyIndex 8", 8, 0, 0, 0, nullptr, StartStatus::BadSettings},
        {"Interval 9", 5, 9, 0, 0, nullptr, StartStatus::BadSettings},
        {"no port", 5, 0, 0, 0, "/nonexistent/tty", StartStatus::PortBusy},
        {"device server nobody listens on", 5, 0, 0, 0, nobody.c_str(), StartStatus::PortBusy},
        {"13 channels", 5, 0, 13, 0, nullptr, StartStatus::CommFailed},
        {"silent recorder", 5, 0, 0, 1, nullptr, StartStatus::CommFailed},
        // Count and three ranges answered, the first live values not.
        {"live values unreadable", 5, 0, 0, 5, nullptr, StartStatus::CommFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::FaultConfig faults;
        faults.stallAfter = c.stallAfter;
        Serve(Recorder(), faults);
        if (c.channelCount) {
            server->Model().PokeParameter(static_cast<std::uint16_t>(row.channelCountAddress),
                                          c.channelCount);
        }
        settings.comm.modelIndex = c.model;
        settings.comm.samplingInterval = c.interval;
        settings.save = true;
        if (c.port != nullptr) settings.comm.portName = c.port;
        EXPECT_EQ(acquisition.Start(settings, data), c.status);
        EXPECT_FALSE(acquisition.Acquiring());
        EXPECT_TRUE(testing::FileNames(home / "Data").empty());
        if (c.status == StartStatus::BadSettings) {
            EXPECT_TRUE(server->Model().RequestLog().empty());
        }
    }
    // A file that cannot be made: Data is a file.
    Serve(Recorder());
    std::ofstream(home / "Data") << "in the way";
    settings.save = true;
    EXPECT_EQ(acquisition.Start(settings, data), StartStatus::FileFailed);
    const auto messages = StartMessages(StartStatus::FileFailed);
    EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.end()),
              (std::vector<std::string>{"文件建立失败！", "初始化失败，请检查通讯是否正常！"}));
}

// Ticks late by several periods take every due sample, stamped on the grid from the recorder's
// clock at the first sample, each with the newest values.
TEST_F(Acquisition, LateTicksTakeEveryDueSampleOnTheGrid) {
    Serve(Recorder());
    std::vector<std::pair<std::string, int>> progress;
    ASSERT_EQ(acquisition.Start(settings, data,
                                [&](int position, int, const std::string& text) {
                                    progress.emplace_back(text, position);
                                }),
              StartStatus::Started);
    EXPECT_EQ(progress.front(), (std::pair<std::string, int>{"读取组态参数...", 0}));
    EXPECT_EQ(progress[3], (std::pair<std::string, int>{"读取组态参数 : 通道 3", 2}));
    EXPECT_EQ(data.channelCount, 3);
    EXPECT_EQ(data.sampleWidth, 2);
    const auto start = acquisition.StartPoint();
    EXPECT_EQ(acquisition.Tick(start + 999ms), 0);
    std::vector<LiveSample> seen;
    EXPECT_EQ(acquisition.Tick(start + 3s, [&](const LiveSample& s) { seen.push_back(s); }), 3);
    EXPECT_EQ(acquisition.Tick(start + 3500ms), 0);
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(seen[k].number, k + 1);
        EXPECT_EQ(seen[k].time, kClock + 1 + static_cast<VTime>(k));
        // The frozen recorder's live values: 5000 c + 97 t.
        EXPECT_EQ(seen[k].raw[2], static_cast<std::uint16_t>((10000 + kClock * 97) & 0xFFFF));
    }
    EXPECT_EQ(data.windowCount, 3);
    EXPECT_EQ(data.newestTime, kClock + 3);
    EXPECT_EQ(WindowRaw(2, 0), seen[2].raw[2]);
    EXPECT_EQ(WindowRaw(2, 2), seen[0].raw[2]);
    acquisition.Stop();
    EXPECT_EQ(data.acquiring, 0);
    EXPECT_EQ(acquisition.Tick(start + 10s), 0);
}

TEST_F(Acquisition, DeadLineRepeatsTheLastValuesAndUnreadableClockTakesTheComputers) {
    auto recorder = Recorder();
    recorder.livePerRead = true;
    recorder.clockUnreadable = true;
    recorder.silentAfterLiveReads = 2;  // Start's read and the worker's first poll
    Serve(recorder);
    const VTime before = std::time(nullptr);
    ASSERT_EQ(acquisition.Start(settings, data), StartStatus::Started);
    std::this_thread::sleep_for(1200ms);
    std::vector<LiveSample> seen;
    acquisition.Tick(acquisition.StartPoint() + 3s,
                     [&](const LiveSample& s) { seen.push_back(s); });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_GE(seen[0].time, before + 1);
    EXPECT_LE(seen[0].time, std::time(nullptr) + 1);
    for (const auto& s : seen) EXPECT_EQ(s.raw[1], 5000 + 97);  // the second read's values
}

// A silent recorder with exchanges of 3 s: stopping the worker, or cancelling the configuration
// reads from another thread, does not wait them out.
// Within a second whatever SetUp.ini says: time-outs and attempts at the int limit included.
TEST_F(Acquisition, StopAndCancelEndTheExchangeInProgress) {
    const struct { int timeout, attempts; } limits[] = {{3000, 2}, {INT_MAX, INT_MAX}};
    for (const auto [timeout, attempts] : limits)
        for (const bool duringStart : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << (duringStart ? "cancel while starting" : "stop") << " time-outs "
                         << timeout << " attempts " << attempts);
            auto recorder = Recorder();
            recorder.livePerRead = true;
            recorder.silentAfterLiveReads = 2;  // Start's read and the worker's first poll
            sim::FaultConfig faults;
            faults.stallAfter = duringStart ? 1 : 0;
            Serve(recorder, faults);
            settings.comm.readTotalTimeoutConstant = timeout;
            settings.comm.writeTotalTimeoutConstant = timeout;
            settings.comm.readAttempts = attempts;
            if (timeout == INT_MAX) settings.comm.readIntervalTimeout = timeout;
            std::chrono::steady_clock::duration took{};
            if (duringStart) {
                StartStatus status = StartStatus::Started;
                std::thread reads([&] { status = acquisition.ReadConfiguration(settings); });
                std::this_thread::sleep_for(300ms);
                const auto before = std::chrono::steady_clock::now();
                acquisition.Cancel();
                reads.join();
                took = std::chrono::steady_clock::now() - before;
                EXPECT_EQ(status, StartStatus::Cancelled);
                EXPECT_EQ(acquisition.Launch(status, data), StartStatus::Cancelled);
                EXPECT_TRUE(StartMessages(status).empty());
            } else {
                ASSERT_EQ(acquisition.Start(settings, data), StartStatus::Started);
                std::this_thread::sleep_for(800ms);  // into the second poll
                const auto before = std::chrono::steady_clock::now();
                acquisition.Stop();
                took = std::chrono::steady_clock::now() - before;
            }
            EXPECT_LT(took, 1s);
            EXPECT_FALSE(acquisition.Acquiring());
            // The port is closed: a terminal opens only once at a time.
            CSerialPort probe;
            EXPECT_GE(probe.Open(server->DevicePath(), 57600, 0, 0, 0, 0, 0), 0);
        }
}

TEST_F(Acquisition, SavedFileIsReadableAfterEverySampleAndRollsOverWithoutLoss) {
    Serve(Recorder(3, 12));  // 65536 records a file
    settings.comm.modelIndex = 3;
    settings.save = true;
    ASSERT_EQ(acquisition.Start(settings, data), StartStatus::Started);
    const auto start = acquisition.StartPoint();
    const std::string placeholder = home / "Data/08@1970-01-01_08-00-00.vd";
    for (int k = 1; k <= 2; ++k) {
        acquisition.Tick(start + std::chrono::seconds(k));
        // What a crash would leave: the file under its first name, whole up to this sample.
        HistoryData read;
        ASSERT_EQ(LoadHistoryFile(placeholder, read), HistoryOpen::Ok) << k;
        EXPECT_EQ(read.newestTime, kClock + k);
        EXPECT_EQ(read.oldestTime, kClock + 1);
        ReleaseHistoryFile(read);
    }
    acquisition.Tick(start + 65537s);
    ASSERT_EQ(acquisition.SavedFiles().size(), 1u);
    acquisition.Stop();
    ASSERT_EQ(acquisition.SavedFiles().size(), 2u);
    const VTime lastOfFirst = kClock + 65536;
    HistoryData first, second;
    ASSERT_EQ(LoadHistoryFile(acquisition.SavedFiles()[0], first), HistoryOpen::Ok);
    ASSERT_EQ(LoadHistoryFile(acquisition.SavedFiles()[1], second), HistoryOpen::Ok);
    EXPECT_EQ(first.newestTime, lastOfFirst);
    EXPECT_EQ(first.newestIndex, 65535u);
    EXPECT_EQ(second.oldestTime, lastOfFirst + 1);
    EXPECT_EQ(second.newestTime, lastOfFirst + 1);
    EXPECT_EQ(second.newestIndex, 0u);
    EXPECT_EQ(std::filesystem::path(acquisition.SavedFiles()[1]).filename(),
              HistoryFileName(8, lastOfFirst + 1, "vd"));
    ReleaseHistoryFile(first);
    ReleaseHistoryFile(second);
}

TEST_F(Acquisition, EachChannelSavesItsOwnLiveValue) {
    Serve(Recorder(5, 3));
    settings.save = true;
    ASSERT_EQ(acquisition.Start(settings, data), StartStatus::Started);
    ASSERT_EQ(acquisition.Tick(acquisition.StartPoint() + 1s), 1);
    std::vector<int> live;
    for (int c = 0; c < 3; ++c) live.push_back(HistorySample(WindowRaw(c, 0)));
    ASSERT_NE(live[0], live[1]);  // else the test could not tell the channels apart
    ASSERT_NE(live[1], live[2]);
    acquisition.Stop();
    ASSERT_EQ(acquisition.SavedFiles().size(), 1u);
    HistoryData read;
    ASSERT_EQ(LoadHistoryFile(acquisition.SavedFiles()[0], read), HistoryOpen::Ok);
    std::vector<int> saved;
    for (int c = 0; c < 3; ++c) saved.push_back(SampleAtSlot(read, c, read.newestIndex));
    EXPECT_EQ(saved, live);
    ReleaseHistoryFile(read);
}

TEST_F(Acquisition, AFileWhoseRenameFailsIsNotReportedSaved) {
    Serve(Recorder());
    settings.save = true;
    WriterCalls calls;
    calls.rename = [](const char*, const char*) {
        errno = EACCES;
        return -1;
    };
    acquisition.SetWriterCalls(calls);
    ASSERT_EQ(acquisition.Start(settings, data), StartStatus::Started);
    ASSERT_EQ(acquisition.Tick(acquisition.StartPoint() + 2s), 2);
    acquisition.Stop();
    EXPECT_TRUE(acquisition.SavedFiles().empty());
    EXPECT_TRUE(acquisition.SaveFailed());
    // Kept under the name it was created with, and readable there.
    EXPECT_EQ(acquisition.SaveFailedPath(), home / "Data/08@1970-01-01_08-00-00.vd");
    HistoryData read;
    ASSERT_EQ(LoadHistoryFile(acquisition.SaveFailedPath(), read), HistoryOpen::Ok);
    EXPECT_EQ(read.newestTime, kClock + 2);
    ReleaseHistoryFile(read);
}

}  // namespace
}  // namespace vardo
