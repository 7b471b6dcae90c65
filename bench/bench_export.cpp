// Exporting every record of a full 12-channel file (1.57 M channel cells over three sheets)
// should stay under 300 ms.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "datalist/excel_export.h"
#include "support/history_file_builder.h"

namespace {

using namespace vardo;

void BM_ExportAllRecords(benchmark::State& state) {
    const auto file = testing::DecodeFile(testing::FullFileLayout());
    testing::TempDir dir;
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

}  // namespace

BENCHMARK_MAIN();
