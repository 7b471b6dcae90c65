#include "curves/navigation.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace vardo {
namespace {

using Edges = std::array<int, 4>;
Edges EdgesOf(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// A drawing area of 1000 x 600: plot L 70, T 30, R 860, B 570.
PlotFrame Frame() {
    DisplaySettings ds;
    const CurveLayout lay = ComputeCurveLayout({0, 0, 1000, 600}, 0);
    ds.drawRect = lay.drawRect;
    ds.plotRect = lay.plotRect;
    return FrameOf(ds);
}

TEST(Zoom, InWidensPointsThenHalvesTheStepOutNarrowsThenDoublesUpToTheWholeFile) {
    using Z = std::pair<int, int>;  // step, pixels per point
    const std::pair<Z, Z> in[] = {{{1, 1}, {1, 3}}, {{1, 99}, {1, 100}}, {{1, 100}, {1, 100}},
                                  {{3, 1}, {1, 1}}, {{8, 1}, {4, 1}},    {{2, 5}, {1, 5}}};
    for (auto [from, to] : in) {
        const Zoom z = ZoomIn({from.first, from.second});
        EXPECT_EQ(Z(z.windowStep, z.pixelsPerPoint), to) << from.first << "/" << from.second;
    }
    const struct {
        Z from;
        VTime intervals;  // the file's span in records at 10 s
        int plotWidth;
        Z to;
    } out[] = {
        {{1, 100}, 2000, 502, {1, 98}},      {{1, 3}, 2000, 502, {1, 1}},
        {{1, 2}, 2000, 502, {2, 1}},         {{1, 1}, 2000, 502, {2, 1}},
        {{2, 1}, 2000, 502, {4, 1}},         {{4, 1}, 2000, 502, {4, 1}},
        {{1, 1}, 999, 502, {1, 1}},          {{1, 1}, 131071, 2, {1, 1}},
        {{1024, 1}, 131071, 102, {1310, 1}},
    };
    for (const auto& c : out) {
        const Zoom z = ZoomOut({c.from.first, c.from.second}, c.intervals * 10, 10, c.plotWidth);
        EXPECT_EQ(Z(z.windowStep, z.pixelsPerPoint), c.to)
            << c.from.first << "/" << c.from.second << " over " << c.intervals;
    }
}

TEST(Scroll, ForwardAndBackMoveWholeWindowStepsAndTheQueryPutsTheMomentAtTheRightEdge) {
    const struct {
        int start, step, multiplier;
        bool older;
        int want;
    } cases[] = {{0, 1, 1, false, -1},
                 {0, 1, 1, true, 1},
                 {10, 4, 30, true, 130},
                 {130, 4, 30, false, 10},
                 {5, 2, 0, true, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(ScrollWindowStart(c.start, c.step, c.multiplier, c.older), c.want)
            << c.start << " " << c.multiplier;
    const std::array<int, 3> query[] = {{3600, 10, 360}, {15, 10, 1}, {0, 10, 0}, {239, 240, 0}};
    for (auto [seconds, interval, want] : query)
        EXPECT_EQ(QueryWindowStart(seconds, interval), want) << seconds << "/" << interval;
}

TEST(Readout, BoxesFollowThePointerButStayBesideThePlot) {
    const struct {
        int x, y;
        Edges value, time;
    } cases[] = {
        {400, 300, {0, 291, 70, 309}, {350, 570, 450, 600}},
        {400, 32, {0, 30, 70, 48}, {350, 570, 450, 600}},
        {80, 565, {0, 552, 70, 570}, {70, 570, 170, 600}},
        {850, 300, {0, 291, 70, 309}, {760, 570, 860, 600}},
    };
    for (const auto& c : cases) {
        const CursorBoxes b = CursorBoxesAt(Frame(), c.x, c.y);
        EXPECT_EQ(EdgesOf(b.value), c.value) << c.x << "," << c.y;
        EXPECT_EQ(EdgesOf(b.time), c.time) << c.x << "," << c.y;
    }
    // Held beyond the plot by 50 pixels either side, one pixel in from top and bottom.
    const Rect r = PointerConfinement({170, 30, 960, 570});
    EXPECT_EQ(EdgesOf(r), (Edges{120, 31, 1010, 569}));
    const std::array<int, 4> clamp[] = {
        {0, 0, 120, 31}, {2000, 2000, 1009, 568}, {500, 300, 500, 300}};
    for (auto [x, y, wx, wy] : clamp) {
        int cx = x, cy = y;
        ClampIntoRect(r, cx, cy);
        EXPECT_EQ(std::make_pair(cx, cy), std::make_pair(wx, wy)) << x << "," << y;
    }
}

TEST(Wheel, OnlyTheRightColumnsHalvesScrollAndSmallStepsAddUpToRows) {
    const struct {
        int x, y;
        WheelRegion want;
    } regions[] = {{859, 10, WheelRegion::None},   {860, 10, WheelRegion::Upper},
                   {999, 284, WheelRegion::Upper}, {999, 285, WheelRegion::Lower},
                   {900, 569, WheelRegion::Lower}, {900, 570, WheelRegion::None},
                   {1000, 10, WheelRegion::None},  {400, 300, WheelRegion::None}};
    for (const auto& c : regions)
        EXPECT_EQ(WheelRegionAt(Frame(), c.x, c.y), c.want) << c.x << "," << c.y;
    const std::vector<std::pair<std::vector<int>, std::vector<int>>> turns = {
        {{120}, {1}},
        {{-120}, {-1}},
        {{240}, {2}},
        {{40, 40, 40, 40}, {0, 0, 1, 0}},
        {{60, -60, -60}, {0, 0, -1}},
    };
    for (const auto& [deltas, rows] : turns) {
        WheelSteps w;
        std::vector<int> got;
        for (int d : deltas) got.push_back(w.Add(d));
        EXPECT_EQ(got, rows) << deltas.front();
    }
}

TEST(AutoScroll, StartsBeyondEitherEdgeSpeedsUpWithDistanceAndStopsInside) {
    // Each step: pointer x, dragging; then the state after it.
    const struct {
        int x;
        bool dragging;
        std::array<int, 3> after;  // autoScrolling, scrollOlder, scrollMultiplier
    } steps[] = {
        {400, true, {0, 0, 1}}, {70, true, {0, 0, 1}},   {40, true, {1, 1, 30}},
        {65, false, {1, 1, 5}}, {70, true, {1, 1, 0}},   {71, true, {0, 1, 1}},
        {858, true, {0, 1, 1}}, {870, true, {1, 0, 12}}, {857, true, {0, 0, 1}},
        {20, false, {0, 0, 1}},
    };
    AutoScroll s;
    for (const auto& st : steps) {
        s = AutoScrollOnMove(Frame(), s, st.x, st.dragging);
        EXPECT_EQ((std::array<int, 3>{s.autoScrolling, s.scrollOlder, s.scrollMultiplier}),
                  st.after)
            << st.x;
    }
}

TEST(Band, TakesTheSamplesUnderBothEdgesAndNothingPastTheWindow) {
    const struct {
        int left, right, ppp, count;
        int first, last;  // last < first: empty
    } cases[] = {
        {70, 370, 1, 1200, 488, 787}, {70, 370, 1, 500, 488, 499}, {70, 370, 1, 400, 0, -1},
        {857, 858, 1, 1200, 0, 1},  // one pixel at the right edge counts the newest sample
        {858, 860, 1, 1200, 0, 0},    {850, 851, 2, 1200, 3, 4},   {400, 400, 1, 1200, 0, -1},
        {70, 860, 1, 0, 0, -1},
    };
    for (const auto& c : cases) {
        const SampleSpan s = BandSamples(Frame(), c.left, c.right, c.ppp, c.count);
        EXPECT_EQ(s.Empty(), c.last < c.first) << c.left << ".." << c.right;
        if (!s.Empty()) {
            EXPECT_EQ(std::make_pair(s.first, s.last), std::make_pair(c.first, c.last))
                << c.left << ".." << c.right << " ppp " << c.ppp;
        }
    }
}

}  // namespace
}  // namespace vardo
