#include "datalist/channel_stats.h"

#include <algorithm>

#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace vardo {

namespace {

double FullScale(int sampleWidth) {
    if (sampleWidth == 2) return 65535.0;
    if (sampleWidth == 4) return 4294967295.0;
    return 255.0;
}

int ChannelLimit(const HistoryData& h) {
    return std::min<int>(h.channelCount, kMaxChannels);
}

void Finish(const HistoryData& h, const std::array<StatAccumulator, kMaxChannels>& acc,
            StatResult& r) {
    for (int ch = 0; ch < ChannelLimit(h); ++ch) {
        if (h.channelEnabled[ch] == 0) continue;
        r.channels[ch] = FinishStat(acc[ch], h.rangeLow[ch], h.rangeHigh[ch], h.sampleWidth);
    }
}

}  // namespace

float StatValue(const DecimalValue& low, const DecimalValue& high, double raw, int sampleWidth) {
    // The range's span is a single-precision difference, as everywhere a value is converted.
    const double span = static_cast<double>(high - low);
    const auto share = static_cast<float>(span * raw / FullScale(sampleWidth));
    return static_cast<float>(static_cast<double>(low.value) + static_cast<double>(share));
}

ChannelStat FinishStat(const StatAccumulator& acc, const DecimalValue& low,
                       const DecimalValue& high, int sampleWidth) {
    ChannelStat s;
    if (acc.Count() == 0) return s;
    s.shown = true;
    s.mean = StatValue(low, high, acc.Mean(), sampleWidth);
    // A falling range turns the highest raw sample into the lowest value.
    const float a = StatValue(low, high, acc.Peak(), sampleWidth);
    const float b = StatValue(low, high, acc.Valley(), sampleWidth);
    s.peak = std::max(a, b);
    s.valley = std::min(a, b);
    return s;
}

StatResult WindowStats(const HistoryData& h, int first, int last) {
    StatResult r;
    first = std::max(first, 0);
    last = std::min({last, h.windowCount - 1, kWindowSamples - 1});
    if (last < first) return r;
    std::array<StatAccumulator, kMaxChannels> acc;
    for (int ch = 0; ch < ChannelLimit(h); ++ch) {
        if (h.channelEnabled[ch] == 0) continue;
        for (int i = first; i <= last; ++i) acc[ch].Add(WindowSample(h, ch, i));
    }
    Finish(h, acc, r);
    r.counted = true;
    r.newest = SampleTime(h, first);
    r.oldest = SampleTime(h, last);
    return r;
}

namespace {

// Folds count samples of ring from slot first on (no wrap) into acc, in runs short enough for
// 32-bit sums: a plain loop the compiler turns into vector code.
void AddRun(StatAccumulator& acc, const std::uint8_t* ring, std::uint32_t first,
            std::uint32_t count) {
    constexpr std::uint32_t kRun = 1u << 20;
    const std::uint8_t* p = ring + first;
    while (count > 0) {
        const std::uint32_t n = std::min(count, kRun);
        std::uint32_t sum = 0;
        std::uint8_t peak = 0;
        std::uint8_t valley = 0xFF;
        for (std::uint32_t i = 0; i < n; ++i) {
            sum += p[i];
            peak = std::max(peak, p[i]);
            valley = std::min(valley, p[i]);
        }
        acc.AddMany(sum, peak, valley, n);
        p += n;
        count -= n;
    }
}

}  // namespace

StatResult RecordStats(const HistoryData& h, VTime start, VTime end, int step) {
    StatResult r;
    const RowWalkResult walk = PlanWalk(h, start, end, step, 0);
    if (walk.rows <= 0) return r;
    r.counted = true;
    r.newest = RowOfWalk(h, walk, step, 0, 0).time;
    const WalkedRow last = RowOfWalk(h, walk, step, 0, walk.rows - 1);
    r.oldest = last.time;
    std::array<StatAccumulator, kMaxChannels> acc;
    const std::uint32_t capacity = h.capacity;
    const auto rows = static_cast<std::uint32_t>(walk.rows);
    for (int ch = 0; ch < ChannelLimit(h); ++ch) {
        if (h.channelEnabled[ch] == 0) continue;
        const std::uint8_t* ring = ChannelBlock(h, ch);
        if (ring == nullptr || capacity == 0 || step > 1) {
            // Every step-th record, or a channel whose ring is not in the file (its samples
            // read as 0): sample by sample, as the walk gives them.
            for (int i = 0; i < walk.rows; ++i) {
                acc[ch].Add(SampleAtSlot(h, ch, RowOfWalk(h, walk, step, 0, i).slot));
            }
            continue;
        }
        // The rows are consecutive records, oldest in ring slot last.slot: at most two runs of
        // slots, the second from the ring's start where the first reaches its end.
        const std::uint32_t first = last.slot;
        if (first >= capacity) {
            for (std::uint32_t i = 0; i < rows; ++i) acc[ch].Add(0);
            continue;
        }
        const std::uint32_t before = std::min(rows, capacity - first);
        AddRun(acc[ch], ring, first, before);
        AddRun(acc[ch], ring, 0, rows - before);
    }
    Finish(h, acc, r);
    return r;
}

std::array<std::string, 3> StatCells(const HistoryData& h, const StatResult& r, int ch) {
    if (ch < 0 || ch >= kMaxChannels || !r.channels[ch].shown) return {};
    const ChannelStat& s = r.channels[ch];
    const int decimals = h.rangeHigh[ch].Decimals();
    return {FormatDecimal(s.mean, decimals), FormatDecimal(s.peak, decimals),
            FormatDecimal(s.valley, decimals)};
}

}  // namespace vardo
