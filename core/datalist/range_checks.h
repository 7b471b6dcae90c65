#pragma once
// What the range setting and the position query accept when the user confirms, apart from any
// widget: the dialogs read their controls into these inputs and show the message they get back,
// staying open, or close with the result.

#include <string>
#include <string_view>

#include "base/vardo_time.h"

namespace vardo {

inline constexpr int kMinRangeStep = 1;
inline constexpr int kMaxRangeStep = 80000;

// A span of the file and the records between listed rows.
struct RangeChoice {
    VTime start = 0;
    VTime end = 0;
    int step = 1;
};

struct RangeInput {
    LocalFields startDate;  // only year, month and day count
    LocalFields startTime;  // only hour, minute and second count
    LocalFields endDate;
    LocalFields endTime;
    std::string_view stepText;
    VTime fileOldest = 0;
    VTime fileNewest = 0;
};

struct RangeVerdict {
    std::string message;  // empty when the range is taken; else what the user is told
    RangeChoice choice;   // meaningful when message is empty
};

// The step first (a number, then within 1 .. 80000), then the span against the file.
RangeVerdict CheckRangeInput(const RangeInput& in);

struct QueryInput {
    LocalFields date;
    LocalFields time;
    VTime rangeStart = 0;
    VTime rangeEnd = 0;
};

struct QueryVerdict {
    const char* message = nullptr;  // null when the moment is taken
    VTime moment = 0;
    VTime secondsBeforeEnd = 0;  // rangeEnd - moment
};

// The moment must lie within the range, both bounds included.
QueryVerdict CheckQueryInput(const QueryInput& in);

}  // namespace vardo
