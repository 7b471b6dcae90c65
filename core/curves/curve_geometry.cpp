#include "curves/curve_geometry.h"

#include <cstdio>

#include "base/texts.h"
#include "history/ring.h"

namespace vardo {

namespace {

std::string FormatFloat2(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(v));
    return text;
}

TextItem RightAlignedLabel(std::string text, int L, int y) {
    const int x = L - 9 * static_cast<int>(text.size());
    return {std::move(text), x, y};
}

}  // namespace

CurveLayout ComputeCurveLayout(const Rect& client, int panelWidth) {
    CurveLayout out;
    out.drawRect = {client.left + panelWidth, client.top, client.right, client.bottom};
    out.plotRect = {out.drawRect.left + kPlotMarginLeft, out.drawRect.top + kPlotMarginTop,
                    out.drawRect.right - kPlotMarginRight, out.drawRect.bottom - kPlotMarginBottom};
    out.rows = (out.drawRect.Height() - 30) / 30;
    return out;
}

int PullBackFirstRow(int first, int chnls, int rows) {
    return chnls - first < rows ? chnls - rows : first;
}

PlotFrame FrameOf(const DisplaySettings& ds) {
    PlotFrame f;
    f.L = ds.plotRect.left - ds.drawRect.left;
    f.T = ds.plotRect.top - ds.drawRect.top;
    f.R = ds.plotRect.right - ds.drawRect.left;
    f.B = ds.plotRect.bottom - ds.drawRect.top;
    f.DW = ds.drawRect.Width();
    f.DH = ds.drawRect.Height();
    return f;
}

float WindowValue(const HistoryData& h, int ch, int i) {
    if (ch < 0 || ch >= kMaxChannels) return 0.0f;
    return EngineeringValue(h.rangeLow[ch], h.rangeHigh[ch], WindowSample(h, ch, i), h.sampleWidth);
}

int SampleY(const PlotFrame& f, const DisplaySettings& ds, float fraction, float value) {
    const int H = f.HP() - 3;
    const int base = f.B - 2;
    int pos = 0;
    if (ds.YMode == 1) {
        pos = static_cast<int>(static_cast<float>(H) * fraction);
    } else if (ds.YLarge == ds.YSmall) {
        // A zero-width scale has no inside: everything above it is pinned up, the rest down.
        pos = value > static_cast<float>(ds.YSmall) ? H + 1 : -1;
    } else {
        const float t =
            (value - static_cast<float>(ds.YSmall)) / static_cast<float>(ds.YLarge - ds.YSmall);
        if (t > 1.0f) {
            pos = H + 1;
        } else if (t < 0.0f || t != t) {
            pos = -1;
        } else {
            pos = static_cast<int>(static_cast<float>(H) * t);
        }
    }
    return base - pos;
}

int WindowSampleY(const PlotFrame& f, const DisplaySettings& ds, const HistoryData& h, int ch,
                  int i) {
    return SampleY(f, ds, SampleFraction(WindowSample(h, ch, i), h.sampleWidth),
                   WindowValue(h, ch, i));
}

int SampleX(const PlotFrame& f, int i, int pixelsPerPoint) {
    return f.R - 2 - i * pixelsPerPoint;
}

int ClampPointerX(const PlotFrame& f, int x) {
    if (x > f.R - 2) x = f.R - 2;
    if (x < f.L + 1) x = f.L + 1;
    return x;
}

int PointerToIndex(const PlotFrame& f, int x, int pixelsPerPoint) {
    const int ppp = pixelsPerPoint > 0 ? pixelsPerPoint : 1;
    const int i = (f.R - ClampPointerX(f, x) - 2) / ppp;
    return i > 0 ? i : 0;
}

float PointerToValue(const PlotFrame& f, const DisplaySettings& ds, int y) {
    const int span = f.HP() - 3;
    if (span <= 0) return ds.YMode == 1 ? 0.0f : static_cast<float>(ds.YSmall);
    const float p = static_cast<float>(f.B - y - 2) / static_cast<float>(span) * 100.0f;
    if (ds.YMode == 1) return p;
    return static_cast<float>(ds.YSmall) + static_cast<float>(ds.YLarge - ds.YSmall) * p * 0.01f;
}

std::vector<int> GridLinesY(const PlotFrame& f, int yLines) {
    std::vector<int> out;
    if (yLines <= 0) return out;
    const float dy = static_cast<float>(f.HP()) / static_cast<float>(yLines + 1);
    for (int k = 1; k <= yLines; ++k)
        out.push_back(static_cast<int>(static_cast<float>(f.T) + static_cast<float>(k) * dy));
    return out;
}

std::vector<int> GridLinesX(const PlotFrame& f, int xLines) {
    std::vector<int> out;
    if (xLines <= 0) return out;
    const float dx = static_cast<float>(f.W()) / static_cast<float>(xLines + 1);
    for (int k = 1; k <= xLines; ++k)
        out.push_back(static_cast<int>(static_cast<float>(f.R) - static_cast<float>(k) * dx));
    return out;
}

