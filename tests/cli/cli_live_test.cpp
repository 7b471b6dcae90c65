// vardo-cli live against vardo-recorder-sim: both real processes, as a user runs them.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "recorder_server.h"
#include "support/cli_run.h"
#include "support/sim_process.h"

namespace vardo {
namespace {

using testing::CliRun;
using testing::SimProcess;
using namespace std::chrono_literals;

// Model 5 with three channels, its clock standing at 2026-03-01 10:57:15: live values 53035,
// 58035 and 63035 (5000 c + 97 t).
std::vector<std::string> SimArgs(std::vector<std::string> extra = {}) {
    std::vector<std::string> a = {"--model",         "5",
                                  "--channels",      "3",
                                  "--newest",        "2026-03-01 10:57:15",
                                  "--freeze",        "--range",
                                  "1:-500:1500:1",   "--range",
                                  "2:0:10000:2",     "--range",
                                  "3:-32000:32000:0"};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

class CliLive : public ::testing::Test {
  protected:
    void WriteSettings(const std::string& device, const std::string& extra = {}) {
        // The first of two equal keys counts: extra settings go first.
        std::ofstream(home / "SetUp.ini")
            << "[ComSet]\n"
            << extra
            << "ComPort=COM1\nBaudrate=57600\nJlyIndex=5\nAddress=8\nInterval=0\n"
               "ReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n[Ports]\nCOM1="
            << device << "\n";
    }
    void StartSim(std::vector<std::string> extra = {}) {
        sim = std::make_unique<SimProcess>(SimArgs(std::move(extra)));
        ASSERT_FALSE(sim->device.empty());
        WriteSettings(sim->device);
    }
    CliRun Live(std::vector<std::string> args) {
        args.insert(args.begin(), "live");
        return testing::RunCli(home, args);
    }

    testing::TempDir home;
    std::unique_ptr<SimProcess> sim;
};

TEST_F(CliLive, SamplesAreStampedFromTheRecordersClockAndSaved) {
    StartSim();
    const CliRun r = Live({"--count", "3", "--save"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "编号\t时间\t通道1\t通道2\t通道3\n"
              "1\t2026-03-01 10:57:16\t111.9\t88.56\t29559\n"
              "2\t2026-03-01 10:57:17\t111.9\t88.56\t29559\n"
              "3\t2026-03-01 10:57:18\t111.9\t88.56\t29559\n");
    const std::string file = home / "Data/08@2026-03-01_10-57-18.vd";
    EXPECT_EQ(r.err, file + "\n");
    const CliRun info = testing::RunCli(home, {"info", file});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("开始时间：2026年03月01日 10时57分16秒"), std::string::npos)
        << info.out;
}

// The recorder answers the start's read and one poll, then nothing: every sample repeats the
// values of that poll (the second read), and the run still ends on time.
TEST_F(CliLive, DeadLineRepeatsTheLastPollAndAnUnreadableClockGivesTheComputers) {
    StartSim({"--live-per-read", "--silent-after-live", "2", "--no-clock"});
    const auto before = std::time(nullptr);
    const CliRun r = Live({"--count", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Read n gives 5000 c + 97 (n - 1): 97, 5097, 10097.
    const std::string values = "\t-49.7\t7.78\t-22139\n";
    const std::string lines = r.out.substr(r.out.find('\n') + 1);
    const std::string second = lines.substr(lines.find('\n') + 1);
    EXPECT_EQ(lines.substr(21, values.size()), values) << lines;
    EXPECT_EQ(second.substr(21), values) << lines;
    const VTime first = *ParseTime(lines.substr(2, 19));
    EXPECT_GE(first, before + 1);
    EXPECT_LE(first, std::time(nullptr));
}

TEST_F(CliLive, RefusalsBeforeThePortOpensAndFailedStarts) {
    // In-process, so that the test sees every request the recorder was sent.
    sim::RecorderConfig config;
    config.modelIndex = 5;
    sim::CRecorderServer recorder(config, {}, 0);
    ASSERT_EQ(recorder.Start(), 1);
    recorder.StartThread();
    const struct {
        std::vector<std::string> args;
        const char* settings;
        const char* err;  // the whole of stderr; nullptr: a usage error
    } refused[] = {
        {{"--count", "0"}, "", nullptr},
        {{"--count", "x"}, "", nullptr},
        {{"--bogus"}, "", nullptr},
        {{}, "JlyIndex=8\n", "vardo-cli: model index 8 (JlyIndex) is not one of 0..7\n"},
        {{}, "Interval=9\n", "vardo-cli: sampling time 9 (Interval) is not one of 0..8\n"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(::testing::PrintToString(c.args) + c.settings);
        WriteSettings(recorder.DevicePath(), c.settings);
        const CliRun r = Live(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        if (c.err) {
            EXPECT_EQ(r.err, c.err);
        } else {
            EXPECT_NE(r.err.find("usage: vardo-cli live [--count K]"), std::string::npos) << r.err;
        }
    }
    EXPECT_TRUE(recorder.Model().RequestLog().empty());

    // "串口被占用" for every port that would not open, and after it the system's reason.
    const std::pair<std::string, const char*> ports[] = {
        {"/nonexistent/tty", "No such file or directory"},
        {"/dev/null", "Not a serial device"},
        {home / "SetUp.ini", "Not a serial device"},
        {home.path(), "Is a directory"},
    };
    CliRun r;
    for (const auto& [dev, reason] : ports) {
        WriteSettings(dev);
        r = Live({"--save"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, dev + ": 串口被占用\n" + dev + ": " + reason + "\n" + dev +
                             ": 初始化失败，请检查通讯是否正常！\n");
    }
    WriteSettings(recorder.DevicePath());
    std::ofstream(home / "Data") << "in the way";
    r = Live({"--save"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, recorder.DevicePath() + ": 文件建立失败！\n" + recorder.DevicePath() +
                         ": 初始化失败，请检查通讯是否正常！\n");
}

// Killed without a word, a saving run leaves a file that reads as what it took; stopped by a
// signal, it finishes the file under its final name.
TEST_F(CliLive, KilledRunLeavesAReadableFileAndTermFinishesIt) {
    StartSim();
    for (int sig : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(sig);
        std::filesystem::remove_all(home / "Data");
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("VARDO_HOME", home.path().c_str(), 1);
            setenv("TZ", "Asia/Shanghai", 1);
            freopen("/dev/null", "w", stdout);
            freopen((home / "err.txt").c_str(), "w", stderr);
            execl(VARDO_BIN_DIR "/vardo-cli", "vardo-cli", "live", "--save", nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(2800ms);
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        const auto files = testing::FileNames(home / "Data");
        ASSERT_EQ(files.size(), 1u);
        const std::string name = *files.begin();
        if (sig == SIGTERM) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            EXPECT_EQ(name.substr(0, 20), "08@2026-03-01_10-57-");
            EXPECT_EQ(testing::ReadText(home / "err.txt"), home / ("Data/" + name) + "\n");
        } else {
            EXPECT_EQ(name, "08@1970-01-01_08-00-00.vd");
        }
        const CliRun info = testing::RunCli(home, {"info", home / ("Data/" + name)});
        EXPECT_EQ(info.status, 0) << info.err;
        if (sig != SIGKILL) continue;
        // The next run puts the killed one's file under its proper name first, and says so.
        const CliRun next = Live({"--save", "--count", "1"});
        EXPECT_EQ(next.status, 0) << next.err;
        const std::string left = home / ("Data/" + name);
        EXPECT_TRUE(next.err.starts_with(left + ": 中断的实时保存，已按最新记录改名为 " +
                                         (home / "Data/08@2026-03-01_10-57-")))
            << next.err;
        const auto after = testing::FileNames(home / "Data");
        EXPECT_EQ(after.size(), 2u);
        for (const std::string& n : after) EXPECT_TRUE(n.starts_with("08@2026-03-01_10-57-")) << n;
    }
}

// Only a reader that went away ends the run quietly; any other failed write stops it with the
// reason and status 1. Either way the samples taken are saved under their name and reported.
TEST_F(CliLive, OutputThatCannotBeWrittenStopsTheRunAndKeepsWhatWasTaken) {
    StartSim();
    constexpr off_t kLimit = 64 << 20;  // above any history file
    const std::string big = home / "out.big";
    for (const bool readerGone : {true, false}) {
        SCOPED_TRACE(readerGone ? "reader went away" : "file too large");
        std::filesystem::remove_all(home / "Data");
        int pipeFds[2] = {-1, -1};
        if (readerGone) {
            ASSERT_EQ(pipe(pipeFds), 0);
        } else {
            // Room for the header and one sample's line: the second line meets the limit.
            std::filesystem::remove(big);
            testing::WriteBytes(big, std::string());
            std::filesystem::resize_file(big, kLimit - 100);
        }
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("VARDO_HOME", home.path().c_str(), 1);
            setenv("TZ", "Asia/Shanghai", 1);
            if (readerGone) {
                dup2(pipeFds[1], 1);
                close(pipeFds[0]);
                close(pipeFds[1]);
            } else {
                const rlimit limit{static_cast<rlim_t>(kLimit), static_cast<rlim_t>(kLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
                signal(SIGXFSZ, SIG_IGN);
                dup2(open(big.c_str(), O_WRONLY | O_APPEND), 1);
            }
            freopen((home / "err.txt").c_str(), "w", stderr);
            execl(VARDO_BIN_DIR "/vardo-cli", "vardo-cli", "live", "--save", "--count", "5",
                  nullptr);
            _exit(127);
        }
        if (readerGone) {
            // The header and the first sample, then the reader leaves.
            close(pipeFds[1]);
            std::string got;
            char buffer[256];
            while (std::count(got.begin(), got.end(), '\n') < 2) {
                const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
                if (n <= 0) break;
                got.append(buffer, static_cast<std::size_t>(n));
            }
            close(pipeFds[0]);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        const auto files = testing::FileNames(home / "Data");
        ASSERT_EQ(files.size(), 1u);
        const std::string saved = home / ("Data/" + *files.begin());
        const std::string err = testing::ReadText(home / "err.txt");
        EXPECT_TRUE(WIFEXITED(status)) << status;
        if (readerGone) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            EXPECT_EQ(err, saved + "\n");
            EXPECT_TRUE(files.begin()->starts_with("08@2026-03-01_10-57-1")) << *files.begin();
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 1);
            EXPECT_EQ(err,
                      "vardo-cli live: writing the output failed: File too large\n" + saved + "\n");
            // Two samples taken: the one printed and the one whose line did not fit.
            EXPECT_EQ(*files.begin(), "08@2026-03-01_10-57-17.vd");
        }
        EXPECT_EQ(testing::RunCli(home, {"info", saved}).status, 0);
    }
}

// Ctrl-C while the start retries a dead line ends the run at once, as after any sample.
TEST_F(CliLive, InterruptedStartEndsAtOnceWithoutAWord) {
    StartSim({"--stall", "1"});
    WriteSettings(sim->device, "ReadTotalTimeoutConstant=3000\n");
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("VARDO_HOME", home.path().c_str(), 1);
        freopen((home / "out.txt").c_str(), "w", stdout);
        freopen((home / "err.txt").c_str(), "w", stderr);
        execl(VARDO_BIN_DIR "/vardo-cli", "vardo-cli", "live", "--save", nullptr);
        _exit(127);
    }
    // Its stop handler is in place before it opens the port: wait for the open, not a guess.
    const auto opened = [&] {
        std::error_code ec;
        const std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds, ec)) {
            if (std::filesystem::read_symlink(fd.path(), ec) == sim->device) return true;
        }
        return false;
    };
    for (const auto limit = std::chrono::steady_clock::now() + 20s;
         !opened() && std::chrono::steady_clock::now() < limit;) {
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(opened()) << "vardo-cli never opened " << sim->device;
    kill(pid, SIGINT);
    const auto sent = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 2s) << "the retries were waited out";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(testing::ReadText(home / "out.txt"), "");
    EXPECT_EQ(testing::ReadText(home / "err.txt"), "");
    EXPECT_TRUE(testing::FileNames(home / "Data").empty());
}

}  // namespace
}  // namespace vardo
