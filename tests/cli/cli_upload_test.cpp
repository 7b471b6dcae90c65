// vardo-cli upload and recorder against vardo-recorder-sim on a pseudo-terminal: both real
// processes, the recorder's settings in SetUp.ini of a VARDO_HOME of their own.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/texts.h"
#include "link/expected_file.h"
#include "link/serial_port.h"
#include "link/sim_line.h"
#include "recorder_server.h"
#include "support/cli_run.h"
#include "support/sim_process.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using test::ExpectedUpload;
using testing::CliRun;
using testing::SimProcess;

sim::RecorderConfig Recorder(int model, int channels, int intervalCode, std::uint32_t pointer = 255,
                             const char* newest = "2026-03-01 11:00:00") {
    sim::RecorderConfig c;
    c.modelIndex = model;
    c.channelCount = channels;
    c.intervalCode = intervalCode;
    c.writePointer = pointer;
    c.newestTime = *ParseTime(newest);
    c.frozen = true;
    for (int i = 0; i < 12; ++i) {
        c.ranges[static_cast<std::size_t>(i)] = {static_cast<std::int16_t>(-100 * i),
                                                 static_cast<std::int16_t>(2000 + 37 * i),
                                                 static_cast<std::uint8_t>(i % 3)};
    }
    return c;
}

std::vector<std::string> SimArgs(const sim::RecorderConfig& c,
                                 std::vector<std::string> extra = {}) {
    std::vector<std::string> a = {
        "--model",    std::to_string(c.modelIndex),   "--address",  std::to_string(c.address),
        "--channels", std::to_string(c.channelCount), "--interval", std::to_string(c.intervalCode),
        "--newest",   FormatTime(c.newestTime),       "--pointer",  std::to_string(c.writePointer),
        "--freeze"};
    for (int i = 0; i < 12; ++i) {
        const auto& r = c.ranges[static_cast<std::size_t>(i)];
        a.insert(a.end(),
                 {"--range", std::to_string(i + 1) + ":" + std::to_string(r.low) + ":" +
                                 std::to_string(r.high) + ":" + std::to_string(r.decimals)});
    }
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

std::array<bool, 12> Channels(std::initializer_list<int> numbers) {
    std::array<bool, 12> a{};
    for (int n : numbers) a[static_cast<std::size_t>(n - 1)] = true;
    return a;
}

class CliUpload : public ::testing::TestWithParam<test::Transport> {
  protected:
    // Starts the simulator and points COM1 of SetUp.ini at it, as the recorder is set up.
    void StartSim(const sim::RecorderConfig& recorder, std::vector<std::string> extra = {}) {
        sim = std::make_unique<SimProcess>(SimArgs(recorder, std::move(extra)));
        ASSERT_FALSE(sim->device.empty());
        WriteSettings(sim->device, recorder.modelIndex);
    }
    void WriteSettings(const std::string& device, int model) {
        std::ofstream(home / "SetUp.ini")
            << "[ComSet]\nComPort=COM1\nBaudrate=57600\nJlyIndex=" << model
            << "\nAddress=8\nReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n[Ports]\nCOM1="
            << device << "\n";
    }
    CliRun Upload(std::vector<std::string> args) {
        args.insert(args.begin(), "upload");
        return testing::RunCli(home, args);
    }
    std::vector<std::string> DataFiles() const {
        std::vector<std::string> files;
        if (!fs::is_directory(home / "Data")) return files;
        for (const auto& e : fs::directory_iterator(home / "Data")) files.push_back(e.path());
        return files;
    }
    // Progress lines may come first; the message closes the output.
    void ExpectRefused(const CliRun& r, const char* message) {
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.ends_with(std::string(message) + "\n")) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(DataFiles().empty());
    }

    testing::TempDir home;
    std::unique_ptr<SimProcess> sim;
};

