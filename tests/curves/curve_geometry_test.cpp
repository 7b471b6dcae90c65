#include "curves/curve_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/vardo_time.h"

namespace vardo {
namespace {

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

TEST(CurveLayout, DrawingAreaFollowsPanelAndPlotKeepsItsMargins) {
    struct Case {
        Rect client;
        int panel;
        Rect draw, plot;
        int rows;
    } cases[] = {
        {{0, 0, 1000, 600}, 0, {0, 0, 1000, 600}, {70, 30, 860, 570}, 19},
        {{0, 0, 1000, 600}, 150, {150, 0, 1000, 600}, {220, 30, 860, 570}, 19},
        {{0, 0, 500, 89}, 0, {0, 0, 500, 89}, {70, 30, 360, 59}, 1},
        {{0, 0, 500, 59}, 0, {0, 0, 500, 59}, {70, 30, 360, 29}, 0},
    };
    for (const Case& c : cases) {
        const CurveLayout lay = ComputeCurveLayout(c.client, c.panel);
        EXPECT_EQ(lay.drawRect.left, c.draw.left);
        EXPECT_EQ(lay.drawRect.right, c.draw.right);
        EXPECT_EQ(lay.plotRect.left, c.plot.left);
        EXPECT_EQ(lay.plotRect.top, c.plot.top);
        EXPECT_EQ(lay.plotRect.right, c.plot.right);
        EXPECT_EQ(lay.plotRect.bottom, c.plot.bottom);
        EXPECT_EQ(lay.rows, c.rows) << c.client.bottom;
    }
}

TEST(CurveLayout, FrameIsInSurfaceCoordinates) {
    const PlotFrame f = FrameOf(SettingsFor(800, 500, 150));
    EXPECT_EQ(f.L, 70);
    EXPECT_EQ(f.T, 30);
    EXPECT_EQ(f.R, 660);
    EXPECT_EQ(f.B, 470);
    EXPECT_EQ(f.DW, 800);
    EXPECT_EQ(f.DH, 500);
}

TEST(CurveLayout, FirstRowIsPulledBackWhenTheListWouldRunShort) {
    struct Case {
        int first, chnls, rows, want;
    } cases[] = {
        {0, 12, 19, -7}, {5, 12, 4, 5}, {10, 12, 4, 8}, {8, 12, 4, 8}, {0, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PullBackFirstRow(c.first, c.chnls, c.rows), c.want) << c.first << "/" << c.rows;
}

TEST(SampleMapping, FractionUsesTheSinglePrecisionFactorOfEachWidth) {
    EXPECT_FLOAT_EQ(SampleFraction(0, 1), 0.0f);
    EXPECT_FLOAT_EQ(SampleFraction(255, 1), 255 * 0.003921569f);
    EXPECT_NEAR(SampleFraction(51, 1), 0.2f, 1e-6);
    EXPECT_NEAR(SampleFraction(65535, 2), 1.0f, 1e-6);
    EXPECT_NEAR(SampleFraction(32768, 2), 0.5f, 1e-4);
    EXPECT_NEAR(SampleFraction(0xFFFFFFFFu, 4), 1.0f, 1e-6);
}

TEST(SampleMapping, WindowSamplesAreReadLittleEndianAtTheirWidth) {
    HistoryData h;
    h.sampleWidth = 1;
    h.window[3 * kWindowSamples + 7] = 99;
    EXPECT_EQ(WindowSample(h, 3, 7), 99u);
    h.sampleWidth = 2;
    h.window[(2 * kWindowSamples + 5) * 2] = 0x34;
    h.window[(2 * kWindowSamples + 5) * 2 + 1] = 0x12;
    EXPECT_EQ(WindowSample(h, 2, 5), 0x1234u);
    EXPECT_EQ(WindowSample(h, 12, 0), 0u);
    EXPECT_EQ(WindowSample(h, 0, 1200), 0u);
    EXPECT_EQ(WindowSample(h, -1, 0), 0u);
}

TEST(SampleMapping, PercentScaleRunsFromTheBaseLineToJustBelowTheTop) {
    const PlotFrame f = FrameWH(790, 540);  // T 30, B 570, H 537, base 568
    DisplaySettings ds;
    ds.YMode = 1;
    struct Case {
        std::uint32_t raw;
        int y;
    } cases[] = {{0, 568}, {255, 31}, {128, 568 - 269}, {1, 566}, {254, 34}};
    for (const Case& c : cases)
        EXPECT_EQ(SampleY(f, ds, SampleFraction(c.raw, 1), 0.0f), c.y) << c.raw;
}

TEST(SampleMapping, SampleBoundsHoldForEveryPlotHeight) {
    DisplaySettings ds;
    ds.YMode = 1;
    for (int hp = 4; hp <= 2000; ++hp) {
        const PlotFrame f = FrameWH(400, hp);
        ASSERT_EQ(SampleY(f, ds, SampleFraction(0, 1), 0.0f), f.B - 2) << hp;
        ASSERT_EQ(SampleY(f, ds, SampleFraction(255, 1), 0.0f), f.T + 1) << hp;
    }
}

TEST(SampleMapping, ValueScalePinsValuesOutsideItToTheEdges) {
    const PlotFrame f = FrameWH(790, 540);
    struct Case {
        int small, large;
        float value;
        int y;
    } cases[] = {
        {0, 100, 0.0f, 568},  {0, 100, 100.0f, 31},       {0, 100, 50.0f, 568 - 268},
        {0, 100, 100.5f, 30}, {0, 100, 1e9f, 30},         {0, 100, -0.01f, 569},
        {0, 100, -1e9f, 569}, {-50, 50, 0.0f, 568 - 268}, {50, 50, 50.1f, 30},
        {50, 50, 50.0f, 569}, {50, 50, -3.0f, 569},       {100, 0, 50.0f, 568 - 268},
    };
    for (const Case& c : cases) {
        DisplaySettings ds;
        ds.YMode = 0;
        ds.YSmall = c.small;
        ds.YLarge = c.large;
        EXPECT_EQ(SampleY(f, ds, 0.0f, c.value), c.y)
            << c.small << ".." << c.large << " " << c.value;
    }
}

TEST(SampleMapping, WindowSampleCombinesRangeAndScale) {
    const PlotFrame f = FrameWH(790, 540);
    HistoryData h;
    h.rangeLow[0] = MakeDecimal(0, 0);
    h.rangeHigh[0] = MakeDecimal(2000, 1);  // 0 .. 200.0
    h.window[0] = 255;
    h.window[1] = 0;
    DisplaySettings ds;
    ds.YMode = 0;
    ds.YSmall = 0;
    ds.YLarge = 100;
    EXPECT_EQ(WindowSampleY(f, ds, h, 0, 0), f.T);  // 200 is above the scale
    EXPECT_EQ(WindowSampleY(f, ds, h, 0, 1), f.B - 2);
    ds.YMode = 1;
    EXPECT_EQ(WindowSampleY(f, ds, h, 0, 0), f.T + 1);
    EXPECT_NEAR(WindowValue(h, 0, 0), 200.0f, 1e-3);
}

TEST(SampleMapping, XRunsLeftFromTwoPixelsInsideTheRightEdge) {
    const PlotFrame f = FrameWH(790, 540);  // R 860
    struct Case {
        int i, ppp, x;
    } cases[] = {{0, 1, 858}, {1, 1, 857}, {3, 5, 843}, {1199, 1, 858 - 1199}, {10, 100, -142}};
    for (const Case& c : cases) EXPECT_EQ(SampleX(f, c.i, c.ppp), c.x);
}

TEST(SampleMapping, SampleTimeCountsBackInRecordsOfTheInterval) {
    HistoryData h;
    h.newestTime = 1000000;
    h.intervalCode = 2;  // 5 s
    h.windowStart = 10;
    h.windowStep = 3;
    EXPECT_EQ(SampleTime(h, 0), 1000000 - 50);
    EXPECT_EQ(SampleTime(h, 4), 1000000 - 5 * 22);
    h.intervalCode = 8;  // 240 s
    h.windowStart = 0;
    h.windowStep = 1;
    EXPECT_EQ(SampleTime(h, 1199), 1000000 - 240 * 1199);
}

TEST(Pointer, IndexUnderThePointer) {
    const PlotFrame f = FrameWH(790, 540);  // L 70, R 860
    struct Case {
        int x, ppp, i;
    } cases[] = {
        {860, 1, 0},  {858, 1, 0},  {857, 1, 1}, {70, 1, 787}, {0, 1, 787},
        {70, 2, 393}, {5000, 3, 0}, {848, 5, 2}, {71, 100, 7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PointerToIndex(f, c.x, c.ppp), c.i) << c.x << "/" << c.ppp;
    EXPECT_EQ(ClampPointerX(f, 0), 71);
    EXPECT_EQ(ClampPointerX(f, 900), 858);
}

TEST(Pointer, ValueReadOffTheScale) {
    const PlotFrame f = FrameWH(790, 540);  // T 30, B 570
    DisplaySettings ds;
    ds.YMode = 1;
    EXPECT_FLOAT_EQ(PointerToValue(f, ds, 568), 0.0f);
    EXPECT_FLOAT_EQ(PointerToValue(f, ds, 31), 100.0f);
    ds.YMode = 0;
    ds.YSmall = -10;
    ds.YLarge = 30;
    EXPECT_FLOAT_EQ(PointerToValue(f, ds, 31), 30.0f);
    EXPECT_FLOAT_EQ(PointerToValue(f, ds, 568), -10.0f);
    EXPECT_NEAR(PointerToValue(f, ds, 568 - 537 / 2), 10.0f, 0.1f);
    // A plot too flat to have a scale reads the bottom of the scale instead of dividing by 0.
    EXPECT_FLOAT_EQ(PointerToValue(FrameWH(400, 3), ds, 0), -10.0f);
}

TEST(Grid, LinesSplitThePlotEvenlyFromTopAndFromRight) {
    const PlotFrame f = FrameWH(790, 540);
    EXPECT_EQ(GridLinesY(f, 5), (std::vector<int>{120, 210, 300, 390, 480}));
    EXPECT_EQ(GridLinesX(f, 4), (std::vector<int>{702, 544, 386, 228}));
    EXPECT_EQ(GridLinesX(f, 2), (std::vector<int>{596, 333}));  // 860 - 263.33, - 526.67
    EXPECT_TRUE(GridLinesX(f, 0).empty());
    EXPECT_TRUE(GridLinesY(f, 0).empty());
    EXPECT_TRUE(GridLinesY(f, -3).empty());
    const std::vector<int> many = GridLinesY(f, 49);
    ASSERT_EQ(many.size(), 49u);
    for (int y : many) {
        EXPECT_GT(y, f.T);
        EXPECT_LT(y, f.B);
    }
}

std::vector<std::string> LabelTexts(const std::vector<TextItem>& items) {
    std::vector<std::string> out;
    for (const TextItem& t : items) out.push_back(t.text);
    return out;
}

TEST(ValueAxis, PercentLabelsEndAtThePlotAndSitOnTheirGridLines) {
    const PlotFrame f = FrameWH(790, 540);  // dy 90 for five lines
    DisplaySettings ds;
    ds.YMode = 1;
    ds.YLines = 5;
    const std::vector<TextItem> labels = ValueLabels(f, ds);
    EXPECT_EQ(LabelTexts(labels), (std::vector<std::string>{"0.00", "100.00", "16.67", "33.33",
                                                            "50.00", "66.67", "83.33"}));
    EXPECT_EQ(labels[0].x, 70 - 36);
    EXPECT_EQ(labels[0].y, 556);
    EXPECT_EQ(labels[1].x, 70 - 54);
    EXPECT_EQ(labels[1].y, 16);
    const int ys[] = {466, 376, 286, 196, 106};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(labels[2 + k].y, ys[k]);
}

TEST(ValueAxis, IntermediateLabelsKeepTwelvePixelsApart) {
    struct Case {
        int hp, lines;
        std::vector<std::string> middle;
    } cases[] = {
        {60, 5, {"33.33", "66.67"}},                             // dy 10: every second line
        {72, 5, {"33.33", "66.67"}},                             // dy 12: not more than 12
        {78, 5, {"16.67", "33.33", "50.00", "66.67", "83.33"}},  // dy 13
        {110, 9, {"20.00", "40.00", "60.00", "80.00"}},          // dy 11: every second line
        {540, 0, {}},
    };
    for (const Case& c : cases) {
        DisplaySettings ds;
        ds.YMode = 1;
        ds.YLines = c.lines;
        std::vector<std::string> got = LabelTexts(ValueLabels(FrameWH(400, c.hp), ds));
        ASSERT_GE(got.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(got.begin() + 2, got.end()), c.middle) << c.hp;
    }
}

TEST(ValueAxis, ValueScaleLabelsAndAZeroWidthScale) {
    DisplaySettings ds;
    ds.YMode = 0;
    ds.YSmall = -20;
    ds.YLarge = 80;
    ds.YLines = 4;
    EXPECT_EQ(LabelTexts(ValueLabels(FrameWH(400, 500), ds)),
              (std::vector<std::string>{"-20.00", "80.00", "0.00", "20.00", "40.00", "60.00"}));
    ds.YSmall = ds.YLarge = 50;
    for (const std::string& t : LabelTexts(ValueLabels(FrameWH(400, 500), ds)))
        EXPECT_EQ(t, "50.00");
}

class TimeAxisTest : public ::testing::Test {
  protected:
    void SetUp() override {
        h.newestTime = MakeLocalTime(2026, 3, 4, 12, 0, 0);
        h.intervalCode = 3;  // 10 s
        h.windowStart = 0;
        h.windowStep = 1;
    }
    HistoryData h;
};

TEST_F(TimeAxisTest, TicksKeepTheirMinimumGapInBothFormats) {
    const PlotFrame f = FrameWH(300, 400);  // dx 50 with five lines
    DisplaySettings ds;
    ds.XLines = 5;
    ds.XMode = 1;
    TimeAxisLayout a = LayoutTimeAxis(f, ds, h, 1);
    EXPECT_EQ(a.ticks, (std::vector<int>{f.R - 100, f.R - 200}));
    ASSERT_EQ(a.labels.size(), 4u);
    EXPECT_EQ(a.labels[2].x, f.R - 135);
    EXPECT_EQ(a.labels[2].text, "11:43:20");  // 100 samples of 10 s back
    EXPECT_EQ(a.labels[3].text, "11:26:40");
    ds.XMode = 0;
    a = LayoutTimeAxis(f, ds, h, 1);
    EXPECT_EQ(a.ticks, (std::vector<int>{f.R - 150}));
    ASSERT_EQ(a.labels.size(), 3u);
    EXPECT_EQ(a.labels[2].x, f.R - 215);
    EXPECT_EQ(a.labels[2].text, "2026-03-04 11:35:00");
}

TEST_F(TimeAxisTest, EdgesFollowTheWindowAndZoom) {
    const PlotFrame f = FrameWH(303, 400);
    DisplaySettings ds;
    ds.XLines = 0;
    ds.XMode = 1;
    h.windowStart = 6;
    h.windowStep = 2;
    TimeAxisLayout a = LayoutTimeAxis(f, ds, h, 3);
    EXPECT_EQ(a.rightEdgeTime, h.newestTime - 60);
    EXPECT_EQ(a.leftEdgeTime, h.newestTime - 60 - (300 / 3) * 10 * 2);
    ASSERT_EQ(a.labels.size(), 2u);
    EXPECT_TRUE(a.ticks.empty());
    EXPECT_EQ(a.labels[0].x, f.R - 30);
    EXPECT_EQ(a.labels[0].y, f.B + 2);
    EXPECT_EQ(a.labels[1].x, f.L - 30);
    EXPECT_EQ(a.labels[0].text, "11:59:00");
    ds.XMode = 0;
    a = LayoutTimeAxis(f, ds, h, 3);
    EXPECT_EQ(a.labels[0].x, f.R - 65);
    EXPECT_EQ(a.labels[1].x, f.L - 65);
    EXPECT_EQ(a.labels[0].text, "2026-03-04 11:59:00");
}

TEST_F(TimeAxisTest, ARightEdgeBeforeTheEpochShowsAsZero) {
    h.newestTime = 100;
    h.intervalCode = 2;
    h.windowStart = 50;
    DisplaySettings ds;
    const TimeAxisLayout a = LayoutTimeAxis(FrameWH(300, 400), ds, h, 1);
    EXPECT_EQ(a.rightEdgeTime, 0);
    EXPECT_EQ(a.labels[0].text, FormatAxisTime(0, 1));
}

TEST_F(TimeAxisTest, TickTimesUseTheZoomedSampleCount) {
    const PlotFrame f = FrameWH(600, 400);  // dx 200 with two lines
    DisplaySettings ds;
    ds.XLines = 2;
    ds.XMode = 1;
    h.windowStep = 4;
    const TimeAxisLayout a = LayoutTimeAxis(f, ds, h, 3);
    ASSERT_EQ(a.labels.size(), 4u);
    // trunc(200 / 3) = 66 samples of 4 records of 10 s.
    EXPECT_EQ(a.labels[2].text, FormatAxisTime(h.newestTime - 66 * 40, 1));
    EXPECT_EQ(a.labels[3].text, FormatAxisTime(h.newestTime - 133 * 40, 1));
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
        {200, {"记录间隔：10秒"}},
        {250, {"记录间隔：10秒"}},
        {251, {"通道数目：12 ", "记录间隔：10秒"}},
        {550, {"通道数目：12 ", "记录间隔：10秒"}},
        {551, {"通道数目：12 ", "记录间隔：10秒", "2026-01-02 03:04:05 => 2026-01-09 23:59:58"}},
    };
    for (const Case& c : cases) {
        const PlotFrame f = FrameWH(c.w, 400);
        const std::vector<TextItem> items = HeaderTexts(f, 12, h);
        EXPECT_EQ(LabelTexts(items), c.texts) << c.w;
        for (const TextItem& t : items) EXPECT_EQ(t.y, 10);
        if (items.size() == 3) {
            EXPECT_EQ(items[0].x, f.R - 250);
            EXPECT_EQ(items[1].x, f.R - 130);
            EXPECT_EQ(items[2].x, f.L);
        }
    }
}

HistoryData LegendData(int channels) {
    HistoryData h;
    h.channelCount = static_cast<std::uint8_t>(channels);
    for (int ch = 0; ch < channels; ++ch) {
        h.channelEnabled[ch] = 1;
        h.rangeLow[ch] = MakeDecimal(0, 0);
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
        EXPECT_EQ(rows[r].name.x, f.R + 20);
        EXPECT_EQ(rows[r].name.y, 10 + 40 * r);
        ASSERT_TRUE(rows[r].hasValue);
        EXPECT_EQ(rows[r].value.text, values[r]);
        EXPECT_EQ(rows[r].value.x, f.R + 40);
        EXPECT_EQ(rows[r].value.y, 28 + 40 * r);
    }
}

TEST(Legend, ListStopsAboveTheBottomAndValuesStopFirst) {
    const HistoryData h = LegendData(12);
    struct Case {
        int b;
        size_t names, values;
    } cases[] = {{150, 3, 3}, {160, 4, 3}, {570, 12, 12}, {40, 1, 1}, {100, 2, 2}, {97, 2, 1}};
    for (const Case& c : cases) {
        PlotFrame f;
        f.L = 70;
        f.T = 30;
        f.R = 500;
        f.B = c.b;
        int first = 0;
        const std::vector<LegendRow> rows = LegendRows(f, 12, h, first, 0, 0);
        EXPECT_EQ(rows.size(), c.names) << c.b;
        size_t values = 0;
        for (const LegendRow& r : rows) values += r.hasValue ? 1 : 0;
        EXPECT_EQ(values, c.values) << c.b;
    }
}

TEST(Legend, FirstRowIsClampedIntoTheChannels) {
    const HistoryData h = LegendData(12);
    const PlotFrame f = FrameWH(790, 540);
    struct Case {
        int first, rows, want;
    } cases[] = {{10, 5, 7}, {-3, 20, 0}, {4, 5, 4}, {0, 5, 0}, {12, 3, 9}};
    for (const Case& c : cases) {
        int first = c.first;
        const std::vector<LegendRow> rows = LegendRows(f, 12, h, first, c.rows, 0);
        EXPECT_EQ(first, c.want) << c.first;
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0].channel, c.want);
    }
}

TEST(ScrollButtons, ShownOnlyWhenTheChannelsDoNotFit) {
    struct Case {
        int chnls, dh;
        bool shown;
    } cases[] = {{8, 600, false},  {12, 300, true}, {12, 390, true}, {12, 391, true},
                 {12, 392, false}, {19, 600, true}, {0, 30, true}};
    for (const Case& c : cases) {
        const PlotFrame f = FrameOf(SettingsFor(800, c.dh));
        EXPECT_EQ(LayoutScrollButtons(f, c.chnls, 15, 15).shown, c.shown) << c.chnls << "/" << c.dh;
    }
    const PlotFrame f = FrameOf(SettingsFor(800, 300));  // B 270, (DH - 30) / 2 = 135
    const ScrollButtonLayout b = LayoutScrollButtons(f, 12, 15, 15);
    const int ys[] = {10, 270 - 135 - 25, 270 + 11 - 135, 270 - 25};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(b.rects[k].left, 800 - 16);
        EXPECT_EQ(b.rects[k].right, 800 - 1);
        EXPECT_EQ(b.rects[k].top, ys[k]);
        EXPECT_EQ(b.rects[k].bottom, ys[k] + 15);
    }
}

TEST(Zoom, PaneTextAtBothKindsOfZoom) {
    struct Case {
        int step, ppp;
        const char* text;
    } cases[] = {{1, 1, "缩放:100%"},   {1, 3, "缩放:300%"},   {0, 100, "缩放:10000%"},
                 {2, 1, "缩放:50.00%"}, {4, 1, "缩放:25.00%"}, {3, 1, "缩放:33.33%"}};
    for (const Case& c : cases) EXPECT_EQ(ZoomText(c.step, c.ppp), c.text);
}

}  // namespace
}  // namespace vardo
