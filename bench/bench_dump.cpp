// vardo-cli dump --all of the largest file (12 channels, 131072 records, about 13 MB of text)
// should take no more than six times a memory copy of its text: the rows' text in memory is
// measured beside that copy, and the command as the user runs it beside gzip -1 of the same
// text. vardo-cli stats --all of the same file should take no more than ten times a read of the
// file: the records' statistics are measured beside that read and beside the walk reading every
// sample one by one. The two ways of making a time text are measured apart.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/local_time_text.h"
#include "datalist/channel_stats.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"
#include "support/cli_run.h"

namespace {

using namespace vardo;

const std::string kCli = vardo::testing::ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");

class DumpFiles {
  public:
    DumpFiles() {
        vardo::testing::WriteBytes(file,
                                   vardo::testing::BuildFile(vardo::testing::FullFileLayout()));
        Run(kCli + " dump --all " + vardo::testing::ShellQuote(file) + " >" +
            vardo::testing::ShellQuote(text));
    }
    static int Run(const std::string& command) {
        return std::system(("VARDO_HOME=/nonexistent TZ=Asia/Shanghai " + command).c_str());
    }
    vardo::testing::TempDir home;
    const std::string file = home / "full.vd";
    const std::string text = home / "full.txt";
};

const DumpFiles& Files() {
    static DumpFiles files;
    return files;
}

// CPU seconds the finished children have used: on a shared machine the wall time mostly
// measures the others.
double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& tv) { return tv.tv_sec + tv.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunCommand(benchmark::State& state, const std::string& command) {
    Files();
    const double before = ChildCpuSeconds();
    for (auto _ : state) {
        if (DumpFiles::Run(command) != 0) state.SkipWithError("the command failed");
    }
    state.counters["child_cpu_ms"] =
        (ChildCpuSeconds() - before) * 1e3 / static_cast<double>(state.iterations());
}

void BM_CliDumpAllToDevNull(benchmark::State& state) {
    RunCommand(state,
               kCli + " dump --all " + vardo::testing::ShellQuote(Files().file) + " >/dev/null");
}
BENCHMARK(BM_CliDumpAllToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Gzip1OfTheSameText(benchmark::State& state) {
    RunCommand(state, "gzip -1 <" + vardo::testing::ShellQuote(Files().text) + " >/dev/null");
    state.counters["bytes"] = static_cast<double>(vardo::testing::ReadText(Files().text).size());
}
BENCHMARK(BM_Gzip1OfTheSameText)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliStatsAllToDevNull(benchmark::State& state) {
    RunCommand(state,
               kCli + " stats --all " + vardo::testing::ShellQuote(Files().file) + " >/dev/null");
}
BENCHMARK(BM_CliStatsAllToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every sample of every record read and folded into one number: what any statistics must do.
void BM_WalkReadingSamples(benchmark::State& state) {
    const auto file = vardo::testing::DecodeFile(vardo::testing::FullFileLayout());
    const HistoryData& h = file->h;
    for (auto _ : state) {
        std::uint32_t fold = 0;
        WalkRows(h, h.oldestTime, h.newestTime, 1, 0, [&](const WalkedRow& row) {
            for (int ch = 0; ch < h.channelCount; ++ch) fold += SampleAtSlot(h, ch, row.slot);
        });
        benchmark::DoNotOptimize(fold);
    }
    state.SetItemsProcessed(state.iterations() * h.totalRecords * h.channelCount);
}
BENCHMARK(BM_WalkReadingSamples)->Unit(benchmark::kMillisecond);

// The same walk with the statistics' accumulator, as vardo-cli stats --all runs it.
void BM_WalkWithStatAccumulator(benchmark::State& state) {
    const auto file = vardo::testing::DecodeFile(vardo::testing::FullFileLayout());
    const HistoryData& h = file->h;
    for (auto _ : state) benchmark::DoNotOptimize(RecordStats(h, h.oldestTime, h.newestTime, 1));
    state.SetItemsProcessed(state.iterations() * h.totalRecords * h.channelCount);
}
BENCHMARK(BM_WalkWithStatAccumulator)->Unit(benchmark::kMillisecond);

// The rows' text in memory: what dump does between reading the file and writing.
void BM_WalkWithRowTexts(benchmark::State& state) {
    const auto file = vardo::testing::DecodeFile(vardo::testing::FullFileLayout());
    const HistoryData& h = file->h;
    for (auto _ : state) {
        CRowTexts cells(h);
        std::size_t bytes = 0;
        const RowWalkResult walk = PlanWalk(h, h.oldestTime, h.newestTime, 1, 0);
        const bool written =
            WriteRowsText(h, walk, 1, 0, cells, '\t', [&bytes](std::string_view chunk) {
                bytes += chunk.size();
                return true;
            });
        benchmark::DoNotOptimize(written);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * h.totalRecords * 12);
}
BENCHMARK(BM_WalkWithRowTexts)->Unit(benchmark::kMillisecond);

// The yardsticks: a memory copy of dump's whole text, and a read of the file stats reads.
void BM_MemoryCopyOfDumpText(benchmark::State& state) {
    const std::string text = vardo::testing::ReadText(Files().text);
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_MemoryCopyOfDumpText)->Unit(benchmark::kMillisecond);

void BM_ReadOfTheFile(benchmark::State& state) {
    for (auto _ : state) {
        HistoryData h;
        if (ReadHistoryFile(Files().file, h) == 0) state.SkipWithError("the file did not read");
        benchmark::DoNotOptimize(h.file.data());
    }
}
BENCHMARK(BM_ReadOfTheFile)->Unit(benchmark::kMillisecond);

// One time text per second of a day and a half, as the C library makes it and incrementally.
void BM_TimeTextsFormatTime(benchmark::State& state) {
    for (auto _ : state) {
        for (VTime t = 4e9; t < 4e9 + 131072; ++t) benchmark::DoNotOptimize(FormatTime(t));
    }
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_TimeTextsFormatTime)->Unit(benchmark::kMillisecond);

void BM_TimeTextsIncremental(benchmark::State& state) {
    for (auto _ : state) {
        LocalTimeText text;
        char buffer[LocalTimeText::kMaxSize];
        for (VTime t = 4e9; t < 4e9 + 131072; ++t) {
            benchmark::DoNotOptimize(text.Write(t, buffer));
        }
    }
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_TimeTextsIncremental)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
