// A span's curves drawn from its envelope: strokes hold every column's extreme, a gap breaks the
// curve, and the window moves across the whole span.

#include <gtest/gtest.h>

#include "curves/span_geometry.h"
#include "curves/span_navigation.h"

namespace vardo {
namespace {

DisplaySettings Scale0To100() {
    DisplaySettings ds;
    ds.drawRect = {0, 0, 800, 400};
    ds.plotRect = {70, 30, 660, 370};
    ds.YSmall = 0;
    ds.YLarge = 100;
    ds.YMode = 0;
    return ds;
}

EnvelopeColumn Column(VTime first, VTime last, float lo, float hi) {
    EnvelopeColumn c;
    c.TakeTimes(first, last, last - first + 1);
    c.TakeValue(0, lo, 1);
    c.TakeValue(0, hi, 1);
    return c;
}

TEST(SpanGeometry, StrokesCoverEachColumnsExtremeAndJoinOrBreak) {
    const DisplaySettings ds = Scale0To100();
    const PlotFrame f = FrameOf(ds);
    Envelope e;
    e.columns = {Column(0, 9, 10, 20), Column(10, 19, 80, 90),  // joined: 1 s apart
                 EnvelopeColumn{},                              // empty, but finer than
                 Column(21, 29, 50, 50),                        // the step: still joined
                 Column(100, 109, 30, 40)};                     // 71 s gap: a break
    const auto runs = EnvelopeRuns(f, ds, e, 0, 2, 0, 100);
    ASSERT_EQ(runs.size(), 2u);
    ASSERT_EQ(runs[0].size(), 3u);
    ASSERT_EQ(runs[1].size(), 1u);
    const auto y = [&](float v) { return SampleY(f, ds, v / 100, v); };
    // Column 1's own extent, stretched down to column 0's top so the steep rise has no hole.
    EXPECT_EQ(runs[0][1].x, SpanColumnX(f, 1));
    EXPECT_EQ(runs[0][1].top, y(90));
    EXPECT_EQ(runs[0][1].bottom, y(20));
    // Column 3 falls from column 1: it reaches up to column 1's bottom.
    EXPECT_EQ(runs[0][2].top, y(80));
    EXPECT_EQ(runs[0][2].bottom, y(50));
    // After the break a column draws only its own extent.
    EXPECT_EQ(runs[1][0].x, SpanColumnX(f, 4));
    EXPECT_EQ(runs[1][0].top, y(40));
    EXPECT_EQ(runs[1][0].bottom, y(30));
}

TEST(SpanGeometry, ChannelMissingFromAColumnBreaksThatChannelOnly) {
    Envelope e;
    e.columns = {Column(0, 9, 1, 2), Column(10, 19, 1, 2), Column(20, 29, 1, 2)};
    e.columns[1].TakeValue(1, 5, 0);
    e.columns[1].present = 2;  // channel 0 absent from the middle column
    EXPECT_FALSE(EnvelopeJoined(e.columns[0], e.columns[1], 0, 10));
    const DisplaySettings ds = Scale0To100();
    EXPECT_EQ(EnvelopeRuns(FrameOf(ds), ds, e, 0, 10, 0, 100).size(), 2u);
}

TEST(SpanGeometry, ReadoutNearestRecordOrRange) {
    Envelope e;
    e.columns.resize(6);
    e.columns[1] = Column(5, 5, 12.5f, 12.5f);
    e.columns[4] = Column(40, 49, 3, 7);
    const struct {
        int at, want;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 4}, {5, 4}, {-3, 1}, {99, 4}};
    for (const auto& c : cases) EXPECT_EQ(NearestFilledColumn(e, c.at), c.want) << c.at;
    EXPECT_EQ(ColumnValueText(e.columns[1], 0), "12.5");
    EXPECT_EQ(ColumnValueText(e.columns[4], 0), "3.0~7.0");
    EXPECT_EQ(ColumnValueText(e.columns[0], 0), "");
    EXPECT_EQ(NearestFilledColumn(Envelope{{}, {}, 0, std::vector<EnvelopeColumn>(3)}, 1), -1);
}

TEST(SpanNavigation, MovesAcrossTheSpanAndStaysInside) {
    const SpanWindow all{1000, 100999};  // 100000 s
    const struct {
        const char* what;
        SpanWindow got, want;
    } cases[] = {
        {"zoom in halves around the middle", ZoomSpanIn(all, all, 10), {25999, 75998}},
        {"zoom in stops at the finest", ZoomSpanIn({1000, 1019}, all, 16), {1001, 1016}},
        {"zoom out is clamped to all", ZoomSpanOut({90000, 100999}, all), {79000, 100999}},
        {"zoom out past all is all", ZoomSpanOut({1000, 80000}, all), all},
        {"back a quarter", ScrollSpan({50000, 50999}, all, 1, true), {49750, 50749}},
        {"forward four quarters", ScrollSpan({50000, 50999}, all, 4, false), {51000, 51999}},
        {"back stops at the start", ScrollSpan({1100, 2099}, all, 1, true), {1000, 1999}},
        {"forward stops at the end", ScrollSpan({100000, 100999}, all, 1, false), {100000, 100999}},
        {"query puts the moment right",
         SpanWindowEndingAt({1000, 1999}, all, 60000),
         {59001, 60000}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(SpanGeometry, TimeAxisNamesDatesOverADayOrMore) {
    DisplaySettings ds = Scale0To100();
    ds.XMode = 1;
    const VTime t = MakeLocalTime(2026, 5, 1, 0, 0, 0);
    EXPECT_EQ(LayoutSpanTimeAxis(FrameOf(ds), ds, t, t + 3600).labels[0].text, "01:00:00");
    EXPECT_EQ(LayoutSpanTimeAxis(FrameOf(ds), ds, t, t + 86400).labels[0].text,
              "2026-05-02 00:00:00");
}

TEST(SpanNavigation, ZoomText) {
    EXPECT_EQ(SpanZoomText(365 * 86400), "365天00:00:00");
    EXPECT_EQ(SpanZoomText(3 * 86400 + 4 * 3600 + 5), "3天04:00:05");
    EXPECT_EQ(SpanZoomText(1200), "00:20:00");
}

}  // namespace
}  // namespace vardo
