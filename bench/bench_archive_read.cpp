// Reading a recorder's span from the archive (SQLite, the default engine; the year also on the
// PostgreSQL server of scripts/with-postgres).
// dump --recorder --all over 1 M merged records should take no more than twice what dump --all
// takes over the eight files that hold the same records: both are measured as the user runs
// them, in the CPU seconds of the command. The envelope of a year of a 12-channel recorder at ten
// seconds (3.15 M records) for 1200 columns should take no more than 20 ms from the summaries;
// the brute-force scan of the same records is measured beside it for scale.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_segments.h"
#include "archive/archive_store.h"
#include "archive/span_envelope.h"
#include "archive_fill.h"
#include "support/cli_run.h"
#include "support/history_file_builder.h"

namespace {

using namespace vardo;
using vardo::testing::ShellQuote;

const std::string kCli = ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
constexpr int kFiles = 8;  // 8 x 131072 records: a little over a million

int Run(const std::string& command) {
    return std::system(("VARDO_HOME=/nonexistent TZ=Asia/Shanghai " + command).c_str());
}

// Eight full 12-channel files a second apart, end to end, and an archive holding them.
class MergedFiles {
  public:
    MergedFiles() {
        auto store = vardo::bench::OpenOrFail(url);
        files = vardo::bench::AddEndToEndFiles(*store, home.path(), kFiles);
    }
    vardo::testing::TempDir home;
    const std::string url = "sqlite:" + home / "Archive.db";
    std::vector<std::string> files;
};

const MergedFiles& Merged() {
    static MergedFiles merged;
    return merged;
}

double ChildCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& tv) { return tv.tv_sec + tv.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunCommands(benchmark::State& state, const std::vector<std::string>& commands) {
    const double before = ChildCpuSeconds();
    for (auto _ : state) {
        for (const std::string& c : commands)
            if (Run(c) != 0) state.SkipWithError("the command failed");
    }
    state.counters["child_cpu_ms"] =
        (ChildCpuSeconds() - before) * 1e3 / static_cast<double>(state.iterations());
}

void BM_CliDumpAllOfEightFiles(benchmark::State& state) {
    std::vector<std::string> commands;
    for (const std::string& f : Merged().files)
        commands.push_back(kCli + " dump --all " + ShellQuote(f) + " >/dev/null");
    RunCommands(state, commands);
}
BENCHMARK(BM_CliDumpAllOfEightFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliDumpRecorderAll(benchmark::State& state) {
    RunCommands(state, {kCli + " dump --recorder 5 --all --archive " + ShellQuote(Merged().url) +
                        " >/dev/null"});
}
BENCHMARK(BM_CliDumpRecorderAll)->Unit(benchmark::kMillisecond)->UseRealTime();

// A year of a 12-channel recorder at ten seconds, added as a collector would add it: a week at a
// time. How long that took is the benchmark's counter year_setup_s.
class Year {
  public:
    explicit Year(std::string where) : url(std::move(where)) {
        const auto began = std::chrono::steady_clock::now();
        store = vardo::bench::OpenOrFail(url);
        const vardo::bench::HeldSpan span = vardo::bench::AddYear(*store, {"", 9, "ZT772"});
        setupSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        // Told at once: the counter comes only with the benchmark's row.
        std::fprintf(stderr, "a year of 3153600 records added in %.1f s\n", setupSeconds);
        recorder = span.recorder;
        first = span.first;
        last = span.last;
        if (configs.Load(*store, recorder) != ArchiveStatus::Ok)
            vardo::bench::SetupFailed("the year's configurations: " + store->LastError());
    }
    std::string url;
    std::unique_ptr<ArchiveStore> store;
    std::int64_t recorder = 0;
    SpanConfigs configs;
    VTime first = 0;
    VTime last = 0;
    double setupSeconds = 0;
};

vardo::testing::TempDir& YearHome() {
    static vardo::testing::TempDir home;
    return home;
}

Year& TheYear() {
    static Year year("sqlite:" + YearHome() / "Archive.db");
    return year;
}

// held: the window the view draws again (a repaint, a resize) from the summaries it read for the
// last one, rather than from the store.
void EnvelopeOfAYear(benchmark::State& state, Year& y, bool held = false) {
    PieceCache cache;
    PieceCache* from = held ? &cache : nullptr;
    Envelope e;
    if (held && SpanEnvelope(*y.store, y.recorder, y.configs, y.first, y.last, 1200, e, from) !=
                    ArchiveStatus::Ok)
        state.SkipWithError("the envelope failed");
    for (auto _ : state) {
        e = {};
        if (SpanEnvelope(*y.store, y.recorder, y.configs, y.first, y.last, 1200, e, from) !=
            ArchiveStatus::Ok)
            state.SkipWithError("the envelope failed");
        benchmark::DoNotOptimize(e.columns.data());
    }
    state.counters["year_setup_s"] = y.setupSeconds;
}

void BM_EnvelopeOfAYearIn1200Columns(benchmark::State& state) {
    EnvelopeOfAYear(state, TheYear());
}
BENCHMARK(BM_EnvelopeOfAYearIn1200Columns)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same year on the PostgreSQL server of scripts/with-postgres (its private database); null
// without one.
Year* ThePostgresYear(benchmark::State& state) {
    std::string why;
    const char* url = vardo::bench::TestPostgresUrl(why);
    if (url == nullptr) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    static Year year(url);
    return &year;
}

void BM_EnvelopeOfAYearIn1200ColumnsPostgres(benchmark::State& state) {
    if (Year* year = ThePostgresYear(state)) EnvelopeOfAYear(state, *year);
}
BENCHMARK(BM_EnvelopeOfAYearIn1200ColumnsPostgres)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EnvelopeOfAYearIn1200ColumnsHeld(benchmark::State& state) {
    EnvelopeOfAYear(state, TheYear(), true);
}
BENCHMARK(BM_EnvelopeOfAYearIn1200ColumnsHeld)->Unit(benchmark::kMillisecond)->UseRealTime();
void BM_EnvelopeOfAYearIn1200ColumnsHeldPostgres(benchmark::State& state) {
    if (Year* year = ThePostgresYear(state)) EnvelopeOfAYear(state, *year, true);
}
BENCHMARK(BM_EnvelopeOfAYearIn1200ColumnsHeldPostgres)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ReadEveryRecordOfTheYear(benchmark::State& state) {
    Year& y = TheYear();
    for (auto _ : state) {
        std::int64_t n = 0;
        if (y.store->ReadRecords(y.recorder, y.first, y.last,
                                 [&](std::span<const ArchivedRecord> chunk) {
                                     n += static_cast<std::int64_t>(chunk.size());
                                     return true;
                                 }) != ArchiveStatus::Ok)
            state.SkipWithError("the read failed");
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ReadEveryRecordOfTheYear)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// What archive list reads and works out: the runs of every record of the year.
void ListRunsOfAYear(benchmark::State& state, Year& y) {
    for (auto _ : state) {
        std::vector<ArchiveSegment> runs;
        if (ListSegments(*y.store, runs) != ArchiveStatus::Ok) state.SkipWithError("the list");
        benchmark::DoNotOptimize(runs.data());
    }
}
void BM_ListRunsOfTheYear(benchmark::State& state) {
    ListRunsOfAYear(state, TheYear());
}
BENCHMARK(BM_ListRunsOfTheYear)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
void BM_ListRunsOfTheYearPostgres(benchmark::State& state) {
    if (Year* year = ThePostgresYear(state)) ListRunsOfAYear(state, *year);
}
BENCHMARK(BM_ListRunsOfTheYearPostgres)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
