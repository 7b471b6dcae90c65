#pragma once
// Where each recorder model keeps its parameters, clock and history pointer. One row per
// ModelIndex, in the order of ModelTable (whose code and capacity columns this repeats so the
// map can be read on its own; a test keeps the two in step).

#include <array>
#include <cstdint>

namespace vardo {

inline constexpr std::uint32_t kNoAddress = 0xFFFFFFFF;

struct RecorderMemoryRow {
    const char* code;
    std::uint32_t historyCapacity;
    std::uint32_t channelCountAddress;  // kNoAddress: the model has 3 channels, nothing to read
    std::uint16_t configBase;
    std::uint16_t configStride;
    std::uint16_t liveValuesAddress;
    std::uint16_t clockAddress;
    std::uint16_t writePointerAddress;
    std::uint16_t newestStampAddress;
    std::uint16_t intervalCodeAddress;
};

inline constexpr std::array<RecorderMemoryRow, 8> RecorderMemoryMap = {{
    {"ZT110", 131072, kNoAddress, 0x1E20, 0x40, 0x1D20, 0x2000, 0x2010, 0x2012, 0x1E0C},
    {"ZT330", 131072, 0x70EC, 0x7110, 0x30, 0x2810, 0xC000, 0xC010, 0xC012, 0x70ED},
    {"ZT550", 131072, 0x70EC, 0x7110, 0x30, 0x2810, 0xC000, 0xC010, 0xC012, 0x70ED},
    {"ZT552", 65536, 0x70EC, 0x7110, 0x30, 0x2820, 0xC000, 0xC010, 0xC012, 0x70ED},
    {"ZT770", 131072, 0x70EC, 0x7110, 0x30, 0x7810, 0xE800, 0xE810, 0xE812, 0x70ED},
    {"ZT77C", 131072, 0xD0EC, 0xD110, 0x30, 0x9710, 0xFC00, 0xE810, 0xFC12, 0xD0ED},
    {"ZT772", 65536, 0xD0EC, 0xD110, 0x30, 0x9720, 0xFC00, 0xFC10, 0xFC12, 0xD0ED},
    {"ZT772", 65536, 0x70EC, 0x7110, 0x30, 0x7820, 0xE800, 0xE810, 0xE812, 0x70ED},
}};

inline constexpr int kChannelsWithoutCountAddress = 3;
inline constexpr int kChannelConfigBytes = 6;
inline constexpr int kClockBytes = 10;
inline constexpr int kStampBytes = 6;

inline constexpr bool IsValidModelIndex(int index) {
    return index >= 0 && index < static_cast<int>(RecorderMemoryMap.size());
}

// The configuration of channel `channel` (from 0); the address wraps in 16 bits.
inline constexpr std::uint16_t ChannelConfigAddress(const RecorderMemoryRow& row, int channel) {
    return static_cast<std::uint16_t>(row.configBase + row.configStride * channel);
}

// History address of ring slot `slot` of channel `channel`.
inline constexpr std::uint32_t HistoryAddress(const RecorderMemoryRow& row, int channel,
                                              std::uint32_t slot) {
    return static_cast<std::uint32_t>(channel) * row.historyCapacity + slot;
}

}  // namespace vardo