std::vector<TextItem> ValueLabels(const PlotFrame& f, const DisplaySettings& ds) {
    std::vector<TextItem> out;
    const bool percent = ds.YMode == 1;
    const float low = percent ? 0.0f : static_cast<float>(ds.YSmall);
    const float high = percent ? 100.0f : static_cast<float>(ds.YLarge);
    out.push_back(RightAlignedLabel(FormatFloat2(low), f.L, f.B - 14));
    out.push_back(RightAlignedLabel(FormatFloat2(high), f.L, f.T - 14));
    const int lines = ds.YLines > 0 ? ds.YLines : 0;
    const float dy = static_cast<float>(f.HP()) / static_cast<float>(lines + 1);
    const float step = (high - low) / static_cast<float>(lines + 1);
    int last = 0;
    for (int k = 1; k <= lines; ++k) {
        if (static_cast<float>(k - last) * dy > 12.0f &&
            static_cast<float>(lines + 1 - k) * dy > 12.0f) {
            const int y =
                static_cast<int>(static_cast<float>(f.B) - static_cast<float>(k) * dy - 14.0f);
            out.push_back(
                RightAlignedLabel(FormatFloat2(low + static_cast<float>(k) * step), f.L, y));
            last = k;
        }
    }
    return out;
}

std::string FormatAxisTime(VTime t, int xMode) {
    const LocalFields lf = SplitLocalTime(t);
    char text[64];
    if (xMode != 0) {
        std::snprintf(text, sizeof text, texts::kAxisShortTime, lf.hour, lf.minute, lf.second);
    } else {
        std::snprintf(text, sizeof text, texts::kAxisLongTime, lf.year, lf.month, lf.day, lf.hour,
                      lf.minute, lf.second);
    }
    return text;
}

TimeAxisLayout PlaceTimeLabels(const PlotFrame& f, int xLines, int xMode, VTime right, VTime left,
                               const std::function<VTime(float fromRight, float x)>& timeAt) {
    TimeAxisLayout out;
    out.rightEdgeTime = right;
    out.leftEdgeTime = left;
    const bool shortForm = xMode != 0;
    const int edgeShift = shortForm ? 30 : 65;
    const int labelShift = shortForm ? 35 : 65;
    const float gap = shortForm ? 70.0f : 130.0f;
    out.labels.push_back({FormatAxisTime(right, xMode), f.R - edgeShift, f.B + 2});
    out.labels.push_back({FormatAxisTime(left, xMode), f.L - edgeShift, f.B + 2});

    const int lines = xLines > 0 ? xLines : 0;
    const float dx = static_cast<float>(f.W()) / static_cast<float>(lines + 1);
    int last = 0;
    for (int k = 1; k <= lines; ++k) {
        if (static_cast<float>(k - last) * dx > gap &&
            static_cast<float>(lines + 1 - k) * dx > gap) {
            const float xk = static_cast<float>(f.R) - static_cast<float>(k) * dx;
            out.ticks.push_back(static_cast<int>(xk));
            out.labels.push_back({FormatAxisTime(timeAt(static_cast<float>(k) * dx, xk), xMode),
                                  static_cast<int>(xk - static_cast<float>(labelShift)), f.B + 2});
            last = k;
        }
    }
    return out;
}

namespace {

TimeAxisLayout AxisBetween(const PlotFrame& f, const DisplaySettings& ds, VTime right, VTime left,
                           VTime secondsPerPixelStep, int ppp) {
    return PlaceTimeLabels(f, ds.XLines, ds.XMode, right, left, [&](float fromRight, float) {
        const auto records = static_cast<VTime>(fromRight / static_cast<float>(ppp));
        return right - records * secondsPerPixelStep;
    });
}

VTime SecondsPerRecordStep(const HistoryData& h) {
    return IntervalSeconds(h) * (h.windowStep > 0 ? h.windowStep : 1);
}

}  // namespace

WindowEdges WindowEdgeTimes(const HistoryData& h, const PlotFrame& f, int pixelsPerPoint) {
    const int ppp = pixelsPerPoint > 0 ? pixelsPerPoint : 1;
    WindowEdges e;
    e.right = h.newestTime - IntervalSeconds(h) * h.windowStart;
    if (e.right < 0) e.right = 0;
    e.left = e.right - static_cast<VTime>((f.W() - 3) / ppp) * SecondsPerRecordStep(h);
    return e;
}

TimeAxisLayout LayoutTimeAxis(const PlotFrame& f, const DisplaySettings& ds, const HistoryData& h,
                              int pixelsPerPoint) {
    const WindowEdges e = WindowEdgeTimes(h, f, pixelsPerPoint);
    return AxisBetween(f, ds, e.right, e.left, SecondsPerRecordStep(h),
                       pixelsPerPoint > 0 ? pixelsPerPoint : 1);
}

