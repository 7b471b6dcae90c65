#include "collect/collect_plan.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

TEST(CollectPlan, FromTheHeldNewestOnwardWithLossesCounted) {
    // A ring of 100 records of 10 s: newest at 10000, oldest at 9010.
    const VTime newest = 10000, oldest = 9010;
    const struct {
        const char* name;
        std::optional<VTime> held;
        bool nothingNew, whole;
        VTime start;
        std::int64_t lost;
        VTime lostFirst, lostLast;
    } cases[] = {
        {"nothing held: the whole memory", std::nullopt, false, true, oldest, 0, 0, 0},
        {"held up to the record before the newest", 9990, true, false, 10000, 0, 0, 0},
        {"held the newest itself", 10000, true, false, 10010, 0, 0, 0},
        {"held two before the newest: one record", 9980, false, false, 9990, 0, 0, 0},
        {"held off the grid: the next record on it", 9973, false, false, 9990, 0, 0, 0},
        {"held the record before the oldest: no loss", 9000, false, false, 9010, 0, 0, 0},
        {"three records overwritten", 8970, false, false, 9010, 3, 8980, 9000},
        {"held far back", 0, false, false, 9010, 900, 10, 9000},
    };
    for (const auto& c : cases) {
        const CollectSpan s = PlanCollection(c.held, newest, oldest, 10);
        EXPECT_EQ(s.nothingNew, c.nothingNew) << c.name;
        EXPECT_EQ(s.whole, c.whole) << c.name;
        EXPECT_EQ(s.start, c.start) << c.name;
        EXPECT_EQ(s.end, newest) << c.name;
        EXPECT_EQ(s.lostRecords, c.lost) << c.name;
        if (c.lost > 0) {
            EXPECT_EQ(s.lostFirst, c.lostFirst) << c.name;
            EXPECT_EQ(s.lostLast, c.lostLast) << c.name;
            EXPECT_EQ((s.lostLast - s.lostFirst) / 10 + 1, c.lost) << c.name;
        }
        EXPECT_FALSE(s.heldAhead) << c.name;
    }
    const CollectSpan ahead = PlanCollection(20000, newest, oldest, 10);
    EXPECT_TRUE(ahead.nothingNew && ahead.heldAhead);
}

TEST(CollectPlan, ClockDriftBeyondAMinuteIsTold) {
    const std::pair<VTime, std::optional<VTime>> cases[] = {
        {0, std::nullopt}, {60, std::nullopt}, {-60, std::nullopt}, {61, 61}, {-3600, -3600}};
    for (const auto& [d, told] : cases)
        EXPECT_EQ(ClockDrift(1'800'000'000 + d, 1'800'000'000), told);
}

}  // namespace
}  // namespace vardo
