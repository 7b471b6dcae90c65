#pragma once
// Where each recorder model keeps its parameters, clock and history pointer. One row per
// ModelIndex; the code and ring size come from ModelTable, so the two cannot disagree.

#include <array>
#include <cstdint>

#include "base/model_table.h"

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

// A map row of ModelIndex `model`: its code and ring size from ModelTable, then the addresses.
constexpr RecorderMemoryRow MapRow(int model, std::uint32_t channelCount, std::uint16_t configBase,
                                   std::uint16_t configStride, std::uint16_t liveValues,
                                   std::uint16_t clock, std::uint16_t writePointer,
                                   std::uint16_t newestStamp, std::uint16_t intervalCode) {
    const ModelRow& m = ModelTable[static_cast<std::size_t>(model)];
    return {m.code, m.historyCapacity, channelCount, configBase,  configStride, liveValues,
            clock,  writePointer,      newestStamp,  intervalCode};
}

inline constexpr std::array<RecorderMemoryRow, kModelCount> RecorderMemoryMap = {{
    MapRow(0, kNoAddress, 0x1E20, 0x40, 0x1D20, 0x2000, 0x2010, 0x2012, 0x1E0C),
    MapRow(1, 0x70EC, 0x7110, 0x30, 0x2810, 0xC000, 0xC010, 0xC012, 0x70ED),
    MapRow(2, 0x70EC, 0x7110, 0x30, 0x2810, 0xC000, 0xC010, 0xC012, 0x70ED),
    MapRow(3, 0x70EC, 0x7110, 0x30, 0x2820, 0xC000, 0xC010, 0xC012, 0x70ED),
    MapRow(4, 0x70EC, 0x7110, 0x30, 0x7810, 0xE800, 0xE810, 0xE812, 0x70ED),
    MapRow(5, 0xD0EC, 0xD110, 0x30, 0x9710, 0xFC00, 0xE810, 0xFC12, 0xD0ED),
    MapRow(6, 0xD0EC, 0xD110, 0x30, 0x9720, 0xFC00, 0xFC10, 0xFC12, 0xD0ED),
    MapRow(7, 0x70EC, 0x7110, 0x30, 0x7820, 0xE800, 0xE810, 0xE812, 0x70ED),
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
