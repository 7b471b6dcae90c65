#pragma once
// What the recorder says about itself, decoded in one place: channel count, interval code,
// channel ranges, live values, clock, time stamps and the write pointer. The upload, the
// acquisition and vardo-cli read the recorder through these and nothing else.

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <thread>

#include "base/vardo_time.h"
#include "history/history_format.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"

namespace vardo {

struct ChannelRange {
    DecimalValue low;
    DecimalValue high;
};

using LiveValues = std::array<std::uint16_t, kMaxChannels>;

// Pure decoders: 1, or 0 for a value out of range (out untouched).
// Clock registers: 10 bytes, seconds at 0, minutes 2, hours 4, day 7, month 8, year 9.
[[nodiscard]] int DecodeClock(std::span<const std::uint8_t> bytes, VTime& out);
// Stamp: year-2000, month, day, hour, minute, second, as the history file packs a time.
[[nodiscard]] int DecodeStamp(std::span<const std::uint8_t> bytes, VTime& out);
// Two bytes b0 b1 name the page of the newest record: (b1 * 256 + b0) * 256 + 255.
std::uint32_t DecodeWritePointer(std::uint8_t b0, std::uint8_t b1);
// Six configuration bytes: low end (signed 16-bit), decimals of both ends, high end, unused.
ChannelRange DecodeChannelRange(std::span<const std::uint8_t, kChannelConfigBytes> bytes);
// Two bytes per channel, channel 0 first, unsigned little-endian; channels beyond `channels`
// are 0.
LiveValues DecodeLiveValues(std::span<const std::uint8_t> bytes, int channels);

// How often a caller tries a whole read, and how long it pauses before each repetition.
struct Retries {
    int attempts = 1;
    int pauseMs = 50;
};

// Calls `read` until it returns non-zero, at most `retries.attempts` times (at least once).
// With `port`, the pauses rest on it, and an interrupted port ends the retries.
template <typename Read>
[[nodiscard]] int WithRetries(Retries retries, Read read, CSerialPort* port = nullptr) {
    const int attempts = retries.attempts > 0 ? retries.attempts : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) {
            if (port == nullptr)
                std::this_thread::sleep_for(std::chrono::milliseconds(retries.pauseMs));
            else if (!port->Rest(retries.pauseMs))
                return 0;
        }
        if (read()) return 1;
    }
    return 0;
}

// 3 for a model without a channel count address. A count outside 1..12 is not believed: the
// channel tables hold twelve entries. 1 on success.
[[nodiscard]] int ReadChannelCount(CRecorderLink& link, const RecorderMemoryRow& row,
                                   Retries retries, int& count);
// A code outside IntervalTable is not believed.
[[nodiscard]] int ReadIntervalCode(CRecorderLink& link, const RecorderMemoryRow& row,
                                   Retries retries, int& code);
[[nodiscard]] int ReadChannelRange(CRecorderLink& link, const RecorderMemoryRow& row, int channel,
                                   Retries retries, ChannelRange& out);
[[nodiscard]] int ReadLiveValues(CRecorderLink& link, const RecorderMemoryRow& row, int channels,
                                 Retries retries, LiveValues& out);

}  // namespace vardo
