#include "base/local_time_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ctime>

namespace vardo {

namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t FloorDiv(std::int64_t x, std::int64_t d) {
    return x >= 0 ? x / d : -((-x + d - 1) / d);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (after Howard Hinnant's
// days_from_civil and civil_from_days).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

char* Two(int v, char* out) {
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
    return out + 2;
}

// "%d-%02d-%02d " of a date.
char* WriteDate(std::int64_t year, int month, int day, char* out) {
    out = std::to_chars(out, out + 24, year).ptr;
    *out++ = '-';
    out = Two(month, out);
    *out++ = '-';
    out = Two(day, out);
    *out++ = ' ';
    return out;
}

char* WriteClock(int hour, int minute, int second, char* out) {
    out = Two(hour, out);
    *out++ = ':';
    out = Two(minute, out);
    *out++ = ':';
    return Two(second, out);
}

// What the C library says of one moment: the offset that turns it into local seconds, or none
// where that does not hold (no answer, or a leap second's 60th second).
struct Probe {
    bool plain = false;
    std::int64_t offset = 0;
    std::tm fields{};
};

Probe Look(VTime t) {
    Probe p;
    const std::time_t tt = static_cast<std::time_t>(t);
    if (localtime_r(&tt, &p.fields) == nullptr) {
        p.fields = std::tm{};
        p.fields.tm_year = -1900;  // FormatTime's zero fields: "0-00-00 00:00:00"
        p.fields.tm_mon = -1;
        return p;
    }
    const std::tm& f = p.fields;
    p.plain = f.tm_sec < 60;
    p.offset = DaysFromCivil(f.tm_year + 1900LL, f.tm_mon + 1, f.tm_mday) * kDay +
               f.tm_hour * 3600 + f.tm_min * 60 + f.tm_sec - t;
    return p;
}

// From good, where same holds, toward bad, where it does not: the last time at which it holds.
template <typename Same>
VTime LastSame(VTime good, VTime bad, const Same& same) {
    while (good - bad > 1 || bad - good > 1) {
        const VTime mid = good + (bad - good) / 2;
        (same(mid) ? good : bad) = mid;
    }
    return good;
}

}  // namespace

bool LocalTimeText::FindSpan(VTime t) {
    const Probe at = Look(t);
    if (!at.plain) return false;
    const auto same = [&](VTime u) {
        const Probe p = Look(u);
        return p.plain && p.offset == at.offset;
    };
    // The local day around t, cut where the offset changes. No zone has changed its offset and
    // changed it back within a day (the shortest such spell lasted four days), so an offset that
    // holds at a day's ends holds all day, and a search between an end and t finds the change.
    const std::tm& f = at.fields;
    const VTime midnight = t - (f.tm_hour * 3600 + f.tm_min * 60 + f.tm_sec);
    const VTime dayEnd = midnight + kDay - 1;
    spanFirst_ = same(midnight) ? midnight : LastSame(t, midnight, same);
    spanLast_ = same(dayEnd) ? dayEnd : LastSame(t, dayEnd, same);
    offset_ = at.offset;
    return true;
}

const char LocalTimeText::kTwoDigits[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* LocalTimeText::WriteNewMinute(VTime t, char* out) {
    if ((t < spanFirst_ || t > spanLast_) && !FindSpan(t)) {
        const std::tm f = Look(t).fields;
        out = WriteDate(f.tm_year + 1900LL, f.tm_mon + 1, f.tm_mday, out);
        return WriteClock(f.tm_hour, f.tm_min, f.tm_sec, out);
    }
    const std::int64_t local = t + offset_;
    const std::int64_t day = FloorDiv(local, kDay);
    if (day != day_) {
        std::int64_t year = 0;
        int month = 0;
        int dayOfMonth = 0;
        CivilFromDays(day, year, month, dayOfMonth);
        dateSize_ = static_cast<std::size_t>(WriteDate(year, month, dayOfMonth, date_) - date_);
        day_ = day;
    }
    const auto second = static_cast<int>(local - day * kDay);
    std::memcpy(out, date_, dateSize_);
    char* end = WriteClock(second / 3600, second / 60 % 60, second % 60, out + dateSize_);
    const std::size_t prefixSize = dateSize_ + 6;  // "HH:MM:"
    if (prefixSize + 2 <= 24) {
        minuteStart_ = t - second % 60;
        minuteFirst_ = std::max(minuteStart_, spanFirst_);
        minuteLast_ = std::min(minuteStart_ + 59, spanLast_);
        std::memcpy(prefix_, out, prefixSize);
        prefixSize_ = prefixSize;
    }
    return end;
}

std::string LocalTimeText::Format(VTime t) {
    char text[kMaxSize];
    return std::string(text, Write(t, text));
}

}  // namespace vardo
