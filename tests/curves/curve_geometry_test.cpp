#include "curves/curve_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/vardo_time.h"

namespace vardo {
namespace {

using Edges = std::array<int, 4>;
Edges EdgesOf(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// A drawing area of dw x dh at (offsetX, 0) in the client, with the standard margins.
DisplaySettings SettingsFor(int dw, int dh, int offsetX = 0) {
    DisplaySettings ds;
    const CurveLayout lay = ComputeCurveLayout({0, 0, offsetX + dw, dh}, offsetX);
    ds.drawRect = lay.drawRect;
    ds.plotRect = lay.plotRect;
    return ds;
}

// A plot with the given width and height (W and HP) at L = 70, T = 30.
PlotFrame FrameWH(int w, int hp) {
    return FrameOf(SettingsFor(w + 210, hp + 60));
}

DisplaySettings Scale(int yMode, int small = 0, int large = 0, int yLines = 0) {
    DisplaySettings ds;
    ds.YMode = yMode;
    ds.YSmall = small;
    ds.YLarge = large;
    ds.YLines = yLines;
    return ds;
}

std::vector<std::string> Texts(const std::vector<TextItem>& items) {
    std::vector<std::string> out;
    for (const TextItem& t : items) out.push_back(t.text);
    return out;
}

TEST(CurveLayout, DrawingAreaFollowsPanelAndPlotKeepsItsMargins) {
    struct Case {
        Rect client;
        int panel;
        Edges draw, plot;
        int rows;
    } cases[] = {
        {{0, 0, 1000, 600}, 0, {0, 0, 1000, 600}, {70, 30, 860, 570}, 19},
        {{0, 0, 1000, 600}, 150, {150, 0, 1000, 600}, {220, 30, 860, 570}, 19},
        {{0, 0, 500, 89}, 0, {0, 0, 500, 89}, {70, 30, 360, 59}, 1},
        {{0, 0, 500, 59}, 0, {0, 0, 500, 59}, {70, 30, 360, 29}, 0},
    };
    for (const Case& c : cases) {
        const CurveLayout lay = ComputeCurveLayout(c.client, c.panel);
        EXPECT_EQ(EdgesOf(lay.drawRect), c.draw) << c.panel << "/" << c.client.bottom;
        EXPECT_EQ(EdgesOf(lay.plotRect), c.plot) << c.panel << "/" << c.client.bottom;
        EXPECT_EQ(lay.rows, c.rows) << c.client.bottom;
    }
    // The frame is in surface coordinates: the panel's width is taken off.
    const PlotFrame f = FrameOf(SettingsFor(800, 500, 150));
    EXPECT_EQ((Edges{f.L, f.T, f.R, f.B}), (Edges{70, 30, 660, 470}));
    EXPECT_EQ(f.DW, 800);
}

TEST(CurveLayout, FirstRowIsPulledBackWhenTheListWouldRunShort) {
    const std::array<int, 4> cases[] = {
        {0, 12, 19, -7}, {5, 12, 4, 5}, {10, 12, 4, 8}, {0, 0, 0, 0}};
    for (auto [first, chnls, rows, want] : cases)
        EXPECT_EQ(PullBackFirstRow(first, chnls, rows), want) << first << "/" << rows;
}

TEST(SampleMapping, SamplesAreReadLittleEndianAtTheirWidthAndScaledToAFraction) {
    EXPECT_FLOAT_EQ(SampleFraction(255, 1), 255 * 0.003921569f);
    EXPECT_NEAR(SampleFraction(65535, 2), 1.0f, 1e-6);
    EXPECT_NEAR(SampleFraction(0xFFFFFFFFu, 4), 1.0f, 1e-6);
    HistoryData h;
    h.sampleWidth = 2;
    h.window[(2 * kWindowSamples + 5) * 2] = 0x34;
    h.window[(2 * kWindowSamples + 5) * 2 + 1] = 0x12;
    EXPECT_EQ(WindowSample(h, 2, 5), 0x1234u);
    for (auto [ch, i] : {std::pair{12, 0}, {0, 1200}, {-1, 0}})
        EXPECT_EQ(WindowSample(h, ch, i), 0u);
}

TEST(SampleMapping, ValuesRunFromTheBaseLineToJustBelowTheTopAndArePinnedOutsideTheScale) {
    const PlotFrame f = FrameWH(790, 540);  // T 30, B 570, base line 568
    struct Case {
        int mode, small, large;
        std::uint32_t raw;
        float value;
        int y;
    } cases[] = {
        {1, 0, 0, 0, 0, 568},       {1, 0, 0, 255, 0, 31},      {1, 0, 0, 128, 0, 568 - 269},
        {0, 0, 100, 0, 0.0f, 568},  {0, 0, 100, 0, 100.0f, 31}, {0, 0, 100, 0, 50.0f, 300},
        {0, 0, 100, 0, 100.5f, 30}, {0, 0, 100, 0, 1e9f, 30},   {0, 0, 100, 0, -0.01f, 569},
        {0, 0, 100, 0, -1e9f, 569}, {0, -50, 50, 0, 0.0f, 300}, {0, 50, 50, 0, 50.1f, 30},
        {0, 50, 50, 0, 50.0f, 569}, {0, 100, 0, 0, 50.0f, 300},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SampleY(f, Scale(c.mode, c.small, c.large), SampleFraction(c.raw, 1), c.value),
                  c.y)
            << c.mode << " " << c.small << ".." << c.large << " " << c.raw << " " << c.value;
    for (int hp = 4; hp <= 2000; ++hp) {
        const PlotFrame g = FrameWH(400, hp);
        ASSERT_EQ(SampleY(g, Scale(1), SampleFraction(0, 1), 0.0f), g.B - 2) << hp;
        ASSERT_EQ(SampleY(g, Scale(1), SampleFraction(255, 1), 0.0f), g.T + 1) << hp;
    }
    // A window sample goes through its channel's range before the value scale.
    HistoryData h;
    h.rangeHigh[0] = MakeDecimal(2000, 1);  // 0 .. 200.0
    h.window[0] = 255;
    EXPECT_EQ(WindowSampleY(f, Scale(0, 0, 100), h, 0, 0), f.T);
    EXPECT_EQ(WindowSampleY(f, Scale(1), h, 0, 0), f.T + 1);
}

TEST(SampleMapping, XRunsLeftFromTwoPixelsInsideTheRightEdgeAndTimeCountsBack) {
    const PlotFrame f = FrameWH(790, 540);  // R 860
    const std::array<int, 3> cases[] = {{0, 1, 858}, {1, 1, 857}, {3, 5, 843}, {1199, 1, -341}};
    for (auto [i, ppp, x] : cases) EXPECT_EQ(SampleX(f, i, ppp), x) << i << "/" << ppp;
    HistoryData h;
    h.newestTime = 1000000;
    h.intervalCode = 2;  // 5 s
    h.windowStart = 10;
    h.windowStep = 3;
    EXPECT_EQ(SampleTime(h, 0), 1000000 - 50);
    EXPECT_EQ(SampleTime(h, 4), 1000000 - 5 * 22);
}

TEST(Pointer, IndexAndValueUnderThePointer) {
    const PlotFrame f = FrameWH(790, 540);  // L 70, T 30, R 860, B 570
    const std::array<int, 3> cases[] = {{860, 1, 0},  {858, 1, 0}, {857, 1, 1},
                                        {70, 1, 787}, {0, 1, 787}, {70, 2, 393},
                                        {5000, 3, 0}, {848, 5, 2}, {71, 100, 7}};
    for (auto [x, ppp, i] : cases) EXPECT_EQ(PointerToIndex(f, x, ppp), i) << x << "/" << ppp;
    EXPECT_EQ(ClampPointerX(f, 0), 71);
    EXPECT_EQ(ClampPointerX(f, 900), 858);
    EXPECT_FLOAT_EQ(PointerToValue(f, Scale(1), 31), 100.0f);
    const DisplaySettings ds = Scale(0, -10, 30);
    EXPECT_FLOAT_EQ(PointerToValue(f, ds, 568), -10.0f);
    EXPECT_NEAR(PointerToValue(f, ds, 568 - 537 / 2), 10.0f, 0.1f);
    // A plot too flat to have a scale reads the bottom of the scale instead of dividing by 0.
    EXPECT_FLOAT_EQ(PointerToValue(FrameWH(400, 3), ds, 0), -10.0f);
}

TEST(Grid, LinesSplitThePlotEvenlyFromTopAndFromRight) {
    const PlotFrame f = FrameWH(790, 540);
    EXPECT_EQ(GridLinesY(f, 5), (std::vector<int>{120, 210, 300, 390, 480}));
    EXPECT_EQ(GridLinesX(f, 2), (std::vector<int>{596, 333}));  // 860 - 263.33, - 526.67
    EXPECT_TRUE(GridLinesX(f, 0).empty());
    EXPECT_TRUE(GridLinesY(f, -3).empty());
    for (int y : GridLinesY(f, 49)) EXPECT_TRUE(y > f.T && y < f.B) << y;
}

TEST(ValueAxis, LabelsEndAtThePlotSitOnTheirGridLinesAndKeepTwelvePixelsApart) {
    const std::vector<TextItem> labels = ValueLabels(FrameWH(790, 540), Scale(1, 0, 0, 5));
    ASSERT_EQ(labels.size(), 7u);
    EXPECT_EQ((Edges{labels[0].x, labels[0].y, labels[1].x, labels[1].y}),
              (Edges{70 - 36, 556, 70 - 54, 16}));
    for (int k = 0; k < 5; ++k) EXPECT_EQ(labels[2 + k].y, 466 - 90 * k);
    struct Case {
        int hp, mode, small, large, lines;
        std::vector<std::string> texts;
    } cases[] = {
        {60, 1, 0, 0, 5, {"0.00", "100.00", "33.33", "66.67"}},  // dy 10: every second line
        {72, 1, 0, 0, 5, {"0.00", "100.00", "33.33", "66.67"}},  // dy 12: not more than 12
        {78, 1, 0, 0, 5, {"0.00", "100.00", "16.67", "33.33", "50.00", "66.67", "83.33"}},
        {540, 1, 0, 0, 0, {"0.00", "100.00"}},
        {500, 0, -20, 80, 4, {"-20.00", "80.00", "0.00", "20.00", "40.00", "60.00"}},
        {500, 0, 50, 50, 1, {"50.00", "50.00", "50.00"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(ValueLabels(FrameWH(400, c.hp), Scale(c.mode, c.small, c.large, c.lines))),
                  c.texts)
            << c.hp;
}

TEST(TimeAxis, EdgesTicksAndLabelsFollowWindowZoomAndFormat) {
    HistoryData h;
    h.newestTime = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    h.intervalCode = 3;  // 10 s
    struct Case {
        struct {
            int w, lines, xMode, start, step, ppp;
        } in;
        std::array<VTime, 2> back;  // right and left edges back from the newest record
        std::vector<int> ticks;     // back from R
        std::vector<std::pair<int, std::string>> labels;  // x back from R, text
    } cases[] = {
        // dx 50 with five lines: ticks keep their minimum gap, wider for the long format.
        {{300, 5, 1, 0, 1, 1},
         {0, 2970},
         {100, 200},
         {{30, "12:00:00"}, {330, "11:10:30"}, {135, "11:43:20"}, {235, "11:26:40"}}},
        {{300, 5, 0, 0, 1, 1},
         {0, 2970},
         {150},
         {{65, "2026-03-04 12:00:00"}, {365, "2026-03-04 11:10:30"}, {215, "2026-03-04 11:35:00"}}},
        // trunc(200 / 3) = 66 samples of 4 records of 10 s to a tick.
        {{600, 2, 1, 0, 4, 3},
         {0, 7960},
         {200, 400},
         {{30, "12:00:00"}, {630, "09:47:20"}, {235, "11:16:00"}, {435, "10:31:20"}}},
        {{303, 0, 1, 6, 2, 3}, {60, 2060}, {}, {{30, "11:59:00"}, {333, "11:25:40"}}},
        {{303, 0, 0, 6, 2, 3},
         {60, 2060},
         {},
         {{65, "2026-03-04 11:59:00"}, {368, "2026-03-04 11:25:40"}}},
    };
    for (const Case& c : cases) {
        const PlotFrame f = FrameWH(c.in.w, 400);
        DisplaySettings ds;
        ds.XLines = c.in.lines;
        ds.XMode = c.in.xMode;
        h.windowStart = c.in.start;
        h.windowStep = c.in.step;
        const TimeAxisLayout a = LayoutTimeAxis(f, ds, h, c.in.ppp);
        EXPECT_EQ(h.newestTime - a.rightEdgeTime, c.back[0]) << c.in.w;
        EXPECT_EQ(h.newestTime - a.leftEdgeTime, c.back[1]) << c.in.w;
        std::vector<int> ticks;
        for (int x : a.ticks) ticks.push_back(f.R - x);
        EXPECT_EQ(ticks, c.ticks) << c.in.w;
        std::vector<std::pair<int, std::string>> labels;
        for (const TextItem& t : a.labels) {
            labels.emplace_back(f.R - t.x, t.text);
            EXPECT_EQ(t.y, f.B + 2);
        }
        EXPECT_EQ(labels, c.labels) << c.in.w << "/" << c.in.xMode;
    }
    // A right edge before the epoch shows as zero.
    h.newestTime = 100;
    h.windowStart = 50;
    const TimeAxisLayout a = LayoutTimeAxis(FrameWH(300, 400), DisplaySettings{}, h, 1);
    EXPECT_EQ(a.rightEdgeTime, 0);
    EXPECT_EQ(a.labels[0].text, FormatAxisTime(0, DisplaySettings{}.XMode));
}

TEST(RealTimeAxis, RightEdgeIsTheNewestSampleAndOnlyTheLeftEdgeStopsAtZero) {
    HistoryData h;
    h.intervalCode = 0;  // 1 s
    h.windowStep = 1;
    h.windowStart = 40;  // a live window has no offset: ignored
    h.newestTime = MakeLocalTime(2026, 12, 7, 1, 0, 0);
    struct Case {
        int xMode;
        std::vector<int> ticks;  // counted from the right edge
        VTime back;              // newest - left edge
    } cases[] = {
        {1, {101, 201, 302, 402, 503}, 600},  // 100.5-pixel divisions, 70 apart: all five
        {0, {201, 402}, 600},                 // long labels, 130 apart: ticks 2 and 4
    };
    for (const Case& c : cases) {
        const PlotFrame f = FrameWH(603, 400);
        DisplaySettings ds;
        ds.XMode = c.xMode;
        ds.XLines = 5;
        const TimeAxisLayout a = LayoutRealTimeAxis(f, ds, h, 1);
        EXPECT_EQ(a.rightEdgeTime, h.newestTime);
        EXPECT_EQ(h.newestTime - a.leftEdgeTime, c.back);
        std::vector<int> ticks;
        for (int x : a.ticks) ticks.push_back(f.R - x);
        EXPECT_EQ(ticks, c.ticks) << c.xMode;
        ASSERT_EQ(a.labels.size(), 2 + c.ticks.size());
        EXPECT_EQ(a.labels[1].text, FormatAxisTime(h.newestTime - 600, c.xMode));
    }
    h.newestTime = 100;
    const TimeAxisLayout a = LayoutRealTimeAxis(FrameWH(603, 400), DisplaySettings{}, h, 1);
    EXPECT_EQ(a.rightEdgeTime, 100);
    EXPECT_EQ(a.leftEdgeTime, 0);
}

TEST(PaperSettings, TheScreensScalesAndZoomCarryOverItsColoursAndScrollingDoNot) {
    DisplaySettings live;
    live.Chnls = 12;
    live.YMode = 0;
    live.YSmall = -50;
    live.YLarge = 250;
    live.XMode = 0;
    live.XLines = 7;
    live.YLines = 3;
    live.channelColors = {Rgb(1, 2, 3), Rgb(4, 5, 6)};
    live.channelChecks = {1, 0};
    live.pixelsPerPoint = 4;
    live.backColor = Rgb(0, 0, 0);
    live.gridColor = Rgb(0, 128, 0);
    live.gridWidth = 3;
    live.scrollOffset = 9;
    live.layoutDirty = 1;
    live.drawRect = {200, 0, 990, 700};
    const DisplaySettings paper = PaperSettings(live, 1000, 700, 160);
    const auto carried = [](const DisplaySettings& d) {
        return std::tuple(d.Chnls, d.YMode, d.YSmall, d.YLarge, d.XMode, d.XLines, d.YLines,
                          d.channelColors, d.channelChecks, d.pixelsPerPoint);
    };
    EXPECT_EQ(carried(paper), carried(live));
    EXPECT_EQ(std::tuple(paper.backColor, paper.gridColor, paper.gridWidth, paper.scrollOffset,
                         paper.layoutDirty),
              std::tuple(kWhite, Rgb(225, 225, 225), 1, 0, 0));
    // The plot on paper starts at the page's left and leaves the strip's room on the right.
    const PlotFrame f = FrameOf(paper);
    EXPECT_EQ(paper.drawRect.left, 0);
    EXPECT_EQ(paper.drawRect.right, 1000 - 160);
    EXPECT_EQ(std::tuple(f.L, f.T, f.DW - f.R, f.DH - f.B),
              std::tuple(kPlotMarginLeft, kPlotMarginTop, kPlotMarginRight, kPlotMarginBottom));
}

TEST(Header, PiecesDropOutAsThePlotNarrows) {
    HistoryData h;
    h.intervalCode = 3;
    h.oldestTime = MakeLocalTime(2026, 1, 2, 3, 4, 5);
    h.newestTime = MakeLocalTime(2026, 1, 9, 23, 59, 58);
    struct Case {
        int w;
        std::vector<std::string> texts;
    } cases[] = {
        {130, {}},
        {131, {"记录间隔：10秒"}},
        {250, {"记录间隔：10秒"}},
        {251, {"通道数目：12 ", "记录间隔：10秒"}},
        {550, {"通道数目：12 ", "记录间隔：10秒"}},
        {551, {"通道数目：12 ", "记录间隔：10秒", "2026-01-02 03:04:05 => 2026-01-09 23:59:58"}},
    };
    for (const Case& c : cases) {
        const PlotFrame f = FrameWH(c.w, 400);
        const std::vector<TextItem> items = HeaderTexts(f, 12, h);
        EXPECT_EQ(Texts(items), c.texts) << c.w;
        for (const TextItem& t : items) EXPECT_EQ(t.y, 10);
        if (items.size() == 3) {
            EXPECT_EQ((Edges{items[0].x, items[1].x, items[2].x, 0}),
                      (Edges{f.R - 250, f.R - 130, f.L, 0}));
        }
    }
}

HistoryData LegendData(int channels) {
    HistoryData h;
    h.channelCount = static_cast<std::uint8_t>(channels);
    h.windowCount = 4;
    for (int ch = 0; ch < channels; ++ch) {
        h.channelEnabled[ch] = 1;
        h.rangeHigh[ch] = MakeDecimal(1000, 1);
        h.window[ch * kWindowSamples + 3] = 51;  // 20.0 at index 3
    }
    return h;
}

TEST(Legend, RowsSkipChannelsWithoutDataAndShowValuesAtTheirPrecision) {
    HistoryData h = LegendData(4);
    h.channelEnabled[1] = 0;
    h.rangeHigh[2] = MakeDecimal(100, 0);
    h.rangeHigh[3] = MakeDecimal(10000, 2);
    const PlotFrame f = FrameWH(790, 540);
    int first = 0;
    const std::vector<LegendRow> rows = LegendRows(f, 4, h, first, 17, 3);
    ASSERT_EQ(rows.size(), 3u);
    const char* names[] = {"通道 1 :", "通道 3 :", "通道 4 :"};
    const char* values[] = {"20.0", "20", "20.00"};
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(rows[r].name.text, names[r]);
        EXPECT_EQ(rows[r].value.text, values[r]);
        EXPECT_EQ((Edges{rows[r].name.x, rows[r].name.y, rows[r].value.x, rows[r].value.y}),
                  (Edges{f.R + 20, 10 + 40 * r, f.R + 40, 28 + 40 * r}));
    }
    // Past the window's oldest sample the rows keep their names but read nothing.
    for (const LegendRow& r : LegendRows(f, 4, h, first, 17, 4)) EXPECT_FALSE(r.hasValue);
}

TEST(Legend, ListStopsAboveTheBottomValuesStopFirstAndTheFirstRowIsClamped) {
    const HistoryData h = LegendData(12);
    const std::array<int, 3> cases[] = {
        {150, 3, 3}, {160, 4, 3}, {570, 12, 12}, {40, 1, 1}, {97, 2, 1}};
    for (auto [b, names, values] : cases) {
        const PlotFrame f{70, 30, 500, b};
        int first = 0;
        const std::vector<LegendRow> rows = LegendRows(f, 12, h, first, 0, 0);
        EXPECT_EQ(static_cast<int>(rows.size()), names) << b;
        int withValue = 0;
        for (const LegendRow& r : rows) withValue += r.hasValue ? 1 : 0;
        EXPECT_EQ(withValue, values) << b;
    }
    const std::array<int, 3> clamps[] = {{10, 5, 7}, {-3, 20, 0}, {4, 5, 4}, {12, 3, 9}};
    for (auto [asked, upper, want] : clamps) {
        int first = asked;
        const std::vector<LegendRow> rows = LegendRows(FrameWH(790, 540), 12, h, first, upper, 0);
        EXPECT_EQ(first, want) << asked;
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0].channel, want);
    }
}

TEST(ScrollButtons, ShownOnlyWhenTheChannelsDoNotFit) {
    const std::array<int, 3> cases[] = {
        {8, 600, 0}, {12, 391, 1}, {12, 392, 0}, {19, 600, 1}, {0, 30, 1}};
    for (auto [chnls, dh, shown] : cases)
        EXPECT_EQ(LayoutScrollButtons(FrameOf(SettingsFor(800, dh)), chnls, 15, 15).shown,
                  shown != 0)
            << chnls << "/" << dh;
    const PlotFrame f = FrameOf(SettingsFor(800, 300));  // B 270, (DH - 30) / 2 = 135
    const ScrollButtonLayout b = LayoutScrollButtons(f, 12, 15, 15);
    const int ys[] = {10, 270 - 135 - 25, 270 + 11 - 135, 270 - 25};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(EdgesOf(b.rects[k]), (Edges{800 - 16, ys[k], 800 - 1, ys[k] + 15})) << k;
}

TEST(Zoom, PaneTextAtBothKindsOfZoom) {
    struct Case {
        int step, ppp;
        const char* text;
    } cases[] = {
        {1, 1, "缩放:100%"}, {0, 100, "缩放:10000%"}, {2, 1, "缩放:50.00%"}, {3, 1, "缩放:33.33%"}};
    for (const Case& c : cases) EXPECT_EQ(ZoomText(c.step, c.ppp), c.text);
}

}  // namespace
}  // namespace vardo
