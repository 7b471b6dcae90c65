#pragma once
// The open history file and the display window cut out of it. A plain record: the owner
// (the document) releases the file through the loader.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_format.h"

namespace vardo {

inline constexpr int kWindowSamples = 1200;
inline constexpr std::size_t kWindowBytes = 57600;  // 12 rows x 1200 samples x up to 4 bytes
inline constexpr std::uint8_t kWindowFill = 204;
inline constexpr int kClosedTotalRecords = 262144;

struct HistoryData {
    // The whole file as read at open: a copy of our own, so that another program truncating or
    // rewriting the file on disk cannot pull the bytes away under the window and the walks.
    std::vector<std::uint8_t> file;

    char model[16] = {};
    VTime newestTime = 0;
    VTime oldestTime = 0;
    std::uint32_t newestIndex = 0;
    std::uint32_t oldestIndex = 0;
    std::uint32_t capacity = 131072;
    std::uint8_t sampleWidth = 1;
    std::uint8_t intervalCode = 0;
    std::uint8_t channelCount = 0;
    std::array<DecimalValue, kMaxChannels> rangeHigh{};
    std::array<DecimalValue, kMaxChannels> rangeLow{};
    std::array<int, kMaxChannels> channelTags{};
    // Row stride is 1200 samples of sampleWidth bytes; sample 0 is the newest of the window.
    std::array<std::uint8_t, kWindowBytes> window{};
    int windowStart = 0;
    int windowStep = 1;
    int windowCount = 0;
    int saveReal = 0;
    int acquiring = 0;
    int totalRecords = kClosedTotalRecords;
    std::array<int, kMaxChannels> channelEnabled{};
    int hasOldestTime = 0;
};

// One-byte window sample of channel ch at index i (files always have sampleWidth 1).
inline std::uint8_t WindowByte(const HistoryData& h, int ch, int i) {
    return h.window[static_cast<std::size_t>(ch) * kWindowSamples + static_cast<std::size_t>(i)];
}

// Raw window sample of channel ch at index i, sampleWidth bytes little-endian; 0 outside the
// window.
std::uint32_t WindowSample(const HistoryData& h, int ch, int i);

// Seconds between records; 1 for an interval code outside the table.
int IntervalSeconds(const HistoryData& h);

// Local time of the record that window sample i stands for.
VTime SampleTime(const HistoryData& h, int i);

// Ordinal of channel ch among the present channels, i.e. its data block; -1 when absent.
int BlockOfChannel(const HistoryData& h, int ch);
int PresentChannelCount(const HistoryData& h);

}  // namespace vardo
