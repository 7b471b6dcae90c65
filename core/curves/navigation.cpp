#include "curves/navigation.h"

#include <algorithm>
#include <cstdio>

#include "base/texts.h"

namespace vardo {

Zoom ZoomIn(Zoom z) {
    if (z.windowStep < 2) {
        z.pixelsPerPoint = std::min(z.pixelsPerPoint + 2, kMaxPixelsPerPoint);
    } else {
        z.windowStep = std::max(z.windowStep / 2, 1);
    }
    return z;
}

Zoom ZoomOut(Zoom z, VTime spanSeconds, int intervalSeconds, int plotWidth) {
    z.pixelsPerPoint -= 2;
    if (z.pixelsPerPoint >= 1) return z;
    z.pixelsPerPoint = 1;
    z.windowStep *= 2;
    // The coarsest step still fills the plot with the whole file.
    VTime m = 1;
    if (intervalSeconds > 0 && plotWidth - 2 > 0)
        m = spanSeconds / intervalSeconds / (plotWidth - 2);
    if (m < 1) m = 1;
    if (z.windowStep >= m) z.windowStep = static_cast<int>(m);
    return z;
}

int ScrollWindowStart(int windowStart, int windowStep, int multiplier, bool older) {
    const std::int64_t move = static_cast<std::int64_t>(multiplier) * windowStep;
    const std::int64_t next = older ? windowStart + move : windowStart - move;
    // Far beyond either end means the same as just beyond it: the rebuild clamps into the file.
    return static_cast<int>(std::clamp<std::int64_t>(next, -1, kClosedTotalRecords));
}

int QueryWindowStart(VTime secondsBeforeNewest, int intervalSeconds) {
    if (intervalSeconds <= 0) return 0;
    return static_cast<int>(
        std::clamp<VTime>(secondsBeforeNewest / intervalSeconds, -1, kClosedTotalRecords));
}

CursorBoxes CursorBoxesAt(const PlotFrame& f, int x, int y) {
    CursorBoxes b;
    int top = std::max(y - 9, f.T);
    int bottom = top + 18;
    if (bottom > f.B) {
        bottom = f.B;
        top = f.B - 18;
    }
    b.value = {0, top, f.L, bottom};
    int left = std::max(x - 50, f.L);
    int right = left + 100;
    if (right > f.R) {
        right = f.R;
        left = f.R - 100;
    }
    b.time = {left, f.B, right, f.DH};
    return b;
}

std::string ReadoutTimeText(VTime t, int xMode) {
    if (xMode != 0) return FormatAxisTime(t, xMode);
    const LocalFields lf = SplitLocalTime(t);
    char text[64];
    std::snprintf(text, sizeof text, texts::kReadoutLongTime, lf.year, lf.month, lf.day, lf.hour,
                  lf.minute, lf.second);
    return text;
}

std::string ReadoutValueText(const PlotFrame& f, const DisplaySettings& ds, int y) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(PointerToValue(f, ds, y)));
    return text;
}

Rect PointerConfinement(const Rect& plotRect) {
    return {plotRect.left - 50, plotRect.top + 1, plotRect.right + 50, plotRect.bottom - 1};
}

void ClampIntoRect(const Rect& r, int& x, int& y) {
    x = std::max(r.left, std::min(x, r.right - 1));
    y = std::max(r.top, std::min(y, r.bottom - 1));
}

WheelRegion WheelRegionAt(const PlotFrame& f, int x, int y) {
    if (x < f.R || x >= f.DW) return WheelRegion::None;
    const int half = (f.DH - 30) / 2;
    if (y >= 0 && y < half) return WheelRegion::Upper;
    if (y >= f.B - half && y < f.B) return WheelRegion::Lower;
    return WheelRegion::None;
}

int WheelSteps::Add(int delta) {
    // Turning back drops what was gathered the other way.
    if ((delta > 0 && pending_ < 0) || (delta < 0 && pending_ > 0)) pending_ = 0;
    pending_ += delta;
    const int rows = pending_ / 120;
    pending_ -= rows * 120;
    return rows;
}

AutoScroll AutoScrollOnMove(const PlotFrame& f, AutoScroll s, int x, bool dragging) {
    if (dragging && s.autoScrolling == 0) {
        if (x < f.L) {
            s.autoScrolling = 1;
            s.scrollOlder = 1;
        } else if (x > f.R - 2) {
            s.autoScrolling = 1;
            s.scrollOlder = 0;
        }
    }
    if (s.autoScrolling == 0) return s;
    const bool back = s.scrollOlder != 0 ? x > f.L : x < f.R - 2;
    if (back) {
        s.autoScrolling = 0;
        s.scrollMultiplier = 1;
    } else {
        s.scrollMultiplier = s.scrollOlder != 0 ? f.L - x : x - (f.R - 2);
    }
    return s;
}

SampleSpan BandSamples(const PlotFrame& f, int left, int right, int pixelsPerPoint,
                       int windowCount) {
    SampleSpan s;
    if (windowCount <= 0 || right - left <= 0) return s;
    const int first = PointerToIndex(f, right, pixelsPerPoint);
    if (first >= windowCount) return s;
    s.first = first;
    s.last = std::min(PointerToIndex(f, left, pixelsPerPoint), windowCount - 1);
    return s;
}

}  // namespace vardo
