// The incremental time texts against the C library's, where zones change their offsets.

#include "base/local_time_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace vardo {
namespace {

class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        setenv("TZ", old_.c_str(), 1);
        tzset();
    }

  private:
    std::string old_ = "Asia/Shanghai";
};

VTime Utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return timegm(&tm);
}

// Walks [from, to] at step seconds, forward and back as the two list orders do, and returns the
// first time whose text differs from FormatTime's (or 0).
VTime FirstDifference(VTime from, VTime to, VTime step) {
    for (const bool forward : {true, false}) {
        LocalTimeText text;
        for (VTime i = 0; i <= (to - from) / step; ++i) {
            const VTime t = forward ? from + i * step : to - i * step;
            if (text.Format(t) != FormatTime(t)) return t;
        }
    }
    return 0;
}

TEST(LocalTimeText, SameBytesAsTheCLibraryAcrossEveryKindOfOffsetChange) {
    const struct {
        const char* zone;
        VTime around;  // UTC
        const char* what;
    } cases[] = {
        {"Europe/Berlin", Utc(2024, 3, 31, 1, 0, 0), "spring forward"},
        {"Europe/Berlin", Utc(2024, 10, 27, 1, 0, 0), "fall back: an hour twice"},
        {"Europe/Berlin", Utc(2038, 3, 28, 1, 0, 0), "after 32-bit seconds end"},
        {"America/New_York", Utc(2024, 3, 10, 7, 0, 0), "spring forward"},
        {"America/New_York", Utc(2024, 11, 3, 6, 0, 0), "fall back"},
        {"America/New_York", Utc(2038, 1, 19, 3, 14, 7), "32-bit seconds end"},
        {"Australia/Lord_Howe", Utc(2024, 4, 6, 15, 0, 0), "half an hour back"},
        {"Australia/Lord_Howe", Utc(2024, 10, 5, 15, 30, 0), "half an hour forward"},
        {"Asia/Shanghai", Utc(1991, 4, 13, 18, 0, 0), "China's last daylight saving"},
        {"Asia/Shanghai", Utc(1991, 9, 14, 17, 0, 0), "and its end"},
        {"Asia/Shanghai", Utc(2099, 12, 31, 16, 0, 0), "the recorders' last year"},
        {"America/Sao_Paulo", Utc(2018, 11, 4, 3, 0, 0), "a day without midnight"},
        {"Pacific/Apia", Utc(2011, 12, 30, 10, 0, 0), "a whole day skipped"},
        {"Asia/Kathmandu", Utc(1986, 1, 1, 0, 0, 0), "a quarter-hour zone moves"},
        {"right/Europe/Berlin", Utc(2017, 1, 1, 0, 0, 26), "a leap second: 00:59:60"},
        {"UTC", Utc(1969, 12, 31, 23, 59, 59), "before 1970"},
    };
    for (const auto& c : cases) {
        ZoneScope zone(c.zone);
        // Every second near the change, and record intervals over days around it.
        EXPECT_EQ(FirstDifference(c.around - 3600, c.around + 3600, 1), 0) << c.zone << c.what;
        EXPECT_EQ(FirstDifference(c.around - 2 * 86400 - 3, c.around + 2 * 86400, 5), 0)
            << c.zone << " " << c.what;
        EXPECT_EQ(FirstDifference(c.around - 40 * 86400, c.around + 40 * 86400, 240), 0)
            << c.zone << " " << c.what;
    }
}

TEST(LocalTimeText, JumpsAnywhereAndOutsideWhatTheCLibraryCanSplit) {
    ZoneScope zone("Europe/Berlin");
    LocalTimeText text;
    for (const VTime t : {Utc(2024, 3, 31, 1, 0, 0), Utc(1900, 1, 1, 0, 0, 0), VTime{0},
                          Utc(2024, 3, 31, 0, 59, 59), Utc(9999, 12, 31, 23, 59, 59),
                          VTime{INT64_MAX / 2}, VTime{-INT64_MAX / 2}, Utc(2024, 3, 31, 1, 0, 1)}) {
        EXPECT_EQ(text.Format(t), FormatTime(t)) << t;
    }
}

}  // namespace
}  // namespace vardo
