#include "datalist/row_walk.h"

#include <algorithm>

#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo {

RowWalkResult WalkRows(const HistoryData& h, VTime start, VTime end, int step, int ascending,
                       const std::function<void(const WalkedRow&)>& onRow) {
    RowWalkResult result;
    if (h.view == nullptr || h.totalRecords <= 0 || !IsValidIntervalCode(h.intervalCode)) {
        return result;
    }
    result.walked = 1;
    const VTime iv = IntervalTable[h.intervalCode];
    const std::int64_t n = h.totalRecords;
    std::int64_t a = 0;
    std::int64_t b = 0;
    if (ascending == 0) {
        a = (h.newestTime - end) / iv;
        b = (h.newestTime - start) / iv;
    } else {
        a = (start - h.oldestTime) / iv;
        b = (end - h.oldestTime) / iv;
    }
    const auto clamp = [n](std::int64_t d) { return d < 0 ? 0 : (d >= n ? n - 1 : d); };
    a = clamp(a);
    b = clamp(b);
    result.a = a;
    result.b = b;
    if (ascending == 0) {
        result.rowStart = h.newestTime - b * iv;
        result.rowEnd = h.newestTime - a * iv;
    } else {
        result.rowStart = h.oldestTime + a * iv;
        result.rowEnd = h.oldestTime + b * iv;
    }

    const std::int64_t stride = std::max(step, 1);
    WalkedRow row;
    for (std::int64_t k = a; k <= b; k += stride) {
        const auto distance = static_cast<std::uint32_t>(k);
        if (ascending == 0) {
            row.time = h.newestTime - k * iv;
            if (row.time < h.oldestTime) break;
            row.slot = RingSub(h.newestIndex, distance, h.capacity);
        } else {
            row.time = h.oldestTime + k * iv;
            if (row.time > h.newestTime) break;
            row.slot = RingAdd(h.oldestIndex, distance, h.capacity);
        }
        ++row.number;
        row.progress = k - a;
        onRow(row);
    }
    result.rows = row.number;
    return result;
}

std::vector<int> ListedChannels(const HistoryData& h) {
    std::vector<int> channels;
    for (int ch = 0; ch < std::min<int>(h.channelCount, kMaxChannels); ++ch) {
        if (h.channelEnabled[ch] != 0) channels.push_back(ch);
    }
    return channels;
}

std::string ChannelValueText(const HistoryData& h, int ch, std::uint32_t slot) {
    if (ch < 0 || ch >= kMaxChannels) return {};
    const float value = SampleValue(h.rangeLow[ch], h.rangeHigh[ch], SampleAtSlot(h, ch, slot));
    return FormatDecimal(value, h.rangeHigh[ch].Decimals());
}

}  // namespace vardo