// The whole memory row walks all 1024 blocks: about 20 s at the link's fixed pauses.
// Over a pseudo-terminal, or over TCP with COM1 mapped to the simulator's tcp:// address as to
// a serial device server.
TEST_P(CliUpload, SpansBecomeFilesOfExactlyTheRecordsOnTheGrid) {
    const struct {
        const char* name;
        sim::RecorderConfig recorder;
        std::vector<std::string> args;
        std::array<bool, 12> selected;
        const char* alignedFrom;  // nullptr: the oldest record held
        const char* alignedTo;
    } cases[] = {
        {"three records, channels 1 and 3 into slots 0 and 1",
         Recorder(1, 4, 3),
         {"--from", "2026-03-01 10:00:05", "--to", "2026-03-01 10:00:35", "--channels", "1,3"},
         Channels({1, 3}),
         "2026-03-01 10:00:10",
         "2026-03-01 10:00:30"},
        {"across the ring seam",
         Recorder(3, 12, 0),
         {"--from", "2026-03-01 10:55:00", "--to", "2026-03-01 10:59:00", "--channels", "2,12"},
         Channels({2, 12}),
         "2026-03-01 10:55:00",
         "2026-03-01 10:58:59"},
        {"model without a channel count has three",
         Recorder(0, 8, 8, 0x1FFFF),
         {"--from", "2026-02-28 11:00:00", "--to", "2026-03-01 11:00:00"},
         Channels({1, 2, 3}),
         "2026-02-28 11:00:00",
         "2026-03-01 10:56:00"},
        {"pointer on another page, twelve-channel model 7",
         Recorder(7, 12, 5, 0x80FF),
         {"--from", "2026-03-01 09:00:00", "--to", "2026-03-01 10:00:00", "--channels", "9,10,11"},
         Channels({9, 10, 11}),
         "2026-03-01 09:00:00",
         "2026-03-01 09:59:30"},
        {"whole memory: the newest record left out",
         Recorder(6, 2, 0, 0x12FF),
         {"--all", "--channels", "2"},
         Channels({2}),
         "2026-02-28 16:47:45",
         "2026-03-01 10:59:59"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home / "Data");
        StartSim(c.recorder, GetParam() == test::Transport::Tcp
                                 ? std::vector<std::string>{"--listen", "0"}
                                 : std::vector<std::string>{});
        const CliRun r = Upload(c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto files = DataFiles();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(r.out, files[0] + "\n");
        const LocalFields end = SplitLocalTime(*ParseTime(c.alignedTo));
        char name[64];
        std::snprintf(name, sizeof name, "08@%d-%02d-%02d_%02d-%02d-%02d.vd", end.year, end.month,
                      end.day, end.hour, end.minute, end.second);
        EXPECT_EQ(fs::path(files[0]).filename(), name);
        const ExpectedUpload e{c.recorder, *ParseTime(c.alignedFrom), *ParseTime(c.alignedTo),
                               c.selected};
        EXPECT_TRUE(testing::ReadBytes(files[0]) == test::ExpectedFile(e));
        if (c.args[0] == "--all") {
            EXPECT_NE(r.err.find("1024/1024"), std::string::npos);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, CliUpload,
                         ::testing::Values(test::Transport::Pty, test::Transport::Tcp),
                         test::TransportName);

TEST_F(CliUpload, RefusedSpansShowTheirMessageAndWriteNothing) {
    StartSim(Recorder(1, 2, 3));
    // The recorder holds 131072 records of 10 s: back to 2026-02-14 06:54:50.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"2026-03-01 10:00:01", "2026-03-01 10:00:00", texts::kStartBeforeEnd},
        {"2026-02-14 06:54:49", "2026-03-01 10:00:00", texts::kStartOutOfRange},
        {"2026-03-01 10:00:00", "2026-03-01 11:00:01", texts::kEndOutOfRange},
    };
    for (const auto& [from, to, message] : cases) {
        ExpectRefused(Upload({"--from", from, "--to", to}), message);
    }
    // The ends of the range themselves are accepted.
    EXPECT_EQ(Upload({"--from", "2026-02-14 06:54:50", "--to", "2026-02-14 06:55:50"}).status, 0);
    EXPECT_EQ(Upload({"--from", "2026-03-01 10:59:00", "--to", "2026-03-01 11:00:00"}).status, 0);
}

// Against each fault of the line an upload either yields the fault-free file or fails with
// the communication message and leaves nothing behind.
TEST_F(CliUpload, FaultsGiveTheSameFileOrNoFile) {
    const sim::RecorderConfig recorder = Recorder(2, 3, 3);
    const auto expected = test::ExpectedFile({recorder, *ParseTime("2026-03-01 09:00:00"),
                                              *ParseTime("2026-03-01 09:20:00"), Channels({1, 3})});
    // Every third reply hit or the line lost for 300 ms: the same file; every reply hit or the
    // line lost for good half-way through the blocks: no file.
    const struct {
        const char* fault;
        const char* every;
        bool completes;
    } cases[] = {
        {"--drop", "3", true},      {"--drop", "1", false},         {"--bad-lrc", "3", true},
        {"--bad-lrc", "1", false},  {"--wrong-address", "3", true}, {"--wrong-address", "1", false},
        {"--exception", "3", true}, {"--exception", "1", false},    {"--noise", "3", true},
        {"--noise", "1", false},    {"--stall", "9:300", true},     {"--stall", "9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fault) + " " + c.every);
        fs::remove_all(home / "Data");
        StartSim(recorder, {c.fault, c.every});
        const CliRun r = Upload(
            {"--from", "2026-03-01 09:00:00", "--to", "2026-03-01 09:20:05", "--channels", "1,3"});
        if (!c.completes) {
            ExpectRefused(r, texts::kCommFailed);
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.err;
        const auto files = DataFiles();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(testing::ReadBytes(files[0]) == expected);
    }
}

// Killed before its first block, half-way or in its last block, by each signal a user or the
// system sends, an upload leaves Data/ empty or holding the whole file: never a file that looks
// whole and is not.
TEST_F(CliUpload, AKilledUploadLeavesNothingOrTheWholeFile) {
    const sim::RecorderConfig recorder = Recorder(2, 3, 3);
    // An end on the record grid moves back one record: the upload of ..10:00:00 ends at 09:59:50.
    const auto expected = test::ExpectedFile({recorder, *ParseTime("2026-03-01 09:00:00"),
                                              *ParseTime("2026-03-01 09:59:50"), Channels({1, 3})});
    const std::pair<int, int> cases[] = {{0, SIGKILL}, {3, SIGKILL}, {5, SIGKILL},
                                         {3, SIGTERM}, {3, SIGINT},  {5, SIGHUP}};
    for (auto [blocks, sig] : cases) {
        SCOPED_TRACE(std::to_string(blocks) + " blocks, signal " + std::to_string(sig));
        fs::remove_all(home / "Data");
        // A slow line: six blocks of two channels take about two seconds.
        StartSim(recorder, {"--baud", "9600"});
        const std::string err = home / "err.txt";
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("VARDO_HOME", home.path().c_str(), 1);
            setenv("TZ", "Asia/Shanghai", 1);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
            dup2(open("/dev/null", O_WRONLY | O_CLOEXEC), 1);
            const std::string cli = std::string(VARDO_BIN_DIR) + "/vardo-cli";
            execl(cli.c_str(), cli.c_str(), "upload", "--from", "2026-03-01 09:00:00", "--to",
                  "2026-03-01 10:00:00", "--channels", "1,3", nullptr);
            _exit(127);
        }
        // Progress lines say "blocks done/all".
        const std::string mark = "\n" + std::to_string(blocks) + "/";
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (("\n" + testing::ReadText(err)).find(mark) == std::string::npos &&
               std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        kill(pid, sig);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const auto files = DataFiles();
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            ASSERT_EQ(files.size(), 1u);  // it finished before the signal came
            EXPECT_TRUE(testing::ReadBytes(files[0]) == expected);
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
            EXPECT_TRUE(files.empty()) << files[0];
        }
    }
}

TEST_F(CliUpload, PortOrFileThatCannotBeOpenedIsReported) {
    StartSim(Recorder(1, 2, 3));
    // The system's message, then the system's reason.
    {
        CSerialPort holder;
        ASSERT_GE(holder.Open(sim->device, 57600, 20, 20, 5, 50, 5), 0);
        const std::string busy = sim->device + ": " + texts::kOpenPortFailed + "\n" + sim->device +
                                 ": Device or resource busy";
        ExpectRefused(Upload({"--all"}), busy.c_str());
        ExpectRefused(testing::RunCli(home, {"recorder"}), busy.c_str());
    }
    ExpectRefused(Upload({"--all", "--port", "/nonexistent/tty"}),
                  (std::string("/nonexistent/tty: ") + texts::kOpenPortFailed +
                   "\n/nonexistent/tty: No such file or directory")
                      .c_str());
    ExpectRefused(
        testing::RunCli(home, {"recorder", "--port", "/dev/null"}),
        (std::string("/dev/null: ") + texts::kOpenPortFailed + "\n/dev/null: Not a serial device")
            .c_str());
    std::ofstream(home / "Data") << "a file where the folder should be";
    const CliRun r = Upload({"--from", "2026-03-01 10:00:00", "--to", "2026-03-01 10:10:00"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(home / "Data: " + texts::kFileCreateFailed), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(CliUpload, OptionsOverrideSettingsForOneRunOnly) {
    sim::RecorderConfig recorder = Recorder(4, 2, 3);
    recorder.address = 5;
    StartSim(recorder);
    WriteSettings("/nonexistent/tty", 1);
    const std::string before = testing::ReadText(home / "SetUp.ini");
    const CliRun r =
        Upload({"--from", "2026-03-01 10:00:00", "--to", "2026-03-01 10:01:00", "--port",
                sim->device, "--model", "4", "--address", "5", "--channels", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto files = DataFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fs::path(files[0]).filename().string().substr(0, 3), "05@");
    EXPECT_EQ(testing::ReadText(home / "SetUp.ini"), before);
    // Without the options the settings lead nowhere.
    EXPECT_EQ(Upload({"--all"}).status, 1);
}

TEST_F(CliUpload, BadArgumentsAndEmptySelectionsAreRefusedBeforeReading) {
    // In-process, so that the test sees every request the recorder was sent.
    sim::CRecorderServer recorder(Recorder(0, 3, 3), {}, 0);
    ASSERT_EQ(recorder.Start(), 1);
    recorder.StartThread();
    WriteSettings(recorder.DevicePath(), 0);
    const struct {
        std::vector<std::string> args;
        bool readsRange;  // refused only once the recorder has told its channel count
    } refused[] = {
        {{}, false},
        {{"--from", "2026-03-01 10:00:00"}, false},
        {{"--all", "--from", "2026-03-01 10:00:00"}, false},
        {{"--all", "--channels", ""}, false},
        {{"--all", "--channels", "0"}, false},
        {{"--all", "--channels", "13"}, false},
        {{"--all", "--channels", "1,"}, false},
        {{"--from", "yesterday", "--to", "2026-03-01 10:00:00"}, false},
        {{"--all", "--model", "8"}, false},
        {{"--all", "--bogus", "1"}, false},
        {{"--all", "--channels", "4,5"}, true},  // the recorder has three
        {{"--all", "--channels", "1,4"}, true},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        recorder.Model().ClearRequestLog();
        const CliRun r = Upload(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err, "");
        EXPECT_EQ(r.out, "");
        const auto log = recorder.Model().RequestLog();
        EXPECT_EQ(log.empty(), !c.readsRange);
        for (const auto& e : log) EXPECT_EQ(e.command, 0x03);
    }
    // A model index in SetUp.ini that names no model.
    WriteSettings(recorder.DevicePath(), 9);
    recorder.Model().ClearRequestLog();
    for (const CliRun& r : {Upload({"--all"}), testing::RunCli(home, {"recorder"})}) {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err, "");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(recorder.Model().RequestLog().empty());
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(CliUpload, RecorderCommandTellsWhatTheRecorderHolds) {
    // The simulator's live value of channel c is (5000 c + 97 t) mod 65536 at the time t of its
    // clock; at this time they are 53035, 58035 and 63035.
    sim::RecorderConfig recorder = Recorder(5, 3, 4, 0x1FFFF, "2026-03-01 10:57:15");
    recorder.ranges[0] = {-500, 1500, 1};
    recorder.ranges[1] = {0, 10000, 2};
    recorder.ranges[2] = {-32000, 32000, 0};
    // Reached through the symbolic link the simulator makes, as a fixed name for [Ports].
    StartSim(recorder, {"--link", home / "ttyRecorder"});
    WriteSettings(home / "ttyRecorder", 5);
    const CliRun r = testing::RunCli(home, {"recorder"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"channels: 3\n", "interval: 15 s (code 4)\n", "channel 1 range: -50.0 .. 150.0\n",
          "channel 2 range: 0.00 .. 100.00\n", "channel 3 range: -32000 .. 32000\n",
          "clock: 2026-03-01 10:57:15\n", "newest record: 2026-03-01 10:57:15\n",
          "write pointer: 131071\n",
          // The range's ends and 1/65535: a division by 65536 gives 111.8, 88.55 and 29558.
          "channel 1 live: 53035 (111.9)\n", "channel 2 live: 58035 (88.56)\n",
          "channel 3 live: 63035 (29559)\n"}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    }
}

}  // namespace
}  // namespace vardo
