#pragma once
// The program's time type: seconds since 1970-01-01 00:00:00 UTC, 0 meaning "no time".
// 64-bit, because recorders stamp years up to 2099 and 32-bit seconds end in 2038.
// Calendar fields are local time under TZ with daylight saving decided by the C library.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vardo {

using VTime = std::int64_t;

struct LocalFields {
    int year = 0;  // four digits
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Builds a time from local fields; a day beyond the month's end carries into the next month.
// Returns 0 when the C library cannot represent the fields.
VTime MakeLocalTime(const LocalFields& fields);
VTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second);

LocalFields SplitLocalTime(VTime t);

// A moment entered as a date picker beside a time picker: the date of one, the time of day of
// the other.
VTime JoinDateAndTime(const LocalFields& date, const LocalFields& timeOfDay);

enum class SpanCheck { Ok, Reversed, StartOutOfRange, EndOutOfRange };

// A span the user asked for against the records there are, in this order: end before start,
// start before the oldest record, end after the newest. Equal start and end pass.
SpanCheck CheckSpan(VTime start, VTime end, VTime oldest, VTime newest);

// "%d-%02d-%02d %02d:%02d:%02d", the form the data list and vardo-cli use.
std::string FormatTime(VTime t);

// Parses "YYYY-MM-DD HH:MM:SS" as local time; nullopt for anything else.
std::optional<VTime> ParseTime(std::string_view text);

}  // namespace vardo
