// vardo-cli collect against several vardo-recorder-sim processes at once, on pseudo-terminals
// and behind TCP ports, with the archive in the home's Archive.db; and the systemd units that
// run it.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive/archive_engines.h"
#include "archive/archive_store.h"
#include "link/serial_port.h"
#include "recorder_model.h"
#include "support/cli_run.h"
#include "support/sim_process.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::SimProcess;

// Models 6 and 3 hold 65536 records; one channel at 1 s keeps a whole-memory upload near 25 s.
constexpr int kRing = 65536;
const VTime kT0 = *ParseTime("2026-12-01 08:00:00");

struct Sim {
    int model = 6;
    VTime newest = kT0;
    std::uint32_t pointer = 255;
    bool tcp = false;
    std::vector<std::string> faults;
};

std::unique_ptr<SimProcess> StartSim(const Sim& s) {
    std::vector<std::string> args = {"--model",    std::to_string(s.model),
                                     "--channels", "1",
                                     "--interval", "0",
                                     "--newest",   FormatTime(s.newest),
                                     "--pointer",  std::to_string(s.pointer),
                                     "--freeze"};
    if (s.tcp) args.insert(args.end(), {"--listen", "0"});
    args.insert(args.end(), s.faults.begin(), s.faults.end());
    auto p = std::make_unique<SimProcess>(args);
    EXPECT_FALSE(p->device.empty());
    return p;
}

// The ring slot a frozen recorder `records` later than one at slot 255 has its newest in.
std::uint32_t PointerAfter(std::int64_t records) {
    return static_cast<std::uint32_t>((255 + records) % kRing) | 0xFF;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::sort(lines.begin(), lines.end());
    return lines;
}

class CliCollect : public ::testing::Test {
  protected:
    // sections: "NAME" -> its keys; devices: COMn -> device.
    void WriteSettings(const std::vector<std::pair<std::string, std::string>>& sections,
                       const std::map<std::string, std::string>& ports = {}) {
        std::ofstream out(home / "SetUp.ini");
        out << "[ComSet]\nComPort=COM1\nBaudrate=57600\nJlyIndex=0\nAddress=8\n"
               "ReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n";
        for (const auto& [name, keys] : sections) out << "[Recorder:" << name << "]\n" << keys;
        out << "[Ports]\n";
        for (const auto& [com, device] : ports) out << com << "=" << device << "\n";
    }
    CliRun Collect(std::vector<std::string> args = {}) {
        if (!archiveUrl.empty()) args.insert(args.begin(), {"--archive", archiveUrl});
        args.insert(args.begin(), "collect");
        return testing::RunCli(home, args);
    }
    std::unique_ptr<ArchiveStore> Archive() {
        ArchiveOpen open =
            OpenArchive(archiveUrl.empty() ? "sqlite:" + home / "Archive.db" : archiveUrl, true);
        EXPECT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        return std::move(open.store);
    }
    // The archive holds one record of the recorder at `held`, as an earlier run would leave.
    void Seed(const RecorderKey& key, VTime held) {
        RecordConfig config;
        config.channelCount = 1;
        config.present = 1;
        OfferedRecord record;
        record.time = held;
        record.samples[0] = sim::SampleAt(0, held, 1);
        SourceInfo source;
        source.how = kSourceFile;
        AddCounts counts;
        ASSERT_EQ(Archive()->Add(key, config, std::span(&record, 1), source, counts),
                  ArchiveStatus::Ok);
    }
    // Every held time of the recorder, each checked against what the recorder recorded then.
    std::set<VTime> HeldTimes(const RecorderKey& key) {
        auto store = Archive();
        std::vector<RecorderSummary> recorders;
        EXPECT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
        std::set<VTime> times;
        for (const auto& r : recorders) {
            if (!(r.key == key)) continue;
            EXPECT_EQ(
                store->ReadRecords(r.id, 0, VTime{1} << 40,
                                   [&](std::span<const ArchivedRecord> chunk) {
                                       for (const auto& a : chunk) {
                                           EXPECT_EQ(a.samples[0], sim::SampleAt(0, a.time, 1))
                                               << FormatTime(a.time);
                                           times.insert(a.time);
                                       }
                                       return true;
                                   }),
                ArchiveStatus::Ok);
        }
        return times;
    }
    std::vector<std::string> DataFiles() const {
        std::vector<std::string> files;
        if (!fs::is_directory(home / "Data")) return files;
        for (const auto& e : fs::directory_iterator(home / "Data")) files.push_back(e.path());
        return files;
    }
    static std::string Keys(const std::string& port, int model, const std::string& site = "") {
        return "Port=" + port + "\nAddress=8\nJlyIndex=" + std::to_string(model) +
               "\nSite=" + site + "\n";
    }

    testing::TempDir home;
    std::string archiveUrl;  // empty: the home's Archive.db, as a user without --archive has
};

