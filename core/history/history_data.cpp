#include "history/history_data.h"

#include <algorithm>

#include "history/ring.h"

namespace vardo {

namespace {
// Channels above the count, and above the table size, never have a block whatever their flag.
int ListedChannelLimit(const HistoryData& h) {
    return std::min<int>(h.channelCount, kMaxChannels);
}
}  // namespace

std::uint32_t WindowSample(const HistoryData& h, int ch, int i) {
    const int w = h.sampleWidth == 2 || h.sampleWidth == 4 ? h.sampleWidth : 1;
    if (ch < 0 || ch >= kMaxChannels || i < 0 || i >= kWindowSamples) return 0;
    const std::size_t at = (static_cast<std::size_t>(ch) * kWindowSamples + i) * w;
    if (at + w > h.window.size()) return 0;
    std::uint32_t v = 0;
    for (int b = w - 1; b >= 0; --b) v = (v << 8) | h.window[at + b];
    return v;
}

int IntervalSeconds(const HistoryData& h) {
    return IsValidIntervalCode(h.intervalCode) ? IntervalTable[h.intervalCode] : 1;
}

VTime SampleTime(const HistoryData& h, int i) {
    const VTime back = static_cast<VTime>(h.windowStart) + static_cast<VTime>(i) * h.windowStep;
    return h.newestTime - IntervalSeconds(h) * back;
}

int BlockOfChannel(const HistoryData& h, int ch) {
    if (ch < 0 || ch >= ListedChannelLimit(h) || h.channelEnabled[ch] == 0) return -1;
    int block = 0;
    for (int k = 0; k < ch; ++k) {
        if (h.channelEnabled[k] != 0) ++block;
    }
    return block;
}

int PresentChannelCount(const HistoryData& h) {
    int count = 0;
    for (int k = 0; k < ListedChannelLimit(h); ++k) {
        if (h.channelEnabled[k] != 0) ++count;
    }
    return count;
}

}  // namespace vardo
