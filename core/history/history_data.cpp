#include "history/history_data.h"

#include <algorithm>

namespace vardo {

namespace {
// Channels above the count, and above the table size, never have a block whatever their flag.
int ListedChannelLimit(const HistoryData& h) {
    return std::min<int>(h.channelCount, kMaxChannels);
}
}  // namespace

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