// The runs that write records, on each engine: a kill mid-upload must leave nothing in either.
class CliCollectInto : public CliCollect, public ::testing::WithParamInterface<testing::Engine> {
  protected:
    void SetUp() override {
        if (GetParam() == testing::Engine::Postgres) archiveUrl = place.url();
    }
    testing::ArchivePlace place{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Engines, CliCollectInto, ::testing::ValuesIn(testing::kEngines),
                         testing::EngineParamName);

void AddSpan(std::set<VTime>& times, VTime first, VTime last) {
    for (VTime t = first; t <= last; ++t) times.insert(t);
}

// A series of runs against a recorder on a pseudo-terminal and one behind a TCP port: the first
// takes each whole memory, the next only what was recorded since, one with nothing new makes
// no file, and a ring that wrapped between runs is told with its lost span. The archive then
// holds exactly what full uploads at each run would have given.
TEST_P(CliCollectInto, SeriesOfRunsTakesEachRecordOnceAndTellsWhatTheRingLost) {
    const RecorderKey a{"", 8, "ZT772"}, b{"", 8, "ZT552"};
    std::set<VTime> expectA, expectB;
    auto run = [&](const Sim& sa, const Sim& sb, std::int64_t newA, std::int64_t newB) {
        auto pa = StartSim(sa);
        auto pb = StartSim(sb);
        WriteSettings({{"boiler", Keys("COM2", 6)}, {"kiln", Keys(pb->device, 3)}},
                      {{"COM2", pa->device}});
        const std::size_t filesBefore = DataFiles().size();
        const CliRun r = Collect();
        EXPECT_EQ(r.status, 0) << r.err;
        const auto rows = Lines(r.out);
        EXPECT_EQ(rows.size(), 2u) << r.out;
        EXPECT_EQ(DataFiles().size(), filesBefore + (newA > 0) + (newB > 0));
        for (const auto& [row, name, count] :
             {std::tuple{rows.size() > 0 ? rows[0] : "", "boiler", newA},
              std::tuple{rows.size() > 1 ? rows[1] : "", "kiln", newB}}) {
            const std::string head = std::string(name) + "\t新增 " + std::to_string(count) + "\t";
            EXPECT_TRUE(row.starts_with(head)) << row;
            const std::string path = row.substr(std::min(row.size(), head.size()));
            EXPECT_EQ(path.empty(), count == 0) << row;
            if (!path.empty()) EXPECT_TRUE(fs::exists(path)) << path;
        }
        return r;
    };

    run({6, kT0, 255}, {3, kT0, 255, true}, kRing - 1, kRing - 1);
    AddSpan(expectA, kT0 - (kRing - 1), kT0 - 1);
    AddSpan(expectB, kT0 - (kRing - 1), kT0 - 1);

    const VTime t1 = kT0 + 256;
    run({6, t1, PointerAfter(256)}, {3, t1, PointerAfter(256), true}, 256, 256);
    AddSpan(expectA, kT0, t1 - 1);
    AddSpan(expectB, kT0, t1 - 1);

    // The boiler's ring goes round more than once; the kiln has recorded nothing since.
    const VTime t2 = t1 + 274 * 256;
    const CliRun wrapped =
        run({6, t2, PointerAfter(256 + 274 * 256)}, {3, t1, PointerAfter(256), true}, kRing - 1, 0);
    AddSpan(expectA, t2 - (kRing - 1), t2 - 1);
    const std::string lost = "boiler: 仪表已覆盖 4609 条记录，丢失 " + FormatTime(t1) + " 至 " +
                             FormatTime(t2 - kRing) + "\n";
    EXPECT_NE(wrapped.err.find(lost), std::string::npos) << wrapped.err;

    EXPECT_TRUE(HeldTimes(a) == expectA);
    EXPECT_TRUE(HeldTimes(b) == expectB);
}

// Two recorders on one line (one bus, two sites) are taken in turn: side by side, the second
// would find the terminal locked. A recorder going silent mid-upload, and one whose port
// another program holds, fail alone with their reasons and leave nothing.
TEST_P(CliCollectInto, FailuresStayWithTheirRecorderAndOneBusRunsInTurn) {
    auto bus = StartSim({6, kT0});
    auto mute = StartSim({6, kT0, 255, false, {"--stall", "12"}});
    auto held = StartSim({6, kT0});
    for (const char* site : {"east", "west", "held"}) Seed({site, 8, "ZT772"}, kT0 - 301);
    Seed({"mute", 8, "ZT772"}, kT0 - 3001);
    WriteSettings({{"east", Keys(bus->device, 6, "east")},
                   {"west", Keys("COM3", 6, "west")},
                   {"mute", Keys(mute->device, 6, "mute")},
                   {"held", Keys(held->device, 6, "held")}},
                  {{"COM3", bus->device}});
    CSerialPort other;
    ASSERT_GE(other.Open(held->device, 57600, 20, 20, 5, 50, 5), 0);

    const CliRun r = Collect();
    EXPECT_EQ(r.status, 1);
    const auto rows = Lines(r.out);
    ASSERT_EQ(rows.size(), 2u) << r.out << r.err;
    EXPECT_TRUE(rows[0].starts_with("east\t新增 300\t")) << rows[0];
    EXPECT_TRUE(rows[1].starts_with("west\t新增 300\t")) << rows[1];
    EXPECT_NE(r.err.find("mute: " + mute->device + ": 通讯失败！\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("held: " + held->device + ": 打开串口失败！ 串口被其他程序占用\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(DataFiles().size(), 2u);
    EXPECT_EQ(HeldTimes({"mute", 8, "ZT772"}).size(), 1u);

    // Named recorders only; the port free again.
    other.Close();
    const CliRun again = Collect({"held", "EAST"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Lines(again.out)[0], "east\t新增 0\t");
    EXPECT_TRUE(Lines(again.out)[1].starts_with("held\t新增 300\t"));
}

// A run killed mid-upload leaves no file and no record; the next run takes the same span.
TEST_P(CliCollectInto, KilledRunLeavesNothingAndTheNextRunCompletes) {
    auto sim = StartSim({6, kT0});
    const RecorderKey key{"", 8, "ZT772"};
    Seed(key, kT0 - 20001);
    WriteSettings({{"boiler", Keys(sim->device, 6)}});
    const pid_t child = fork();
    if (child == 0) {
        setenv("VARDO_HOME", home.path().c_str(), 1);
        const std::string cli = std::string(VARDO_BIN_DIR) + "/vardo-cli";
        if (!archiveUrl.empty()) {
            execl(cli.c_str(), cli.c_str(), "collect", "--archive", archiveUrl.c_str(),
                  static_cast<char*>(nullptr));
        }
        execl(cli.c_str(), cli.c_str(), "collect", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the upload ended before the kill";
    EXPECT_TRUE(DataFiles().empty());
    EXPECT_EQ(HeldTimes(key).size(), 1u);

    const CliRun r = Collect();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("boiler\t新增 20000\t")) << r.out;
    EXPECT_EQ(HeldTimes(key).size(), 20001u);
}

TEST_F(CliCollect, ListShowsTheRecordersAndRefusesBadSectionsByName) {
    WriteSettings({{"boiler", Keys("COM2", 6, "east hall")},
                   {"kiln", "Port=tcp://192.0.2.10:4001\nAddress=17\nJlyIndex=0\n"},
                   {"bad", "Address=1\nJlyIndex=1\n"}});
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--list"},
         1,
         "名称\t端口\t地址\t仪表类型\t站点\nboiler\tCOM2\t08\tZT770_12通道伪彩\teast hall\n"
         "kiln\ttcp://192.0.2.10:4001\t17\tZT220\t\n",
         "Recorder:bad: no Port\n"},
        {{"--list", "KILN"},
         0,
         "名称\t端口\t地址\t仪表类型\t站点\nkiln\ttcp://192.0.2.10:4001\t17\tZT220\t\n",
         ""},
        {{"bad"}, 1, "", "Recorder:bad: no Port\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = Collect(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    const CliRun unknown = Collect({"nosuch"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.starts_with("vardo-cli collect: no [Recorder:nosuch] in "))
        << unknown.err;
    EXPECT_FALSE(fs::exists(home / "Archive.db"));
}

// The units as installed, with the service pointing at the vardo-cli just built.
TEST(CollectUnits, SystemdAcceptsTheServiceAndTheTimer) {
    testing::TempDir dir;
    std::string service =
        testing::ReadText(std::string(VARDO_SOURCE_DIR) + "/packaging/vardo-collect.service.in");
    service.replace(service.find("@VARDO_CLI@"), 11, std::string(VARDO_BIN_DIR) + "/vardo-cli");
    testing::WriteBytes(dir / "vardo-collect.service", service);
    fs::copy(std::string(VARDO_SOURCE_DIR) + "/packaging/vardo-collect.timer",
             dir / "vardo-collect.timer");
    fs::create_directory(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    const std::string command = "cd " + testing::ShellQuote(dir.path()) +
                                " && XDG_RUNTIME_DIR=" + testing::ShellQuote(dir / "run") +
                                " systemd-analyze verify --man=no --user ./vardo-collect.service "
                                "./vardo-collect.timer >out.txt 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << testing::ReadText(dir / "out.txt");
    EXPECT_NE(service.find("Type=oneshot"), std::string::npos);
    const std::string timer = testing::ReadText(dir / "vardo-collect.timer");
    EXPECT_NE(timer.find("OnCalendar=*:0/15\n"), std::string::npos);
    EXPECT_NE(timer.find("Persistent=true\n"), std::string::npos);
}

}  // namespace
}  // namespace vardo
