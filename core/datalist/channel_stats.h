#pragma once
// Mean, peak and valley of a channel's raw samples, in engineering units. One accumulator serves
// the statistics dialog (over the display window) and vardo-cli stats (over the file's records),
// so both give the same numbers for the same samples.

#include <array>
#include <cstdint>
#include <string>

#include "base/vardo_time.h"
#include "history/history_data.h"

namespace vardo {

class StatAccumulator {
  public:
    void Add(std::uint32_t raw) {
        sum_ += raw;
        if (raw > peak_) peak_ = raw;
        if (raw < valley_) valley_ = raw;
        ++count_;
    }
    // count samples at once, with their sum, highest and lowest.
    void AddMany(std::uint64_t sum, std::uint32_t peak, std::uint32_t valley, std::int64_t count) {
        if (count <= 0) return;
        sum_ += sum;
        if (peak > peak_) peak_ = peak;
        if (valley < valley_) valley_ = valley;
        count_ += count;
    }
    std::int64_t Count() const { return count_; }
    // The exact mean of the raw samples; a truncated mean would be off by up to a raw step.
    double Mean() const { return count_ > 0 ? static_cast<double>(sum_) / count_ : 0.0; }
    std::uint32_t Peak() const { return peak_; }
    std::uint32_t Valley() const { return valley_; }

  private:
    std::uint64_t sum_ = 0;
    std::uint32_t peak_ = 0;
    std::uint32_t valley_ = 0xFFFFFFFFu;
    std::int64_t count_ = 0;
};

// A raw value (a mean need not be whole) in engineering units: the range's share in double,
// rounded to single, then the low end added in single.
float StatValue(const DecimalValue& low, const DecimalValue& high, double raw, int sampleWidth);

struct ChannelStat {
    bool shown = false;  // false: the channel has no samples counted, its cells stay empty
    float mean = 0.0f;
    float peak = 0.0f;  // the highest engineering value, also for a falling range
    float valley = 0.0f;
};

ChannelStat FinishStat(const StatAccumulator& acc, const DecimalValue& low,
                       const DecimalValue& high, int sampleWidth);

// The statistics of every channel (0 .. channelCount - 1) and the times of the newest and oldest
// record counted.
struct StatResult {
    std::array<ChannelStat, kMaxChannels> channels{};
    VTime newest = 0;
    VTime oldest = 0;
    bool counted = false;
};

// Over window samples first .. last (sample 0 the window's newest); an empty span counts nothing.
StatResult WindowStats(const HistoryData& h, int first, int last);

// Over the records that the data list's walk gives for start .. end every step records.
StatResult RecordStats(const HistoryData& h, VTime start, VTime end, int step);

// The three cells of channel ch, "%.Nf" with the decimals of its upper range end; empty texts
// for a channel without counted samples.
std::array<std::string, 3> StatCells(const HistoryData& h, const StatResult& r, int ch);

}  // namespace vardo
