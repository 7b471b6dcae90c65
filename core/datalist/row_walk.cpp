#include "datalist/row_walk.h"

#include <algorithm>

#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo {

namespace {

std::int64_t FloorDiv(std::int64_t x, std::int64_t d) {
    return x >= 0 ? x / d : -((-x + d - 1) / d);
}

std::int64_t CeilDiv(std::int64_t x, std::int64_t d) {
    return x >= 0 ? (x + d - 1) / d : -(-x / d);
}

}  // namespace

RowWalkResult PlanWalk(const HistoryData& h, VTime start, VTime end, int step, int ascending) {
    RowWalkResult result;
    if (h.file.empty() || h.totalRecords <= 0 || !IsValidIntervalCode(h.intervalCode)) {
        return result;
    }
    result.walked = 1;
    const VTime iv = IntervalTable[h.intervalCode];
    const std::int64_t n = h.totalRecords;
    // Distances count back from the newest record (newest first) or forward from the oldest;
    // the near end rounds up and the far end down, so that no row lies outside the range.
    const std::int64_t nearDistance = ascending == 0 ? h.newestTime - end : start - h.oldestTime;
    const std::int64_t farDistance = ascending == 0 ? h.newestTime - start : end - h.oldestTime;
    const std::int64_t a = std::max<std::int64_t>(0, CeilDiv(nearDistance, iv));
    const std::int64_t b = std::min<std::int64_t>(n - 1, FloorDiv(farDistance, iv));
    result.a = a;
    result.b = b;
    if (a > b) {
        // Nothing of the file lies in the range: there is no grid to snap it to.
        result.rowStart = start;
        result.rowEnd = end;
        return result;
    }
    if (ascending == 0) {
        result.rowStart = h.newestTime - b * iv;
        result.rowEnd = h.newestTime - a * iv;
    } else {
        result.rowStart = h.oldestTime + a * iv;
        result.rowEnd = h.oldestTime + b * iv;
    }
    // Rows stop at the first time outside the file's own times (a header whose times and
    // record count disagree); times move by iv per record, so that is a distance, not a search.
    const std::int64_t last = std::min(b, FloorDiv(h.newestTime - h.oldestTime, iv));
    const std::int64_t stride = std::max(step, 1);
    if (last >= a) result.rows = static_cast<int>((last - a) / stride + 1);
    return result;
}

RowWalkResult WalkRows(const HistoryData& h, VTime start, VTime end, int step, int ascending,
                       const std::function<void(const WalkedRow&)>& onRow) {
    const RowWalkResult result = PlanWalk(h, start, end, step, ascending);
    for (int i = 0; i < result.rows; ++i) onRow(RowOfWalk(h, result, step, ascending, i));
    return result;
}

WalkedRow RowOfWalk(const HistoryData& h, const RowWalkResult& result, int step, int ascending,
                    int index) {
    WalkedRow row;
    if (!IsValidIntervalCode(h.intervalCode)) return row;
    const VTime iv = IntervalTable[h.intervalCode];
    const std::int64_t k = result.a + static_cast<std::int64_t>(index) * std::max(step, 1);
    const auto distance = static_cast<std::uint32_t>(k);
    row.number = index + 1;
    row.progress = k - result.a;
    if (ascending == 0) {
        row.time = h.newestTime - k * iv;
        row.slot = RingSub(h.newestIndex, distance, h.capacity);
    } else {
        row.time = h.oldestTime + k * iv;
        row.slot = RingAdd(h.oldestIndex, distance, h.capacity);
    }
    return row;
}

void RowsOfWalk(const HistoryData& h, const RowWalkResult& result, int step, int ascending,
                int first, int count, WalkedRow* rows) {
    if (count <= 0) return;
    rows[0] = RowOfWalk(h, result, step, ascending, first);
    const std::int64_t stride = std::max(step, 1);
    const std::int64_t lastDistance =
        result.a + (static_cast<std::int64_t>(first) + count - 1) * stride;
    const std::uint32_t base = ascending == 0 ? h.newestIndex : h.oldestIndex;
    // The ring arithmetic gives slot 0 for a start or a distance outside the ring; where
    // neither occurs the rows follow by one stride each.
    if (!IsValidIntervalCode(h.intervalCode) || base >= h.capacity || lastDistance >= h.capacity) {
        for (int i = 1; i < count; ++i) rows[i] = RowOfWalk(h, result, step, ascending, first + i);
        return;
    }
    const VTime move = (ascending == 0 ? -1 : 1) * IntervalTable[h.intervalCode] * stride;
    const auto slotStride = static_cast<std::uint32_t>(stride);
    const std::uint32_t capacity = h.capacity;
    for (int i = 1; i < count; ++i) {
        WalkedRow& row = rows[i];
        const WalkedRow& before = rows[i - 1];
        row.number = before.number + 1;
        row.progress = before.progress + stride;
        row.time = before.time + move;
        if (ascending == 0) {
            row.slot = before.slot >= slotStride ? before.slot - slotStride
                                                 : before.slot + capacity - slotStride;
        } else {
            row.slot = before.slot + slotStride;
            if (row.slot >= capacity) row.slot -= capacity;
        }
    }
}

std::vector<int> ListedChannels(const HistoryData& h) {
    std::vector<int> channels;
    for (int ch = 0; ch < std::min<int>(h.channelCount, kMaxChannels); ++ch) {
        if (h.channelEnabled[ch] != 0) channels.push_back(ch);
    }
    return channels;
}

std::string SampleText(const HistoryData& h, int ch, std::uint8_t raw) {
    if (ch < 0 || ch >= kMaxChannels) return {};
    return FormatDecimal(
        EngineeringValue(h.rangeLow[ch], h.rangeHigh[ch], raw, 1, ValueRule::DoubleProduct),
        h.rangeHigh[ch].Decimals());
}

std::string ChannelValueText(const HistoryData& h, int ch, std::uint32_t slot) {
    return SampleText(h, ch, SampleAtSlot(h, ch, slot));
}

}  // namespace vardo
