#include "recorder_model.h"

#include <cmath>
#include <ctime>

#include "base/le_bytes.h"
#include "history/ring.h"

namespace vardo::sim {

namespace {

constexpr std::uint8_t kExceptionIllegalFunction = 0x01;
constexpr std::uint8_t kExceptionIllegalValue = 0x03;

std::string Frame(std::span<const std::uint8_t> message) {
    FrameChars chars{};
    const std::size_t n = EncodeFrame(message, chars);
    return std::string(chars.data(), n);
}

}  // namespace

std::uint8_t SampleAt(int channel, VTime time, int interval) {
    // A slow wave per channel, so that a newcomer sees curves that look like a process, plus a
    // a jitter hashed from the record's time, so that a run of records taken from the wrong
    // slots or stamped an interval off cannot match the expected file.
    const auto q = static_cast<std::uint64_t>(time / (interval > 0 ? interval : 1));
    const double period = 400.0 + 90.0 * channel;
    const double phase = 0.9 * channel;
    const double wave =
        128.0 + 90.0 * std::sin(2.0 * M_PI * static_cast<double>(q % 1000003) / period + phase);
    std::uint64_t h = (q + 1) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(channel + 1) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    const int jitter = static_cast<int>(h % 7) - 3;
    const int value = static_cast<int>(wave) + jitter;
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

CRecorderModel::CRecorderModel(const RecorderConfig& cfg)
    : config(cfg), row(RecorderMemoryMap[IsValidModelIndex(cfg.modelIndex) ? cfg.modelIndex : 0]) {
    if (row.channelCountAddress == kNoAddress) config.channelCount = kChannelsWithoutCountAddress;
    if (config.channelCount < 1) config.channelCount = 1;
    if (config.channelCount > 12) config.channelCount = 12;
    if (!IsValidIntervalCode(config.intervalCode)) config.intervalCode = 0;
    const std::uint32_t k = row.historyCapacity;
    history.assign(static_cast<std::size_t>(12) * k, 0);

    const int iv = Interval();
    startTime = config.newestTime;
    if (startTime == 0) {
        const VTime now = std::time(nullptr);
        startTime = now - now % iv;
    }
    startSlot = (config.writePointer % k) | 0xFF;
    std::uint32_t records = config.records == 0 || config.records > k ? k : config.records;
    for (std::uint32_t j = 0; j < records; ++j) {
        WriteRecord(RingSub(startSlot, j, k), startTime - static_cast<VTime>(j) * iv);
    }

    if (row.channelCountAddress != kNoAddress) {
        parameters[row.channelCountAddress & 0xFFFF] =
            static_cast<std::uint8_t>(config.channelCount);
    }
    parameters[row.intervalCodeAddress] = static_cast<std::uint8_t>(config.intervalCode);
    for (int c = 0; c < config.channelCount; ++c) {
        const std::uint16_t a = ChannelConfigAddress(row, c);
        const ChannelRange& r = config.ranges[static_cast<std::size_t>(c)];
        std::uint8_t bytes[kChannelConfigBytes] = {};
        PutU16LE(bytes, static_cast<std::uint16_t>(r.low));
        bytes[2] = r.decimals;
        PutU16LE(bytes + 3, static_cast<std::uint16_t>(r.high));
        for (int i = 0; i < kChannelConfigBytes; ++i) {
            parameters[static_cast<std::uint16_t>(a + i)] = bytes[i];
        }
    }
    started = std::chrono::steady_clock::now();
    PublishNewest(startSlot, startTime);
    WriteClock(startTime);
    WriteLiveValues(startTime);
}

int CRecorderModel::Interval() const {
    return IntervalTable[static_cast<std::size_t>(config.intervalCode)];
}

VTime CRecorderModel::Now() const {
    if (config.frozen) return startTime;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - started);
    return startTime + elapsed.count() * config.clockRate;
}

void CRecorderModel::WriteRecord(std::uint32_t slot, VTime time) {
    const int iv = Interval();
    for (int c = 0; c < config.channelCount; ++c) {
        history[static_cast<std::size_t>(c) * row.historyCapacity + slot] = SampleAt(c, time, iv);
    }
}

void CRecorderModel::PublishNewest(std::uint32_t slot, VTime time) {
    newestSlot = slot;
    newestTime = time;
    const std::uint32_t page = slot >> 8;
    parameters[row.writePointerAddress] = static_cast<std::uint8_t>(page & 0xFF);
    parameters[static_cast<std::uint16_t>(row.writePointerAddress + 1)] =
        static_cast<std::uint8_t>(page >> 8);
    const LocalFields f = SplitLocalTime(time);
    const std::uint8_t stamp[kStampBytes] = {
        static_cast<std::uint8_t>(f.year - 2000), static_cast<std::uint8_t>(f.month),
        static_cast<std::uint8_t>(f.day),         static_cast<std::uint8_t>(f.hour),
        static_cast<std::uint8_t>(f.minute),      static_cast<std::uint8_t>(f.second)};
    for (int i = 0; i < kStampBytes; ++i) {
        parameters[static_cast<std::uint16_t>(row.newestStampAddress + i)] = stamp[i];
    }
}

void CRecorderModel::WriteClock(VTime t) {
    const LocalFields f = SplitLocalTime(t);
    std::uint8_t regs[kClockBytes] = {};
    if (config.clockUnreadable) {
        // Month 0: no reader takes it for a time.
        for (int i = 0; i < kClockBytes; ++i) {
            parameters[static_cast<std::uint16_t>(row.clockAddress + i)] = 0;
        }
        return;
    }
    regs[0] = static_cast<std::uint8_t>(f.second);
    regs[2] = static_cast<std::uint8_t>(f.minute);
    regs[4] = static_cast<std::uint8_t>(f.hour);
    regs[7] = static_cast<std::uint8_t>(f.day);
    regs[8] = static_cast<std::uint8_t>(f.month);
    regs[9] = static_cast<std::uint8_t>(f.year % 100);
    for (int i = 0; i < kClockBytes; ++i) {
        parameters[static_cast<std::uint16_t>(row.clockAddress + i)] = regs[i];
    }
}

void CRecorderModel::WriteLiveValues(VTime t) {
    const std::int64_t n = config.livePerRead ? static_cast<std::int64_t>(liveReads) : t;
    for (int c = 0; c < config.channelCount; ++c) {
        const auto v = static_cast<std::uint16_t>((c * 5000 + n * 97) & 0xFFFF);
        PutU16LE(&parameters[static_cast<std::uint16_t>(row.liveValuesAddress + 2 * c)], v);
    }
}

void CRecorderModel::Advance() {
    std::lock_guard lock(mutex);
    const VTime now = Now();
    const int iv = Interval();
    const std::uint32_t k = row.historyCapacity;
    while (startTime + static_cast<VTime>(recordsSinceStart + 1) * iv <= now) {
        ++recordsSinceStart;
        const VTime t = startTime + static_cast<VTime>(recordsSinceStart) * iv;
        const auto slot = static_cast<std::uint32_t>((startSlot + recordsSinceStart) % k);
        WriteRecord(slot, t);
        if ((slot & 0xFF) == 0xFF) PublishNewest(slot, t);
    }
    WriteClock(now);
    WriteLiveValues(now);
}

std::optional<std::string> CRecorderModel::Answer(std::span<const char> frame) {
    FrameBytes bytes{};
    std::size_t count = 0;
    if (DecodeFrame(frame, bytes, count) != FrameCheck::Valid || count < 2) return std::nullopt;
    if (bytes[0] != static_cast<std::uint8_t>(config.address & 0xFF)) return std::nullopt;
    Advance();
    std::lock_guard lock(mutex);
    const std::uint8_t command = bytes[1];
    auto exception = [&](std::uint8_t code) {
        const std::uint8_t reply[3] = {bytes[0], static_cast<std::uint8_t>(command | 0x80), code};
        return Frame(reply);
    };
    if (command != 0x03 && command != 0x13) return exception(kExceptionIllegalFunction);
    if (count != 6) return exception(kExceptionIllegalValue);

    std::array<std::uint8_t, 3 + 64> reply{};
    reply[0] = bytes[0];
    reply[1] = command;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    if (command == 0x03) {
        address = static_cast<std::uint32_t>(bytes[2] << 8 | bytes[3]);
        length = static_cast<std::uint32_t>(bytes[4] << 8 | bytes[5]);
    } else {
        address = static_cast<std::uint32_t>(bytes[2] << 16 | bytes[3] << 8 | bytes[4]);
        length = bytes[5];
    }
    log.push_back({command, address, length});
    if (config.silentAfterLiveReads > 0 &&
        liveReads >= static_cast<std::uint64_t>(config.silentAfterLiveReads)) {
        return std::nullopt;  // the line is dead from here on
    }
    if (command == 0x03 && address == row.liveValuesAddress) ++liveReads;
    if (length == 0 || length > 64) return exception(kExceptionIllegalValue);
    reply[2] = static_cast<std::uint8_t>(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        if (command == 0x03) {
            reply[3 + i] = parameters[(address + i) & 0xFFFF];
        } else {
            const std::size_t a = address + i;
            reply[3 + i] = a < history.size() ? history[a] : 0;
        }
    }
    return Frame(std::span<const std::uint8_t>(reply.data(), 3 + length));
}

std::vector<RequestLogEntry> CRecorderModel::RequestLog() const {
    std::lock_guard lock(mutex);
    return log;
}

void CRecorderModel::ClearRequestLog() {
    std::lock_guard lock(mutex);
    log.clear();
}

VTime CRecorderModel::NewestTime() const {
    std::lock_guard lock(mutex);
    return newestTime;
}

std::uint32_t CRecorderModel::WritePointer() const {
    std::lock_guard lock(mutex);
    return newestSlot;
}

void CRecorderModel::PokeParameter(std::uint16_t address, std::uint8_t value) {
    std::lock_guard lock(mutex);
    parameters[address] = value;
}

std::uint8_t CRecorderModel::HistoryByte(int channel, std::uint32_t slot) const {
    std::lock_guard lock(mutex);
    const std::size_t a = static_cast<std::size_t>(channel) * row.historyCapacity + slot;
    return a < history.size() ? history[a] : 0;
}

}  // namespace vardo::sim
