#include "base/vardo_time.h"

#include <cstdio>
#include <ctime>

namespace vardo {

VTime MakeLocalTime(const LocalFields& f) {
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    // -1 is also the second before the epoch; only a failed call leaves the weekday unset.
    tm.tm_wday = -1;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && tm.tm_wday == -1) return 0;
    return static_cast<VTime>(t);
}

VTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    return MakeLocalTime(LocalFields{year, month, day, hour, minute, second});
}

LocalFields SplitLocalTime(VTime t) {
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (localtime_r(&tt, &tm) == nullptr) return {};
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

VTime JoinDateAndTime(const LocalFields& date, const LocalFields& timeOfDay) {
    return MakeLocalTime(date.year, date.month, date.day, timeOfDay.hour, timeOfDay.minute,
                         timeOfDay.second);
}

SpanCheck CheckSpan(VTime start, VTime end, VTime oldest, VTime newest) {
    if (end < start) return SpanCheck::Reversed;
    if (start < oldest) return SpanCheck::StartOutOfRange;
    if (end > newest) return SpanCheck::EndOutOfRange;
    return SpanCheck::Ok;
}

std::string FormatTime(VTime t) {
    LocalFields f = SplitLocalTime(t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
    return buf;
}

std::optional<VTime> ParseTime(std::string_view text) {
    // Exactly "YYYY-MM-DD HH:MM:SS": digits where digits belong, separators where they belong.
    if (text.size() != 19) return std::nullopt;
    static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == 'd') {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
        } else if (text[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    auto num = [&](std::size_t pos, std::size_t len) {
        int v = 0;
        for (std::size_t i = 0; i < len; ++i) v = v * 10 + (text[pos + i] - '0');
        return v;
    };
    LocalFields f{num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2)};
    // The program's times begin in 1970, as the recorders' 32-bit times did; an earlier time is
    // refused whatever its second, not only where the C library happens to fail.
    if (f.year < 1970 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31 || f.hour > 23 ||
        f.minute > 59 || f.second > 59)
        return std::nullopt;
    VTime t = MakeLocalTime(f);
    // Reject dates that do not exist (February 30th): they would silently move.
    LocalFields back = SplitLocalTime(t);
    if (back.year != f.year || back.month != f.month || back.day != f.day) return std::nullopt;
    return t;
}

}  // namespace vardo
