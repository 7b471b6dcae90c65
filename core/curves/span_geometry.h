#pragma once
// The curve picture of an envelope: one plot column per envelope column, each drawn as the
// vertical extent of its minimum and maximum joined to its neighbour, and broken where records
// are missing. The same frame and value scale as a file's curves; only the x mapping differs,
// because a span's columns are cut by time, not by record count.

#include <string>
#include <vector>

#include "curves/curve_geometry.h"
#include "curves/envelope.h"

namespace vardo {

// The plot's columns: x = L + 1 .. R - 2, one envelope column each.
int SpanColumns(const PlotFrame& f);
int SpanColumnX(const PlotFrame& f, int column);
// The column under pointer x, clamped into the plot.
int PointerToSpanColumn(const PlotFrame& f, int x);

// Whether channel ch's curve runs on from column a to the next column b: both hold the channel,
// and no more than maxStep seconds lie between a's last record and b's first. A longer gap
// (missing records) or a column without the channel is a break.
bool EnvelopeJoined(const EnvelopeColumn& a, const EnvelopeColumn& b, int ch, VTime maxStep);

// One column's stroke: a vertical line from top to bottom (top <= bottom) at x.
struct EnvelopeStroke {
    int x = 0;
    int top = 0;
    int bottom = 0;
};

// The strokes of channel ch, in runs: each run is drawn joined, a new run starts after a break.
// A stroke that continues a run reaches the nearer end of its predecessor, so the curve has no
// holes however steep it is. low and high: the channel's range, for the percent scale.
std::vector<std::vector<EnvelopeStroke>> EnvelopeRuns(const PlotFrame& f, const DisplaySettings& ds,
                                                      const Envelope& e, int ch, VTime maxStep,
                                                      float low, float high);

// The column that holds the record nearest to column c: c itself when it holds one, else the
// nearest one that does; -1 when none does.
int NearestFilledColumn(const Envelope& e, int c);

// The time axis over [from, to] with the file view's labels and ticks; dates are written when
// the window spans a day or more, whatever the short form asks.
TimeAxisLayout LayoutSpanTimeAxis(const PlotFrame& f, const DisplaySettings& ds, VTime from,
                                  VTime to);

// The readout of a column for channel ch: one value when its records agree, else "min ~ max";
// empty when it has no record of the channel.
std::string ColumnValueText(const EnvelopeColumn& c, int ch);

// The header line of a span: the recorder and the span in place of the file's times, with the
// channel count and interval as a file shows them.
std::vector<TextItem> SpanHeaderTexts(const PlotFrame& f, int chnls, VTime interval,
                                      const std::string& title);

// The zoom pane of a span: the width of the window shown ("3天04:00:00", "00:20:00").
std::string SpanZoomText(VTime width);

// The legend at column c of the envelope (-1: no values), as LegendRows lays out a file's.
std::vector<LegendRow> SpanLegendRows(const PlotFrame& f, int chnls, const Envelope& e,
                                      int& firstRow, int rows, int c);

}  // namespace vardo
