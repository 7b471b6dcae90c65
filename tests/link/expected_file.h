#pragma once
// What an uploaded history file must hold, built byte by byte from the simulator's sample
// function and the file layout, without the writer.

#include <array>
#include <cstdint>
#include <vector>

#include "base/le_bytes.h"
#include "history/history_format.h"
#include "history/ring.h"
#include "link/recorder_memory_map.h"
#include "recorder_model.h"

namespace vardo::test {

struct ExpectedUpload {
    sim::RecorderConfig recorder;
    VTime start = 0;  // aligned
    VTime end = 0;    // aligned
    std::array<bool, 12> channels{};
};

inline std::vector<std::uint8_t> ExpectedFile(const ExpectedUpload& e) {
    const RecorderMemoryRow& row =
        RecorderMemoryMap[static_cast<std::size_t>(e.recorder.modelIndex)];
    const int channelCount = row.channelCountAddress == kNoAddress ? 3 : e.recorder.channelCount;
    const int iv = IntervalTable[static_cast<std::size_t>(e.recorder.intervalCode)];
    const std::size_t k = row.historyCapacity;
    const std::int64_t last = (e.end - e.start) / iv;
    int present = 0;
    for (int c = 0; c < channelCount; ++c) present += e.channels[static_cast<std::size_t>(c)];
    std::vector<std::uint8_t> file(256 + static_cast<std::size_t>(present) * k, 0);
    std::copy(row.code, row.code + 5, file.begin());
    file[5] = static_cast<std::uint8_t>(channelCount);
    const PackedTime newest = PackTime(e.end);
    std::copy(newest.begin(), newest.end(), file.begin() + 6);
    PutU24LE(&file[12], static_cast<std::uint32_t>(last));
    file[15] = static_cast<std::uint8_t>(e.recorder.intervalCode);
    file[144] = 1;
    const PackedTime oldest = PackTime(e.start);
    std::copy(oldest.begin(), oldest.end(), file.begin() + 145);
    std::size_t block = 0;
    for (int c = 0; c < channelCount; ++c) {
        if (!e.channels[static_cast<std::size_t>(c)]) continue;
        file[240 + static_cast<std::size_t>(c)] = 1;
        const auto& r = e.recorder.ranges[static_cast<std::size_t>(c)];
        const std::size_t at = ChannelConfigOffset(c);
        PutU16LE(&file[at], static_cast<std::uint16_t>(r.low));
        file[at + 2] = r.decimals;
        PutU16LE(&file[at + 3], static_cast<std::uint16_t>(r.high));
        file[at + 5] = r.decimals;
        for (std::int64_t s = 0; s <= last; ++s) {
            file[256 + block * k + static_cast<std::size_t>(s)] =
                sim::SampleAt(c, e.start + s * iv, iv);
        }
        ++block;
    }
    return file;
}

}  // namespace vardo::test
