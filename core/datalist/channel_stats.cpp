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

StatResult RecordStats(const HistoryData& h, VTime start, VTime end, int step) {
    StatResult r;
    std::array<StatAccumulator, kMaxChannels> acc;
    const int limit = ChannelLimit(h);
    WalkRows(h, start, end, step, 0, [&](const WalkedRow& row) {
        if (!r.counted) r.newest = row.time;
        r.oldest = row.time;
        r.counted = true;
        for (int ch = 0; ch < limit; ++ch)
            if (h.channelEnabled[ch] != 0) acc[ch].Add(SampleAtSlot(h, ch, row.slot));
    });
    if (r.counted) Finish(h, acc, r);
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
