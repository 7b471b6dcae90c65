// What the range setting and the position query accept, and what they tell the user otherwise.

#include "datalist/range_checks.h"

#include <gtest/gtest.h>

#include <climits>

#include "base/dialog_integer.h"
#include "base/texts.h"

namespace vardo {
namespace {

const VTime kOldest = MakeLocalTime(2026, 3, 1, 8, 0, 0);
const VTime kNewest = MakeLocalTime(2026, 3, 4, 12, 0, 0);

LocalFields Day(int d) {
    return {2026, 3, d, 0, 0, 0};
}
LocalFields Clock(int h, int m, int s) {
    return {1970, 1, 1, h, m, s};
}

TEST(NumberField, TextsThatAreNumbersAndTheirBounds) {
    const std::string between = "请输入一个在 1 和 80000 之间的整数。";
    const struct {
        const char* text;
        std::string message;
        int value;  // what value holds afterwards; it starts at -7
    } cases[] = {
        {"1", "", 1},
        {" 80000\t", "", 80000},
        {"+25", "", 25},
        {"0", between, -7},
        {"80001", between, -7},
        {"-3", between, -7},
        {"", texts::kEnterInteger, -7},
        {"12a", texts::kEnterInteger, -7},
        {"1 2", texts::kEnterInteger, -7},
        {"-", texts::kEnterInteger, -7},
        {"+-1", texts::kEnterInteger, -7},
        {"2.5", texts::kEnterInteger, -7},
        {"99999999999", texts::kEnterInteger, -7},
    };
    for (const auto& c : cases) {
        int value = -7;
        EXPECT_EQ(IntegerFieldMessage(c.text, 1, 80000, value), c.message) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(ParseDialogInteger("-2147483648"), INT_MIN);
}

TEST(RangeCheck, StepFirstThenTheSpanInTheOrderTheUserIsTold) {
    const struct {
        LocalFields startDate, startTime, endDate, endTime;
        const char* step;
        std::string message;
    } cases[] = {
        // the date of one picker joined with the time of day of the other
        {Day(1), Clock(8, 0, 0), Day(4), Clock(12, 0, 0), "1", ""},
        {Day(2), Clock(9, 30, 15), Day(2), Clock(9, 30, 15), "80000", ""},  // equal ends pass
        {Day(1), Clock(7, 59, 59), Day(4), Clock(12, 0, 0), "1", texts::kStartOutOfRange},
        {Day(1), Clock(8, 0, 0), Day(4), Clock(12, 0, 1), "1", texts::kEndOutOfRange},
        {Day(3), Clock(8, 0, 0), Day(2), Clock(8, 0, 0), "1", texts::kStartBeforeEnd},
        // start before the file and after the end: only the first message
        {Day(1), Clock(7, 0, 0), Day(1), Clock(6, 0, 0), "1", texts::kStartBeforeEnd},
        {Day(3), Clock(8, 0, 0), Day(2), Clock(8, 0, 0), "0",
         "请输入一个在 1 和 80000 之间的整数。"},
        {Day(1), Clock(8, 0, 0), Day(4), Clock(12, 0, 0), "x", texts::kEnterInteger},
    };
    for (const auto& c : cases) {
        const RangeVerdict v = CheckRangeInput(
            {c.startDate, c.startTime, c.endDate, c.endTime, c.step, kOldest, kNewest});
        EXPECT_EQ(v.message, c.message) << c.startDate.day << " " << c.step;
    }
    const RangeVerdict whole =
        CheckRangeInput({Day(1), Clock(8, 0, 0), Day(4), Clock(12, 0, 0), "7", kOldest, kNewest});
    EXPECT_EQ(whole.choice.start, kOldest);
    EXPECT_EQ(whole.choice.end, kNewest);
    EXPECT_EQ(whole.choice.step, 7);
}

TEST(QueryCheck, BoundsAreAllowedAndTheResultCountsBackFromTheEnd) {
    const struct {
        LocalFields date, time;
        bool taken;
        VTime seconds;
    } cases[] = {
        {Day(4), Clock(12, 0, 0), true, 0},
        {Day(1), Clock(8, 0, 0), true, kNewest - kOldest},
        {Day(4), Clock(11, 59, 0), true, 60},
        {Day(4), Clock(12, 0, 1), false, 0},
        {Day(1), Clock(7, 59, 59), false, 0},
        {Day(28), Clock(10, 0, 0), false, 0},  // a day outside the file's days
    };
    for (const auto& c : cases) {
        const QueryVerdict v = CheckQueryInput({c.date, c.time, kOldest, kNewest});
        if (c.taken) {
            EXPECT_EQ(v.message, nullptr) << c.date.day;
            EXPECT_EQ(v.secondsBeforeEnd, c.seconds) << c.date.day;
        } else {
            EXPECT_STREQ(v.message, "时间超出查询范围，请重新输入。");
        }
    }
}

}  // namespace
}  // namespace vardo
