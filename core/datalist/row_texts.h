#pragma once
// The cell texts of walked rows, fast enough for every record of the largest file: a channel's
// sample is one byte, so its 256 texts are made once; times go through LocalTimeText.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/local_time_text.h"
#include "history/history_data.h"

namespace vardo {

class CRowTexts {
  public:
    // The texts of h's listed channels; h must outlive this object.
    explicit CRowTexts(const HistoryData& h);

    // The listed channels, in column order.
    const std::vector<int>& Channels() const { return channels_; }
    // The text of listed column d (0 for the first channel) for the record in ring slot slot:
    // what ChannelValueText gives.
    std::string_view Value(std::size_t d, std::uint32_t slot) const {
        return values_[d][SampleAt(d, slot)];
    }
    // Writes the time text of t at out (room for LocalTimeText::kMaxSize) and returns its end.
    char* WriteTime(VTime t, char* out) { return time_.Write(t, out); }

  private:
    std::uint8_t SampleAt(std::size_t d, std::uint32_t slot) const;

    const HistoryData& h_;
    std::vector<int> channels_;
    std::vector<std::array<std::string, 256>> values_;
    LocalTimeText time_;
};

}  // namespace vardo
