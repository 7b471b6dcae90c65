#include "link/recorder_registers.h"

#include "base/le_bytes.h"
#include "history/ring.h"

namespace vardo {

namespace {

bool InRange(int v, int low, int high) {
    return v >= low && v <= high;
}

}  // namespace

int DecodeClock(std::span<const std::uint8_t> bytes, VTime& out) {
    if (bytes.size() < static_cast<std::size_t>(kClockBytes)) return 0;
    const int year = 2000 + bytes[9];
    const int month = bytes[8];
    const int day = bytes[7];
    const int hour = bytes[4];
    const int minute = bytes[2];
    const int second = bytes[0];
    if (!InRange(year, 2000, 2100) || !InRange(month, 1, 12) || !InRange(day, 1, 31) ||
        !InRange(hour, 0, 23) || !InRange(minute, 0, 59) || !InRange(second, 0, 59)) {
        return 0;
    }
    const VTime t = MakeLocalTime(year, month, day, hour, minute, second);
    if (t == 0) return 0;
    out = t;
    return 1;
}

int DecodeStamp(std::span<const std::uint8_t> bytes, VTime& out) {
    if (bytes.size() < static_cast<std::size_t>(kStampBytes) || !IsValidPackedTime(bytes.data())) {
        return 0;
    }
    const VTime t = UnpackTime(bytes.data());
    if (t == 0) return 0;
    out = t;
    return 1;
}

std::uint32_t DecodeWritePointer(std::uint8_t b0, std::uint8_t b1) {
    return ((static_cast<std::uint32_t>(b1) << 8 | b0) << 8) | 0xFF;
}

ChannelRange DecodeChannelRange(std::span<const std::uint8_t, kChannelConfigBytes> b) {
    const std::uint8_t low[3] = {b[0], b[1], b[2]};
    const std::uint8_t high[3] = {b[3], b[4], b[2]};
    return {DecodeDecimalValue(low), DecodeDecimalValue(high)};
}

LiveValues DecodeLiveValues(std::span<const std::uint8_t> bytes, int channels) {
    LiveValues out{};
    for (int c = 0; c < channels && c < kMaxChannels; ++c) {
        out[static_cast<std::size_t>(c)] =
            ReadU16LE(bytes, 2 * static_cast<std::size_t>(c)).value_or(0);
    }
    return out;
}

int ReadChannelCount(CRecorderLink& link, const RecorderMemoryRow& row, Retries retries,
                     int& count) {
    if (row.channelCountAddress == kNoAddress) {
        count = kChannelsWithoutCountAddress;
        return 1;
    }
    std::uint8_t byte = 0;
    if (!WithRetries(
            retries,
            [&] {
                return link.ReadMemory(static_cast<std::uint16_t>(row.channelCountAddress),
                                       std::span<std::uint8_t>(&byte, 1));
            },
            &link.port)) {
        return 0;
    }
    if (byte < 1 || byte > kMaxChannels) return 0;
    count = byte;
    return 1;
}

int ReadIntervalCode(CRecorderLink& link, const RecorderMemoryRow& row, Retries retries,
                     int& code) {
    std::uint8_t byte = 0;
    if (!WithRetries(
            retries,
            [&] {
                return link.ReadMemory(row.intervalCodeAddress, std::span<std::uint8_t>(&byte, 1));
            },
            &link.port)) {
        return 0;
    }
    if (!IsValidIntervalCode(byte)) return 0;
    code = byte;
    return 1;
}

int ReadChannelRange(CRecorderLink& link, const RecorderMemoryRow& row, int channel,
                     Retries retries, ChannelRange& out) {
    std::array<std::uint8_t, kChannelConfigBytes> bytes{};
    if (!WithRetries(
            retries, [&] { return link.ReadMemory(ChannelConfigAddress(row, channel), bytes); },
            &link.port)) {
        return 0;
    }
    out = DecodeChannelRange(bytes);
    return 1;
}

int ReadLiveValues(CRecorderLink& link, const RecorderMemoryRow& row, int channels, Retries retries,
                   LiveValues& out) {
    if (channels < 1 || channels > kMaxChannels) return 0;
    std::array<std::uint8_t, 2 * kMaxChannels> bytes{};
    const std::span<std::uint8_t> wanted(bytes.data(), 2 * static_cast<std::size_t>(channels));
    if (!WithRetries(
            retries, [&] { return link.ReadMemory(row.liveValuesAddress, wanted); }, &link.port)) {
        return 0;
    }
    out = DecodeLiveValues(bytes, channels);
    return 1;
}

}  // namespace vardo
