// vardo-cli collect as the timer runs it, against N simulated recorders on N lines (pseudo-
// terminals and TCP ports by turns). The figures of merit: N lines against one alone (each
// recorder with the same span to take), and a run that finds nothing new, per recorder.
// scripts/bench runs it with repetitions; compare the medians.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;
using vardo::testing::SimProcess;

// Records new on each recorder at every measured run: about a minute and a half of the upload's
// pace would be a whole ring; this is a typical quarter hour of 1 s records.
constexpr int kNewRecords = 900;
const char* kNewest = "2026-12-01 08:00:00";

struct Plant {
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::string home;

    explicit Plant(int n) {
        std::string t = (fs::temp_directory_path() / "vardo-bench-XXXXXX").string();
        home = std::string(mkdtemp(t.data())) + "/";
        std::ofstream ini(home + "SetUp.ini");
        ini << "[ComSet]\nBaudrate=57600\nReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n";
        for (int i = 0; i < n; ++i) {
            std::vector<std::string> args = {"--model",    "6",      "--channels", "1",
                                             "--interval", "0",      "--newest",   kNewest,
                                             "--freeze",   "--baud", "57600"};
            if (i % 2 == 1) args.insert(args.end(), {"--listen", "0"});
            sims.push_back(std::make_unique<SimProcess>(args));
            ini << "[Recorder:r" << i << "]\nPort=" << sims.back()->device
                << "\nAddress=8\nJlyIndex=6\nSite=s" << i << "\n";
        }
    }
    ~Plant() { fs::remove_all(home); }

    // The archive as a run kNewRecords ago left it.
    bool Seed() {
        fs::remove(home + "Archive.db");
        fs::remove_all(home + "Data");
        auto open = vardo::OpenArchive("sqlite:" + home + "Archive.db", true);
        if (open.status != vardo::ArchiveStatus::Ok) return false;
        vardo::RecordConfig config;
        config.channelCount = 1;
        config.present = 1;
        vardo::OfferedRecord record;
        record.time = *vardo::ParseTime(kNewest) - kNewRecords - 1;
        vardo::SourceInfo source;
        source.how = vardo::kSourceFile;
        for (std::size_t i = 0; i < sims.size(); ++i) {
            vardo::AddCounts counts;
            if (open.store->Add({"s" + std::to_string(i), 8, "ZT772"}, config,
                                std::span(&record, 1), source, counts) != vardo::ArchiveStatus::Ok)
                return false;
        }
        return true;
    }

    // Seconds of one vardo-cli collect; negative when it failed.
    double Collect(const std::string& only = {}) const {
        const std::string command = "VARDO_HOME=" + home + " " + VARDO_BIN_DIR +
                                    "/vardo-cli collect " + only + " >/dev/null 2>&1";
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? s : -1;
    }
};

// N recorders, each with kNewRecords new, collected at once. N = 1 is the slowest alone.
void BM_CollectLines(benchmark::State& state) {
    Plant plant(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        const bool seeded = plant.Seed();
        state.ResumeTiming();
        const double s = seeded ? plant.Collect() : -1;
        if (s < 0) {
            state.SkipWithError("collect failed");
            break;
        }
        state.SetIterationTime(s);
    }
}
BENCHMARK(BM_CollectLines)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A run with nothing new on any recorder; the counter is the time per recorder.
void BM_CollectNothingNew(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Plant plant(n);
    if (!plant.Seed() || plant.Collect() < 0) {
        state.SkipWithError("first collect failed");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        const double s = plant.Collect();
        if (s < 0) {
            state.SkipWithError("collect failed");
            break;
        }
        total += s;
        state.SetIterationTime(s);
    }
    state.counters["s_per_recorder"] =
        benchmark::Counter(total / n / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_CollectNothingNew)
    ->Arg(1)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
