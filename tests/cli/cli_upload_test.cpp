// vardo-cli upload and recorder against vardo-recorder-sim on a pseudo-terminal: both real
// processes, the recorder's settings in SetUp.ini of a VARDO_HOME of their own.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/texts.h"
#include "link/expected_file.h"
#include "link/serial_port.h"
#include "sim_process.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::ExpectedUpload;
using test::RunCli;
using test::SimProcess;

sim::RecorderConfig Recorder(int model, int channels, int intervalCode, const char* newest) {
    sim::RecorderConfig c;
    c.modelIndex = model;
    c.channelCount = channels;
    c.intervalCode = intervalCode;
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
                                 const std::vector<std::string>& extra = {}) {
    std::vector<std::string> a = {
        "--model",    std::to_string(c.modelIndex),   "--address",  std::to_string(c.address),
        "--channels", std::to_string(c.channelCount), "--interval", std::to_string(c.intervalCode),
        "--newest",   FormatTime(c.newestTime),       "--pointer",  std::to_string(c.writePointer),
        "--freeze"};
    if (c.records != 0) a.insert(a.end(), {"--records", std::to_string(c.records)});
    for (int i = 0; i < 12; ++i) {
        const auto& r = c.ranges[static_cast<std::size_t>(i)];
        a.insert(a.end(),
                 {"--range", std::to_string(i + 1) + ":" + std::to_string(r.low) + ":" +
                                 std::to_string(r.high) + ":" + std::to_string(r.decimals)});
    }
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

class CliUpload : public ::testing::Test {
  protected:
    CliUpload() {
        std::string t = (fs::temp_directory_path() / "vardo-upload-XXXXXX").string();
        home = mkdtemp(t.data());
        home += "/";
    }
    ~CliUpload() override { fs::remove_all(home); }

    // SetUp.ini with COM1 on the simulator's terminal; ComSet as the recorder is set up.
    void WriteSettings(const std::string& device, int model, int address = 8, int baud = 57600) {
        std::ofstream ini(home + "SetUp.ini");
        ini << "[ComSet]\nComPort=COM1\nBaudrate=" << baud << "\nJlyIndex=" << model
            << "\nAddress=" << address
            << "\nReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n[Ports]\nCOM1=" << device
            << "\n";
    }

    std::vector<std::string> DataFiles() const {
        std::vector<std::string> files;
        if (!fs::exists(home + "Data")) return files;
        for (const auto& e : fs::directory_iterator(home + "Data")) files.push_back(e.path());
        return files;
    }

    std::string home;
};

std::array<bool, 12> Channels(std::initializer_list<int> numbers) {
    std::array<bool, 12> a{};
    for (int n : numbers) a[static_cast<std::size_t>(n - 1)] = true;
    return a;
}

TEST_F(CliUpload, SpansBecomeFilesOfExactlyTheRecordsOnTheGrid) {
    struct Case {
        const char* name;
        sim::RecorderConfig recorder;
        std::uint32_t pointer;
        const char* from;
        const char* to;
        const char* channels;  // nullptr: every channel
        std::array<bool, 12> selected;
        const char* alignedFrom;
        const char* alignedTo;
    };
    const Case cases[] = {
        {"span of three records, channels 1 and 3 into slots 0 and 1",
         Recorder(1, 4, 3, "2026-03-01 11:00:00"), 255, "2026-03-01 10:00:05",
         "2026-03-01 10:00:35", "1,3", Channels({1, 3}), "2026-03-01 10:00:10",
         "2026-03-01 10:00:30"},
        {"span across the ring seam", Recorder(3, 12, 0, "2026-03-01 11:00:00"), 255,
         "2026-03-01 10:55:00", "2026-03-01 10:59:00", "2,12", Channels({2, 12}),
         "2026-03-01 10:55:00", "2026-03-01 10:58:59"},
        {"model without a channel count has three", Recorder(0, 8, 8, "2026-03-01 11:00:00"),
         0x1FFFF, "2026-02-28 11:00:00", "2026-03-01 11:00:00", nullptr, Channels({1, 2, 3}),
         "2026-02-28 11:00:00", "2026-03-01 10:56:00"},
        {"pointer on another page, twelve-channel model 7",
         Recorder(7, 12, 5, "2026-03-01 11:00:00"), 0x80FF, "2026-03-01 09:00:00",
         "2026-03-01 10:00:00", "9,10,11", Channels({9, 10, 11}), "2026-03-01 09:00:00",
         "2026-03-01 09:59:30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home + "Data");
        sim::RecorderConfig recorder = c.recorder;
        recorder.writePointer = c.pointer;
        SimProcess simulator(SimArgs(recorder));
        ASSERT_FALSE(simulator.device.empty());
        WriteSettings(simulator.device, recorder.modelIndex);
        std::vector<std::string> args = {"upload", "--from", c.from, "--to", c.to};
        if (c.channels) args.insert(args.end(), {"--channels", c.channels});
        const CliResult r = RunCli(home, args);
        ASSERT_EQ(r.status, 0) << r.err;
        const auto files = DataFiles();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(r.out, files[0] + "\n");
        const LocalFields end = SplitLocalTime(*ParseTime(c.alignedTo));
        char name[64];
        std::snprintf(name, sizeof name, "08@%d-%02d-%02d_%02d-%02d-%02d.vd", end.year, end.month,
                      end.day, end.hour, end.minute, end.second);
        EXPECT_EQ(fs::path(files[0]).filename(), name);
        ExpectedUpload e{recorder, *ParseTime(c.alignedFrom), *ParseTime(c.alignedTo), c.selected};
        EXPECT_TRUE(test::ReadWholeFile(files[0]) == test::ExpectedFile(e));
    }
}

// The whole memory: the newest record left out, the oldest time written, no record invented.
TEST_F(CliUpload, WholeMemoryHoldsCapacityMinusOneRecordsWithTheirOldestTime) {
    sim::RecorderConfig recorder = Recorder(6, 2, 0, "2026-03-01 11:00:00");
    recorder.writePointer = 0x12FF;
    SimProcess simulator(SimArgs(recorder));
    WriteSettings(simulator.device, 6);
    const CliResult r = RunCli(home, {"upload", "--all", "--channels", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto files = DataFiles();
    ASSERT_EQ(files.size(), 1u);
    const auto file = test::ReadWholeFile(files[0]);
    const VTime newest = recorder.newestTime;
    ExpectedUpload e{recorder, newest - 65535, newest - 1, Channels({2})};
    EXPECT_TRUE(file == test::ExpectedFile(e));
    ASSERT_GT(file.size(), 256u);
    EXPECT_EQ(file[144], 1);
    EXPECT_EQ(UnpackTime(&file[145]), newest - 65535);
    EXPECT_NE(r.err.find("1024/1024"), std::string::npos);
}

TEST_F(CliUpload, RefusedSpansShowTheirMessageAndWriteNothing) {
    const sim::RecorderConfig recorder = Recorder(1, 2, 3, "2026-03-01 11:00:00");
    SimProcess simulator(SimArgs(recorder));
    WriteSettings(simulator.device, 1);
    struct Case {
        const char* from;
        const char* to;
        const char* message;
    };
    // The recorder holds 131072 records of 10 s: back to 2026-02-14 06:54:50.
    const Case cases[] = {
        {"2026-03-01 10:00:01", "2026-03-01 10:00:00", texts::kStartBeforeEnd},
        {"2026-02-14 06:54:49", "2026-03-01 10:00:00", texts::kStartOutOfRange},
        {"2026-03-01 10:00:00", "2026-03-01 11:00:01", texts::kEndOutOfRange},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(home, {"upload", "--from", c.from, "--to", c.to});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string(c.message) + "\n");
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(DataFiles().empty());
    }
    // The ends of the range themselves are accepted.
    for (const auto& [from, to] : {std::pair{"2026-02-14 06:54:50", "2026-02-14 06:55:50"},
                                   std::pair{"2026-03-01 10:59:00", "2026-03-01 11:00:00"}}) {
        const CliResult edge = RunCli(home, {"upload", "--from", from, "--to", to});
        EXPECT_EQ(edge.status, 0) << edge.err;
    }
}

// Against each fault of the line an upload either yields the fault-free file or fails with
// the communication message and leaves nothing behind.
TEST_F(CliUpload, FaultsGiveTheSameFileOrNoFile) {
    const sim::RecorderConfig recorder = Recorder(2, 3, 3, "2026-03-01 11:00:00");
    const ExpectedUpload clean{recorder, *ParseTime("2026-03-01 09:00:00"),
                               *ParseTime("2026-03-01 09:20:00"), Channels({1, 3})};
    const auto expected = test::ExpectedFile(clean);
    struct Case {
        std::vector<std::string> fault;
        bool completes;
    };
    const Case cases[] = {
        {{"--drop", "3"}, true},
        {{"--bad-lrc", "3"}, true},
        {{"--wrong-address", "3"}, true},
        {{"--exception", "3"}, true},
        {{"--noise", "3"}, true},
        {{"--stall", "9:300"}, true},
        {{"--drop", "1"}, false},
        {{"--bad-lrc", "1"}, false},
        {{"--wrong-address", "1"}, false},
        {{"--exception", "1"}, false},
        {{"--noise", "1"}, false},
        {{"--stall", "9"}, false},  // silent half-way through the blocks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault[0] + " " + c.fault[1]);
        fs::remove_all(home + "Data");
        SimProcess simulator(SimArgs(recorder, c.fault));
        WriteSettings(simulator.device, 2);
        const CliResult r = RunCli(home, {"upload", "--from", "2026-03-01 09:00:00", "--to",
                                          "2026-03-01 09:20:05", "--channels", "1,3"});
        const auto files = DataFiles();
        if (c.completes) {
            ASSERT_EQ(r.status, 0) << r.err;
            ASSERT_EQ(files.size(), 1u);
            EXPECT_TRUE(test::ReadWholeFile(files[0]) == expected);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.err.find(texts::kCommFailed), std::string::npos) << r.err;
            EXPECT_TRUE(files.empty());
        }
    }
}

TEST_F(CliUpload, FileThatCannotBeCreatedIsReported) {
    const sim::RecorderConfig recorder = Recorder(1, 2, 3, "2026-03-01 11:00:00");
    SimProcess simulator(SimArgs(recorder));
    WriteSettings(simulator.device, 1);
    std::ofstream(home + "Data") << "a file where the folder should be";
    const CliResult r =
        RunCli(home, {"upload", "--from", "2026-03-01 10:00:00", "--to", "2026-03-01 10:10:00"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(texts::kFileCreateFailed), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
}

TEST_F(CliUpload, PortHeldElsewhereOrMissingCannotBeOpened) {
    const sim::RecorderConfig recorder = Recorder(1, 2, 3, "2026-03-01 11:00:00");
    SimProcess simulator(SimArgs(recorder));
    WriteSettings(simulator.device, 1);
    {
        CSerialPort holder;
        ASSERT_GE(holder.Open(simulator.device, 57600, 20, 20, 5, 50, 5), 0);
        const CliResult r = RunCli(home, {"upload", "--all"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string(texts::kOpenPortFailed) + "\n");
        const CliResult info = RunCli(home, {"recorder"});
        EXPECT_EQ(info.status, 1);
        EXPECT_EQ(info.err, std::string(texts::kOpenPortFailed) + "\n");
    }
    const CliResult missing = RunCli(home, {"upload", "--all", "--port", "/nonexistent/tty"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, std::string(texts::kOpenPortFailed) + "\n");
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(CliUpload, OptionsOverrideSettingsForOneRunOnly) {
    sim::RecorderConfig recorder = Recorder(4, 2, 3, "2026-03-01 11:00:00");
    recorder.address = 5;
    SimProcess simulator(SimArgs(recorder));
    WriteSettings("/nonexistent/tty", 1, 8);
    const std::string before = test::SlurpText(home + "SetUp.ini");
    const CliResult r = RunCli(
        home, {"upload", "--from", "2026-03-01 10:00:00", "--to", "2026-03-01 10:01:00", "--port",
               simulator.device, "--model", "4", "--address", "5", "--channels", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto files = DataFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fs::path(files[0]).filename().string().substr(0, 3), "05@");
    EXPECT_EQ(test::SlurpText(home + "SetUp.ini"), before);
    // Without the options the settings lead nowhere.
    EXPECT_EQ(RunCli(home, {"upload", "--all"}).status, 1);
}

TEST_F(CliUpload, BadArgumentsAndEmptySelectionsAreRefusedBeforeReading) {
    const sim::RecorderConfig recorder = Recorder(0, 3, 3, "2026-03-01 11:00:00");
    SimProcess simulator(SimArgs(recorder));
    WriteSettings(simulator.device, 0);
    const std::vector<std::vector<std::string>> refused = {
        {"upload"},
        {"upload", "--from", "2026-03-01 10:00:00"},
        {"upload", "--all", "--from", "2026-03-01 10:00:00"},
        {"upload", "--all", "--channels", ""},
        {"upload", "--all", "--channels", "0"},
        {"upload", "--all", "--channels", "13"},
        {"upload", "--all", "--channels", "1,"},
        {"upload", "--from", "yesterday", "--to", "2026-03-01 10:00:00"},
        {"upload", "--all", "--model", "8"},
        {"upload", "--all", "--bogus", "1"},
        {"upload", "--all", "--channels", "4,5"},  // the recorder has three
        {"upload", "--all", "--channels", "1,4"},
    };
    for (const auto& args : refused) {
        const CliResult r = RunCli(home, args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
    // A model index in SetUp.ini that names no model.
    WriteSettings(simulator.device, 9);
    for (const char* command : {"upload", "recorder"}) {
        std::vector<std::string> args = {command};
        if (args[0] == "upload") args.push_back("--all");
        const CliResult r = RunCli(home, args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(CliUpload, RecorderCommandTellsWhatTheRecorderHolds) {
    sim::RecorderConfig recorder = Recorder(5, 2, 4, "2026-03-01 11:00:00");
    recorder.writePointer = 0x1FFFF;
    recorder.ranges[0] = {-500, 1500, 1};
    recorder.ranges[1] = {0, 10000, 2};
    // Reached through the symbolic link the simulator makes, as a fixed name for [Ports].
    SimProcess simulator(SimArgs(recorder, {"--link", home + "ttyRecorder"}));
    WriteSettings(home + "ttyRecorder", 5);
    const CliResult r = RunCli(home, {"recorder"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"channels: 2\n", "interval: 15 s (code 4)\n", "channel 1 range: -50.0 .. 150.0\n",
          "channel 2 range: 0.00 .. 100.00\n", "clock: 2026-03-01 11:00:00\n",
          "newest record: 2026-03-01 11:00:00\n", "write pointer: 131071\n",
          "channel 1 live: ", "channel 2 live: "}) {
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    }
}

}  // namespace
}  // namespace vardo
