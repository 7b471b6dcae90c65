#pragma once
// How the curve view moves through a file and reads it: zoom steps, scrolling, the jump to a
// moment, the readout's boxes, the wheel's regions, auto-scrolling beyond the plot's edges and the
// samples under a selected band. Plain arithmetic; the view calls it and paints.

#include <string>

#include "base/vardo_time.h"
#include "curves/curve_geometry.h"
#include "history/history_data.h"

namespace vardo {

struct Zoom {
    int windowStep = 1;
    int pixelsPerPoint = 1;
};

inline constexpr int kMaxPixelsPerPoint = 100;

// One step closer: wider points at record step 1, else half the record step.
Zoom ZoomIn(Zoom z);

// One step farther: narrower points, then a doubled record step up to the one that fits the
// whole file, spanSeconds long at intervalSeconds per record, into a plot plotWidth wide.
Zoom ZoomOut(Zoom z, VTime spanSeconds, int intervalSeconds, int plotWidth);

// windowStart after one Forward (towards newer records) or Back (older) of multiplier window
// steps; the window rebuild pulls it back into the file.
int ScrollWindowStart(int windowStart, int windowStep, int multiplier, bool older);

// windowStart that puts the moment secondsBeforeNewest at the plot's right edge.
int QueryWindowStart(VTime secondsBeforeNewest, int intervalSeconds);

// The readout's boxes (surface coordinates) for a clamped pointer at (x, y): the value box in the
// left margin level with the pointer, the time box under the plot below it.
struct CursorBoxes {
    Rect value;
    Rect time;
};
CursorBoxes CursorBoxesAt(const PlotFrame& f, int x, int y);

// The readout's texts: the time of the sample under the pointer, one line short or the date over
// the time long; the value at pointer height y, "%.2f".
std::string ReadoutTimeText(VTime t, int xMode);
std::string ReadoutValueText(const PlotFrame& f, const DisplaySettings& ds, int y);

// Where the readout keeps the pointer while the left button is held (client coordinates): the
// plot widened by 50 pixels on both sides for auto-scrolling, one pixel in from top and bottom.
Rect PointerConfinement(const Rect& plotRect);
// A point pulled into r (right and bottom exclusive).
void ClampIntoRect(const Rect& r, int& x, int& y);

// The right-hand column's halves that the wheel scrolls; surface coordinates.
enum class WheelRegion { None, Upper, Lower };
WheelRegion WheelRegionAt(const PlotFrame& f, int x, int y);

// A wheel's turns in whole rows: a mouse sends 120 per notch, a touchpad many small deltas that
// add up to one row per 120.
class WheelSteps {
  public:
    // Rows to scroll for this delta, positive away from the user.
    int Add(int delta);

  private:
    int pending_ = 0;
};

// Auto-scrolling while the readout is dragged past the plot's left edge (older records) or past
// the last sample column R - 2 (newer records); the multiplier is how far beyond it the pointer
// is.
struct AutoScroll {
    int autoScrolling = 0;
    int scrollOlder = 0;
    int scrollMultiplier = 1;
};
// The state after a pointer move to surface x; dragging says the armed readout is being dragged
// with the left button alone.
AutoScroll AutoScrollOnMove(const PlotFrame& f, AutoScroll s, int x, bool dragging);

// The window samples under a selected band between surface x left and right: first is the
// newest, last the oldest; empty when the band covers no sample of the window.
struct SampleSpan {
    int first = 0;
    int last = -1;
    bool Empty() const { return last < first; }
};
SampleSpan BandSamples(const PlotFrame& f, int left, int right, int pixelsPerPoint,
                       int windowCount);

}  // namespace vardo
