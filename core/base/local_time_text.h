#pragma once
// The "%d-%02d-%02d %02d:%02d:%02d" local time texts of a walk over many records, fast: asking
// the C library for every record costs more than everything else a walk does. The zone's offset
// is looked up once per local day and again where it changes (daylight saving, a zone's own
// history, a leap second); between those points the text follows from the seconds alone. The
// bytes are always those of FormatTime.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/vardo_time.h"

namespace vardo {

class LocalTimeText {
  public:
    // Room Write needs at out: a sign, an int's digits and the rest of the text.
    static constexpr std::size_t kMaxSize = 32;

    // Writes the text of t at out and returns its end. A change of TZ while the object lives is
    // not seen: one object serves one walk.
    char* Write(VTime t, char* out) {
        // Within the last local minute written only the seconds change: its "YYYY-MM-DD HH:MM:"
        // is copied whole (24 fixed bytes are three moves, a sized copy a call).
        if (t >= minuteFirst_ && t <= minuteLast_) {
            std::memcpy(out, prefix_, 24);
            const char* two = kTwoDigits + 2 * (t - minuteStart_);
            out[prefixSize_] = two[0];
            out[prefixSize_ + 1] = two[1];
            return out + prefixSize_ + 2;
        }
        return WriteNewMinute(t, out);
    }
    std::string Format(VTime t);

    // "00" to "99" side by side.
    static const char kTwoDigits[201];

  private:
    char* WriteNewMinute(VTime t, char* out);
    // Looks the zone up around t; false when the C library's own text must be used for t.
    bool FindSpan(VTime t);

    // Times spanFirst_..spanLast_ (UTC seconds) are local time t + offset_.
    VTime spanFirst_ = 1;
    VTime spanLast_ = 0;
    std::int64_t offset_ = 0;
    // The date part of the last day written, "YYYY-MM-DD ".
    std::int64_t day_ = INT64_MIN;
    char date_[kMaxSize] = {};
    std::size_t dateSize_ = 0;
    // Times minuteFirst_..minuteLast_ lie in one local minute (and one span) that began at
    // minuteStart_ and whose text up to the seconds is prefix_; empty while the prefix is longer
    // than the fixed copy.
    VTime minuteFirst_ = 1;
    VTime minuteLast_ = 0;
    VTime minuteStart_ = 0;
    char prefix_[kMaxSize] = {};
    std::size_t prefixSize_ = 0;
};

}  // namespace vardo
