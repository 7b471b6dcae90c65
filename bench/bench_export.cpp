// Exporting every record of a full 12-channel file (1.57 M channel cells over three .xls sheets)
// should take no more than five times a copy of the file it makes (reading and writing as many
// bytes), and vardo-cli export should stay within 16 MB of memory at its peak whatever the span:
// the full file and a recorder's span of a little over a million records in the archive, in
// each of the three formats. The peak is the child's own ru_maxrss, taken in a forked helper so
// that one command's peak does not hide the next one's.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_fill.h"
#include "datalist/excel_export.h"
#include "support/cli_run.h"
#include "support/history_file_builder.h"

namespace {

using namespace vardo;
using vardo::testing::ShellQuote;

const std::string kCli = ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");

void BM_ExportAllRecords(benchmark::State& state) {
    const auto file = vardo::testing::DecodeFile(vardo::testing::FullFileLayout());
    vardo::testing::TempDir dir;
    const ExportRequest request{file->h.oldestTime, file->h.newestTime, 1, 0, dir / "all.xls"};
    for (auto _ : state) {
        if (ExportWorkbook(file->h, request, [](std::int64_t, std::int64_t) {
                return true;
            }).outcome != ExportOutcome::Written) {
            state.SkipWithError("the export failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * file->h.totalRecords * 12);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(request.path));
}
BENCHMARK(BM_ExportAllRecords)->Unit(benchmark::kMillisecond);

// The yardstick: a file as large as that export read and written again, 64 KiB at a time.
void BM_CopyOfAFileOfTheExportsSize(benchmark::State& state) {
    const auto file = vardo::testing::DecodeFile(vardo::testing::FullFileLayout());
    vardo::testing::TempDir dir;
    const ExportRequest request{file->h.oldestTime, file->h.newestTime, 1, 0, dir / "all.xls"};
    if (ExportWorkbook(file->h, request, [](std::int64_t, std::int64_t) { return true; }).outcome !=
        ExportOutcome::Written) {
        state.SkipWithError("the export failed");
        return;
    }
    std::vector<char> buffer(1u << 16);
    for (auto _ : state) {
        const int in = ::open(request.path.c_str(), O_RDONLY | O_CLOEXEC);
        const int out =
            ::open((dir / "copy.xls").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;) {
            if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) {
                state.SkipWithError("the copy failed");
            }
        }
        ::close(in);
        ::close(out);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(request.path));
}
BENCHMARK(BM_CopyOfAFileOfTheExportsSize)->Unit(benchmark::kMillisecond);

// The full file, and eight of them end to end in an archive as one recorder's span.
class ExportInputs {
  public:
    ExportInputs() {
        if (!vardo::testing::WriteBytes(
                file, vardo::testing::BuildFile(vardo::testing::FullFileLayout())))
            vardo::bench::SetupFailed(file + ": not written");
        auto store = vardo::bench::OpenOrFail(archive);
        vardo::bench::AddEndToEndFiles(*store, home.path(), 8);
    }
    vardo::testing::TempDir home;
    const std::string file = home / "full.vd";
    const std::string archive = "sqlite:" + home / "Archive.db";
};

const ExportInputs& Inputs() {
    static ExportInputs inputs;
    return inputs;
}

struct ChildUse {
    bool ok = false;
    double cpuMs = 0;
    double peakKb = 0;
};

// Runs command in a forked helper that reports what its children used.
ChildUse RunMeasured(const std::string& command) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const std::string env = "VARDO_HOME=/nonexistent TZ=Asia/Shanghai ";
        ChildUse use;
        use.ok = std::system((env + command).c_str()) == 0;
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        const auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
        use.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
        use.peakKb = static_cast<double>(usage.ru_maxrss);
        (void)!::write(pipeFds[1], &use, sizeof use);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    ChildUse use;
    if (pid < 0 || ::read(pipeFds[0], &use, sizeof use) != sizeof use) use = {};
    ::close(pipeFds[0]);
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    return use;
}

void RunExport(benchmark::State& state, const std::string& source, const char* extension) {
    const std::string out = Inputs().home / (std::string("out") + extension);
    double cpu = 0;
    double peak = 0;
    for (auto _ : state) {
        const ChildUse use = RunMeasured(kCli + " export " + source + " " + ShellQuote(out));
        if (!use.ok) state.SkipWithError("the export failed");
        cpu += use.cpuMs;
        peak = std::max(peak, use.peakKb);
    }
    state.counters["child_cpu_ms"] = cpu / static_cast<double>(state.iterations());
    state.counters["peak_rss_mb"] = peak / 1024.0;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
}

void BM_CliExportFullFile(benchmark::State& state, const char* extension) {
    RunExport(state, ShellQuote(Inputs().file), extension);
}
BENCHMARK_CAPTURE(BM_CliExportFullFile, xls, ".xls")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_CliExportFullFile, xlsx, ".xlsx")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliExportFullFile, csv, ".csv")->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CliExportMillionRecordSpan(benchmark::State& state, const char* extension) {
    RunExport(state, "--recorder 5 --archive " + ShellQuote(Inputs().archive), extension);
}
BENCHMARK_CAPTURE(BM_CliExportMillionRecordSpan, xls, ".xls")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_CliExportMillionRecordSpan, xlsx, ".xlsx")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_CliExportMillionRecordSpan, csv, ".csv")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
