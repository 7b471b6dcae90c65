// Reading a recorder's span from the archive (SQLite, the default engine).
// dump --recorder --all over 1 M merged records should take no more than twice what dump --all
// takes over the eight files that hold the same records: both are measured as the user runs
// them, in the CPU seconds of the command. The envelope of one channel over a year of ten-second
// records (3.15 M) for 1200 columns should take no more than 20 ms from the summaries; the
// brute-force scan of the same records is measured beside it for scale.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "archive/history_add.h"
#include "archive/span_envelope.h"
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
        ArchiveOpen open = OpenArchive(url, true);
        if (open.status != ArchiveStatus::Ok) std::abort();
        vardo::testing::FileLayout layout = vardo::testing::FullFileLayout();
        layout.hasOldestByte = 0;
        layout.newestSlot = 131071;
        VTime newest = MakeLocalTime(2030, 1, 1, 0, 0, 0);
        for (int i = 0; i < kFiles; ++i) {
            layout.newest = PackTime(newest);
            const std::string path = home / ("05@" + std::to_string(i) + ".vd");
            vardo::testing::WriteBytes(path, vardo::testing::BuildFile(layout));
            files.push_back(path);
            const auto d = vardo::testing::DecodeFile(layout);
            HistoryAddRequest request;
            request.path = path;
            request.address = 5;
            if (AddHistoryFile(*open.store, d->h, request).result != HistoryAdd::Added)
                std::abort();
            newest += 131072;
        }
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

// A year of one channel at ten seconds, added as a collector would add it: a week at a time.
class Year {
  public:
    explicit Year(std::string where) : url(std::move(where)) {
        ArchiveOpen open = OpenArchive(url, true);
        if (open.status != ArchiveStatus::Ok) std::abort();
        store = std::move(open.store);
        RecordConfig config;
        config.intervalCode = 3;
        config.channelCount = 1;
        config.present = 1;
        config.low[0] = MakeDecimal(-500, 1);
        config.high[0] = MakeDecimal(1500, 1);
        first = MakeLocalTime(2025, 1, 1, 0, 0, 0);
        constexpr std::int64_t kRecords = 365 * 8640;
        constexpr std::int64_t kWeek = 7 * 8640;
        std::vector<OfferedRecord> records;
        for (std::int64_t at = 0; at < kRecords; at += kWeek) {
            records.clear();
            for (std::int64_t i = at; i < std::min(at + kWeek, kRecords); ++i) {
                OfferedRecord r;
                r.time = first + i * 10;
                r.samples[0] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
                records.push_back(r);
            }
            SourceInfo source;
            source.how = kSourceCollect;
            source.path = "week " + std::to_string(at / kWeek);
            AddCounts counts;
            if (store->Add({"", 9, "ZT330"}, config, records, source, counts) != ArchiveStatus::Ok)
                std::abort();
        }
        last = first + (kRecords - 1) * 10;
        std::vector<RecorderSummary> recorders;
        if (store->Recorders(recorders) != ArchiveStatus::Ok || recorders.size() != 1) std::abort();
        recorder = recorders[0].id;
        if (configs.Load(*store, recorder) != ArchiveStatus::Ok) std::abort();
    }
    std::string url;
    std::unique_ptr<ArchiveStore> store;
    std::int64_t recorder = 0;
    SpanConfigs configs;
    VTime first = 0;
    VTime last = 0;
};

vardo::testing::TempDir& YearHome() {
    static vardo::testing::TempDir home;
    return home;
}

Year& TheYear() {
    static Year year("sqlite:" + YearHome() / "Archive.db");
    return year;
}

void EnvelopeOfAYear(benchmark::State& state, Year& y) {
    for (auto _ : state) {
        Envelope e;
        if (SpanEnvelope(*y.store, y.recorder, y.configs, y.first, y.last, 1200, e) !=
            ArchiveStatus::Ok)
            state.SkipWithError("the envelope failed");
        benchmark::DoNotOptimize(e.columns.data());
    }
}

void BM_EnvelopeOfAYearIn1200Columns(benchmark::State& state) {
    EnvelopeOfAYear(state, TheYear());
}
BENCHMARK(BM_EnvelopeOfAYearIn1200Columns)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same year on the PostgreSQL server of scripts/with-postgres (its private database).
void BM_EnvelopeOfAYearIn1200ColumnsPostgres(benchmark::State& state) {
    const char* url = std::getenv("VARDO_TEST_PG_URL");
    if (url == nullptr || *url == '\0') {
        state.SkipWithError("VARDO_TEST_PG_URL is not set (scripts/with-postgres)");
        return;
    }
    static Year year(url);
    EnvelopeOfAYear(state, year);
}
BENCHMARK(BM_EnvelopeOfAYearIn1200ColumnsPostgres)->Unit(benchmark::kMillisecond)->UseRealTime();

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

}  // namespace

BENCHMARK_MAIN();
