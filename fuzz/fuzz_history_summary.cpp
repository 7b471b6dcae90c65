// The browser summarises any file the user clicks: whatever its first bytes, the summary must
// come out whole or be refused, never read beyond what was read from the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "history/history_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > vardo::kSummaryReadSize) size = vardo::kSummaryReadSize;
    static const vardo::ModelList models = vardo::DefaultModelList();
    std::string summary;
    const int ok =
        vardo::BuildHistorySummary(vardo::ByteSpan(data, size), "f.vd", models, &summary);
    if (ok != (summary.empty() ? 0 : 1)) std::abort();
    return 0;
}
