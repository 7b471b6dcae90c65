#include "curves/band_stats.h"

#include "curves/curve_geometry.h"
#include "curves/navigation.h"

namespace vardo {

BandStats StatsUnderBand(const HistoryData& h, const DisplaySettings& ds, int left, int right) {
    const PlotFrame f = FrameOf(ds);
    const int l = left - ds.drawRect.left;
    const int r = right - ds.drawRect.left;
    const SampleSpan span = BandSamples(f, l, r, ds.pixelsPerPoint, h.windowCount);
    BandStats out;
    out.result = span.Empty() ? StatResult{} : WindowStats(h, span.first, span.last);
    if (out.result.counted) {
        out.end = out.result.newest;
        out.start = out.result.oldest;
    } else {
        out.end = SampleTime(h, PointerToIndex(f, r, ds.pixelsPerPoint));
        out.start = SampleTime(h, PointerToIndex(f, l, ds.pixelsPerPoint));
    }
    return out;
}

}  // namespace vardo
