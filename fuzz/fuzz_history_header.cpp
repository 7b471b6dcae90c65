// History files come from recorders, cards and other machines: whatever their bytes, the header
// checks must refuse or accept without reading outside the file, and an accepted file must give
// a window, samples and rows that stay inside it. Most raw inputs are far shorter than the rings
// their headers claim, so each input is also tried padded with zeros to the claimed length.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "base/model_table.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"
#include "history/ring.h"

namespace {

using namespace vardo;

void Check(bool condition) {
    if (!condition) std::abort();
}

void Exercise(std::vector<std::uint8_t> bytes, HistoryData& h) {
    h.file = std::move(bytes);
    const std::vector<std::uint8_t>& file = h.file;
    const HeaderCheck check = DecodeHistoryHeader(ByteSpan(file), h);
    if (check != HeaderCheck::Ok) return;
    Check(h.totalRecords >= 1 && static_cast<std::uint32_t>(h.totalRecords) <= h.capacity);
    Check(h.newestIndex < h.capacity && h.oldestIndex < h.capacity);
    Check(h.channelCount <= kMaxChannels && IsValidIntervalCode(h.intervalCode));

    // Window position and step from the reserved bytes, which readers otherwise ignore.
    const std::uint8_t* tail = file.data() + 252;
    const int starts[] = {0, h.totalRecords - 1, tail[0] * 517 - 1000, 1 << 30};
    const int steps[] = {1, 0, tail[1] + 2, 110, 1 << 30};
    for (int start : starts) {
        for (int step : steps) {
            h.windowStart = start;
            h.windowStep = step;
            BuildWindow(h);
            Check(h.windowCount >= 1 && h.windowCount <= kWindowSamples);
            Check(h.windowStart >= 0 && h.windowStart < h.totalRecords);
        }
    }
    const std::uint32_t backs[] = {0, 1, static_cast<std::uint32_t>(h.totalRecords - 1), h.capacity,
                                   0xFFFFFFFFu};
    unsigned sum = 0;
    for (int ch = -1; ch <= kMaxChannels; ++ch) {
        for (std::uint32_t r : backs) sum += SampleBack(h, ch, r);
    }
    (void)sum;

    const VTime iv = IntervalTable[h.intervalCode];
    int rows = 0;
    WalkRows(h, h.newestTime - 40 * iv, h.newestTime + tail[2], 1 + tail[3] % 7, tail[2] & 1,
             [&](const WalkedRow& row) {
                 Check(row.slot < h.capacity);
                 ++rows;
                 for (int ch : ListedChannels(h)) ChannelValueText(h, ch, row.slot);
             });
    Check(rows <= 41);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2 * 1024 * 1024) return 0;
    static HistoryData h;
    std::vector<std::uint8_t> file(data, data + size);
    Exercise(file, h);

    if (size < kHeaderSize || size > 4096) return 0;
    // Padded to the length the header claims. Twelve rings of 131072 records would spend each
    // run on zeros; two rings reach every path a third would, so further channels are marked
    // absent before padding.
    char model[6] = {};
    for (int i = 0; i < 5; ++i) model[i] = static_cast<char>(data[i]);
    const std::uint32_t capacity = CapacityOfCode(model);
    std::size_t present = 0;
    for (int k = 0; k < data[header::kChannelCount] && k < kMaxChannels; ++k) {
        std::uint8_t& flag = file[header::kChannelPresent + k];
        if (flag != 0 && ++present > 2) flag = 0;
    }
    const std::size_t claimed = kHeaderSize + std::min<std::size_t>(present, 2) * capacity;
    if (claimed > size) file.resize(claimed, 0);
    Exercise(std::move(file), h);
    return 0;
}
