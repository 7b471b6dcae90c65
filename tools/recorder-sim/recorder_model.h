#pragma once
// A recorder of any model of the memory map, as far as the serial line can see it: parameter
// memory (channel count, interval, ranges, live values, clock, newest stamp, write pointer)
// and one history ring per channel, answering the two read commands. Samples are a fixed
// function of channel and record time, so a test can say what any uploaded byte must be.

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "link/frame_codec.h"
#include "link/recorder_memory_map.h"

namespace vardo::sim {

struct ChannelRange {
    std::int16_t low = 0;
    std::int16_t high = 1000;
    std::uint8_t decimals = 1;
};

struct RecorderConfig {
    int modelIndex = 1;
    int address = 8;
    int channelCount = 8;  // forced to 3 for a model without a channel count address
    int intervalCode = 3;
    std::array<ChannelRange, 12> ranges{};
    VTime newestTime = 0;  // time of the record at the write pointer; 0: now, on the grid
    // Ring slot of the newest record; the recorder names it by 256-record pages, so it always
    // ends in 255 (slot % 256 == 255).
    std::uint32_t writePointer = 255;
    // Records held before the newest one included; 0 means the whole ring.
    std::uint32_t records = 0;
    bool frozen = false;  // clock stands still: nothing new is recorded
    int clockRate = 1;    // the recorder's clock runs this many times faster than real time
    // Faults of a recorder watched live:
    int silentAfterLiveReads = 0;  // after this many live-value reads, no reply at all (0: never)
    bool clockUnreadable = false;  // the clock registers hold no valid time
    // Live values change with every read of them (5000 c + 97 n, n the reads so far) instead of
    // with the clock's second.
    bool livePerRead = false;
};

struct RequestLogEntry {
    std::uint8_t command;
    std::uint32_t address;
    std::uint32_t count;
};

// The byte recorded for `channel` at `time` (seconds) with record interval `interval`.
std::uint8_t SampleAt(int channel, VTime time, int interval);

class CRecorderModel {
  public:
    explicit CRecorderModel(const RecorderConfig& config);

    // Catches the recorder up with the clock: one record per interval elapsed since the last,
    // written into every ring. The newest stamp and write pointer move when a 256-record page
    // is complete, the only steps the pointer can express.
    void Advance();

    // The reply frame to a received frame, or nothing when a recorder would stay silent
    // (garbage, another address).
    std::optional<std::string> Answer(std::span<const char> frame);

    std::vector<RequestLogEntry> RequestLog() const;
    void ClearRequestLog();

    const RecorderConfig& Config() const { return config; }
    const RecorderMemoryRow& Row() const { return row; }
    std::uint32_t Capacity() const { return row.historyCapacity; }
    int Interval() const;
    VTime NewestTime() const;
    std::uint32_t WritePointer() const;
    VTime Now() const;
    // Overwrites a byte of parameter memory: a recorder whose memory says something odd.
    void PokeParameter(std::uint16_t address, std::uint8_t value);
    // History ring byte of a channel's slot (0 where nothing was recorded).
    std::uint8_t HistoryByte(int channel, std::uint32_t slot) const;

  private:
    void WriteRecord(std::uint32_t slot, VTime time);
    void PublishNewest(std::uint32_t slot, VTime time);
    void WriteClock(VTime t);
    void WriteLiveValues(VTime t);

    RecorderConfig config;
    RecorderMemoryRow row;
    mutable std::mutex mutex;
    std::array<std::uint8_t, 65536> parameters{};
    std::vector<std::uint8_t> history;
    std::chrono::steady_clock::time_point started;
    VTime startTime = 0;  // newest record's time at start
    std::uint32_t startSlot = 0;
    std::uint64_t recordsSinceStart = 0;
    VTime newestTime = 0;
    std::uint32_t newestSlot = 0;
    std::vector<RequestLogEntry> log;
    std::uint64_t liveReads = 0;
};

}  // namespace vardo::sim
