#pragma once
// Where everything of the curve picture goes: plain arithmetic over the view's rectangles, the
// display settings and the display window. The widgets only paint what these functions say, and
// the navigation, readout, statistics and printing code reuse the same mappings.
//
// Positions are in surface coordinates (client coordinates minus the top-left of drawRect)
// unless a name says otherwise.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_data.h"
#include "settings/display_settings.h"

namespace vardo {

// Margins of the plot inside the drawing area: value labels left, channel lists right, the
// header line above and the time labels below.
inline constexpr int kPlotMarginLeft = 70;
inline constexpr int kPlotMarginTop = 30;
inline constexpr int kPlotMarginRight = 140;
inline constexpr int kPlotMarginBottom = 30;

// The plot's edges in surface coordinates and the drawing area's size.
struct PlotFrame {
    int L = 0, T = 0, R = 0, B = 0;
    int DW = 0, DH = 0;
    int W() const { return R - L; }
    int HP() const { return B - T; }
};

struct CurveLayout {
    Rect drawRect;  // client coordinates
    Rect plotRect;  // client coordinates
    int rows = 0;   // legend rows that fit (upperRows and lowerRows alike)
};

// The client area split into the panel column, the drawing area and the plot.
CurveLayout ComputeCurveLayout(const Rect& client, int panelWidth);

// The first row of a channel list pulled back so that the list is not left half empty. The
// result may be negative; the lists clamp at zero when they draw.
int PullBackFirstRow(int first, int chnls, int rows);

// The plot of ds (drawRect and plotRect) in surface coordinates.
PlotFrame FrameOf(const DisplaySettings& ds);

// Engineering value of window sample i of channel ch.
float WindowValue(const HistoryData& h, int ch, int i);

// y of a sample: values beyond the value scale are pinned to the plot's top edge or bottom line.
int SampleY(const PlotFrame& f, const DisplaySettings& ds, float fraction, float value);
int WindowSampleY(const PlotFrame& f, const DisplaySettings& ds, const HistoryData& h, int ch,
                  int i);

// x of window sample i: sample 0 two pixels inside the right edge, older samples to the left.
int SampleX(const PlotFrame& f, int i, int pixelsPerPoint);

// A pointer x clamped into the columns that map to samples.
int ClampPointerX(const PlotFrame& f, int x);
// Window index under the pointer (x is clamped first).
int PointerToIndex(const PlotFrame& f, int x, int pixelsPerPoint);
// The value read off the scale at pointer height y (percent on the percent scale).
float PointerToValue(const PlotFrame& f, const DisplaySettings& ds, int y);

// Horizontal grid lines (y, counted from the top) and vertical ones (x, counted from the right).
std::vector<int> GridLinesY(const PlotFrame& f, int yLines);
std::vector<int> GridLinesX(const PlotFrame& f, int xLines);

// A text whose top-left corner goes at (x, y).
struct TextItem {
    std::string text;
    int x = 0;
    int y = 0;
};

// Labels of the value axis, bottom label first, then the top label, then the intermediate ones
// that keep their distance.
std::vector<TextItem> ValueLabels(const PlotFrame& f, const DisplaySettings& ds);

struct TimeAxisLayout {
    VTime leftEdgeTime = 0;
    VTime rightEdgeTime = 0;
    std::vector<TextItem> labels;  // right edge, left edge, then one per tick
    std::vector<int> ticks;        // x of each tick, running from B to B + 5
};

// The times at the plot's right and left edges for the display window: what the position query
// starts from and the export proposes. Its own function of the record, the frame and the zoom,
// so that navigation never depends on what was last painted (or printed).
struct WindowEdges {
    VTime left = 0;
    VTime right = 0;
};
WindowEdges WindowEdgeTimes(const HistoryData& h, const PlotFrame& f, int pixelsPerPoint);

// "%02d:%02d:%02d" (short, XMode non-zero) or "%d-%02d-%02d %02d:%02d:%02d" (long).
std::string FormatAxisTime(VTime t, int xMode);

// A time axis from right to left edge time: the edge labels, then the ticks that keep their
// distance from the last label and the left edge, each named by
// timeAt(its distance from the right edge, its x).
TimeAxisLayout PlaceTimeLabels(const PlotFrame& f, int xLines, int xMode, VTime right, VTime left,
                               const std::function<VTime(float fromRight, float x)>& timeAt);

// The time axis; pixelsPerPoint is always the live one, also when ds is a printing copy.
TimeAxisLayout LayoutTimeAxis(const PlotFrame& f, const DisplaySettings& ds, const HistoryData& h,
                              int pixelsPerPoint);
// The live form: the right edge is the newest sample's time itself, and the left edge, not the
// right, stops at time 0.
TimeAxisLayout LayoutRealTimeAxis(const PlotFrame& f, const DisplaySettings& ds,
                                  const HistoryData& h, int pixelsPerPoint);

// The header line above the plot; pieces drop out as the plot narrows.
// The header's pieces (channel count, interval, and title at the left), each only where the plot
// is wide enough for it: a file's span or an archive span's recorder as the title.
std::vector<TextItem> HeaderPieces(const PlotFrame& f, int chnls, int intervalSeconds,
                                   const std::string& title);
std::vector<TextItem> HeaderTexts(const PlotFrame& f, int chnls, const HistoryData& h);

struct LegendRow {
    int channel = 0;
    TextItem name;
    bool hasValue = false;
    TextItem value;
};

// The value legend at window index n; rows carry no value where n holds no sample. firstRow is the
// list's first channel (upperFirst); it is clamped as the list draws and the clamped value is
// returned through the reference.
std::vector<LegendRow> LegendRows(const PlotFrame& f, int chnls, const HistoryData& h,
                                  int& firstRow, int rows, int n);

struct ScrollButtonLayout {
    bool shown = false;
    std::array<Rect, 4> rects{};  // surface coordinates: upper up, upper down, lower up, lower down
};

// The four list scroll buttons of size w x h, or none when every channel fits.
ScrollButtonLayout LayoutScrollButtons(const PlotFrame& f, int chnls, int w, int h);

// The settings the curves are printed with: the channels, scales, grid lines, colours of the
// curves and the zoom of the screen (live), laid out in a view of clientWidth x clientHeight
// beside a strip of stripWidth, on white with a light grid whatever the screen's colours.
DisplaySettings PaperSettings(const DisplaySettings& live, int clientWidth, int clientHeight,
                              int stripWidth);

// Text of the zoom pane: pixels per point as a percentage at record step 1, else 1 / step.
std::string ZoomText(int windowStep, int pixelsPerPoint);

}  // namespace vardo
