#include "link/port_timeouts.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

TEST(PortTimeouts, ScaleIsCharacterTimesAt57600) {
    struct Case {
        int baud;
        int k;
    };
    const Case cases[] = {{1200, 48}, {2400, 24}, {4800, 12},  {9600, 6},  {19200, 3},
                          {38400, 2}, {57600, 1}, {115200, 1}, {14400, 1}, {0, 1}};
    for (const Case& c : cases) EXPECT_EQ(TimeoutScale(c.baud), c.k) << c.baud;
}

TEST(PortTimeouts, ConstantsAndIntervalScaleMultipliersDoNot) {
    const PortTimeouts defaults{20, 20, 5, 50, 5};
    struct Case {
        int baud;
        PortTimeouts expected;
    };
    const Case cases[] = {
        {9600, {120, 120, 5, 300, 5}},
        {1200, {960, 960, 5, 2400, 5}},
        {57600, {20, 20, 5, 50, 5}},
        {115200, {20, 20, 5, 50, 5}},
    };
    for (const Case& c : cases) {
        const PortTimeouts t = ScaleTimeouts(c.baud, defaults);
        EXPECT_EQ(t.readInterval, c.expected.readInterval) << c.baud;
        EXPECT_EQ(t.readTotalConstant, c.expected.readTotalConstant) << c.baud;
        EXPECT_EQ(t.readTotalMultiplier, c.expected.readTotalMultiplier) << c.baud;
        EXPECT_EQ(t.writeTotalConstant, c.expected.writeTotalConstant) << c.baud;
        EXPECT_EQ(t.writeTotalMultiplier, c.expected.writeTotalMultiplier) << c.baud;
    }
}

TEST(PortTimeouts, BudgetsAddPerCharacterTime) {
    const PortTimeouts t = ScaleTimeouts(9600, {20, 20, 5, 50, 5});
    EXPECT_EQ(ReadTotalBudget(t, 1), 125);
    EXPECT_EQ(ReadTotalBudget(t, 199), 1115);
    EXPECT_EQ(WriteTotalBudget(t, 17), 385);
}

}  // namespace
}  // namespace vardo
