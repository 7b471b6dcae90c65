#include "link/port_timeouts.h"

#include <gtest/gtest.h>

#include <climits>

namespace vardo {
namespace {

// Interval and constants grow by the character time relative to 57600 baud; multipliers stay.
TEST(PortTimeouts, ConstantsAndIntervalScaleWithCharacterTime) {
    const std::pair<int, int> cases[] = {{1200, 48}, {2400, 24}, {4800, 12}, {9600, 6},
                                         {19200, 3}, {38400, 2}, {57600, 1}, {115200, 1},
                                         {14400, 1}, {0, 1}};
    for (const auto& [baud, k] : cases) {
        EXPECT_EQ(TimeoutScale(baud), k) << baud;
        const PortTimeouts t = ScaleTimeouts(baud, {20, 30, 5, 50, 7});
        EXPECT_EQ(t.readInterval, 20 * k) << baud;
        EXPECT_EQ(t.readTotalConstant, 30 * k) << baud;
        EXPECT_EQ(t.readTotalMultiplier, 5) << baud;
        EXPECT_EQ(t.writeTotalConstant, 50 * k) << baud;
        EXPECT_EQ(t.writeTotalMultiplier, 7) << baud;
    }
}

// Whatever SetUp.ini holds, the scaled time-outs stay ints and the budgets do not wrap.
TEST(PortTimeouts, ExtremeSettingsClampInsteadOfOverflowing) {
    const struct {
        int baud, configured, scaled;
    } cases[] = {{1200, INT_MAX, INT_MAX},          {1200, INT_MAX / 48, INT_MAX / 48 * 48},
                 {1200, INT_MAX / 48 + 1, INT_MAX}, {2400, 100000000, INT_MAX},
                 {57600, INT_MAX, INT_MAX},         {1200, INT_MIN, 0}};
    for (const auto& c : cases) {
        const PortTimeouts t =
            ScaleTimeouts(c.baud, {c.configured, c.configured, INT_MAX, c.configured, INT_MAX});
        EXPECT_EQ(t.readInterval, c.scaled) << c.baud << " " << c.configured;
        EXPECT_EQ(t.readTotalConstant, c.scaled) << c.baud << " " << c.configured;
        EXPECT_EQ(t.writeTotalConstant, c.scaled) << c.baud << " " << c.configured;
    }
    const PortTimeouts t = ScaleTimeouts(1200, {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX});
    EXPECT_EQ(ReadTotalBudget(t, 199), 200L * INT_MAX);
    EXPECT_EQ(WriteTotalBudget(t, 17), 18L * INT_MAX);
}

TEST(PortTimeouts, BudgetsAddPerCharacterTime) {
    const PortTimeouts t = ScaleTimeouts(9600, {20, 20, 5, 50, 5});
    EXPECT_EQ(ReadTotalBudget(t, 1), 125);
    EXPECT_EQ(ReadTotalBudget(t, 199), 1115);
    EXPECT_EQ(WriteTotalBudget(t, 17), 385);
}

}  // namespace
}  // namespace vardo