TimeAxisLayout LayoutRealTimeAxis(const PlotFrame& f, const DisplaySettings& ds,
                                  const HistoryData& h, int pixelsPerPoint) {
    const int ppp = pixelsPerPoint > 0 ? pixelsPerPoint : 1;
    const VTime per = SecondsPerRecordStep(h);
    VTime left = h.newestTime - static_cast<VTime>((f.W() - 3) / ppp) * per;
    if (left < 0) left = 0;
    return AxisBetween(f, ds, h.newestTime, left, per, ppp);
}

DisplaySettings PaperSettings(const DisplaySettings& live, int clientWidth, int clientHeight,
                              int stripWidth) {
    DisplaySettings paper;
    paper.Chnls = live.Chnls;
    paper.YMode = live.YMode;
    paper.YSmall = live.YSmall;
    paper.YLarge = live.YLarge;
    paper.XMode = live.XMode;
    paper.XLines = live.XLines;
    paper.YLines = live.YLines;
    paper.channelColors = live.channelColors;
    paper.channelChecks = live.channelChecks;
    paper.pixelsPerPoint = live.pixelsPerPoint;
    // No panel on paper, but its room is kept so that the plot has the screen's proportions.
    const CurveLayout lay = ComputeCurveLayout({0, 0, clientWidth - stripWidth, clientHeight}, 0);
    paper.drawRect = lay.drawRect;
    paper.plotRect = lay.plotRect;
    // A dark screen would print as a block of toner.
    paper.backColor = kWhite;
    paper.gridColor = Rgb(225, 225, 225);
    paper.gridWidth = 1;
    return paper;
}

std::vector<TextItem> HeaderPieces(const PlotFrame& f, int chnls, int intervalSeconds,
                                   const std::string& title) {
    std::vector<TextItem> out;
    char text[160];
    const int W = f.W();
    if (W > 250) {
        std::snprintf(text, sizeof text, texts::kHeaderChannels, chnls);
        out.push_back({text, f.R - 250, 10});
    }
    if (W > 130) {
        std::snprintf(text, sizeof text, texts::kHeaderInterval, intervalSeconds);
        out.push_back({text, f.R - 130, 10});
    }
    if (W > 550) out.push_back({title, f.L, 10});
    return out;
}

std::vector<TextItem> HeaderTexts(const PlotFrame& f, int chnls, const HistoryData& h) {
    char text[160];
    const LocalFields a = SplitLocalTime(h.oldestTime);
    const LocalFields b = SplitLocalTime(h.newestTime);
    std::snprintf(text, sizeof text, texts::kHeaderSpan, a.year, a.month, a.day, a.hour, a.minute,
                  a.second, b.year, b.month, b.day, b.hour, b.minute, b.second);
    return HeaderPieces(f, chnls, IntervalSeconds(h), text);
}

std::vector<LegendRow> LegendRows(const PlotFrame& f, int chnls, const HistoryData& h,
                                  int& firstRow, int rows, int n) {
    std::vector<LegendRow> out;
    if (chnls > kMaxChannels) chnls = kMaxChannels;
    if (chnls - firstRow < rows) firstRow = chnls - rows;
    if (firstRow < 0) firstRow = 0;
    bool valuesDone = false;
    int r = 0;
    for (int ch = firstRow; ch < chnls; ++ch) {
        if (h.channelEnabled[ch] == 0) continue;
        LegendRow row;
        row.channel = ch;
        char text[64];
        std::snprintf(text, sizeof text, texts::kLegendChannel, ch + 1);
        row.name = {text, f.R + 20, 10 + 40 * r};
        if (!valuesDone) {
            // Past the oldest sample of the window there is no record to read, only fill.
            row.hasValue = n >= 0 && n < h.windowCount;
            row.value = {FormatDecimal(WindowValue(h, ch, n), h.rangeHigh[ch].Decimals()), f.R + 40,
                         28 + 40 * r};
            if (f.B - (28 + 40 * (r + 1)) < 30) valuesDone = true;
        }
        out.push_back(std::move(row));
        if (f.B - (10 + 40 * (r + 1)) < 30) break;
        ++r;
    }
    return out;
}

ScrollButtonLayout LayoutScrollButtons(const PlotFrame& f, int chnls, int w, int h) {
    ScrollButtonLayout out;
    const int half = (f.DH - 30) / 2;
    if (chnls * 15 < half) return out;
    out.shown = true;
    const int x = f.DW - w - 1;
    const int ys[4] = {10, f.B - half - h - 10, f.B + 11 - half, f.B - h - 10};
    for (int k = 0; k < 4; ++k) out.rects[k] = {x, ys[k], x + w, ys[k] + h};
    return out;
}

std::string ZoomText(int windowStep, int pixelsPerPoint) {
    char text[64];
    if (windowStep < 2)
        std::snprintf(text, sizeof text, texts::kZoomPixels, pixelsPerPoint * 100);
    else
        std::snprintf(text, sizeof text, texts::kZoomStep, 100.0 / windowStep);
    return text;
}

}  // namespace vardo
