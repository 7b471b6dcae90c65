#include "curves/span_navigation.h"

namespace vardo {

SpanWindow ClampSpanWindow(SpanWindow w, SpanWindow all) {
    if (w.Width() >= all.Width()) return all;
    if (w.from < all.from) return {all.from, all.from + w.Width() - 1};
    if (w.to > all.to) return {all.to - w.Width() + 1, all.to};
    return w;
}

SpanWindow ZoomSpanIn(SpanWindow w, SpanWindow all, VTime minWidth) {
    VTime width = w.Width() / 2;
    if (width < minWidth) width = minWidth;
    if (width < 1) width = 1;
    const VTime mid = w.from + (w.to - w.from) / 2;
    return ClampSpanWindow({mid - width / 2, mid - width / 2 + width - 1}, all);
}

SpanWindow ZoomSpanOut(SpanWindow w, SpanWindow all) {
    const VTime width = w.Width() * 2;
    const VTime mid = w.from + (w.to - w.from) / 2;
    return ClampSpanWindow({mid - width / 2, mid - width / 2 + width - 1}, all);
}

SpanWindow ScrollSpan(SpanWindow w, SpanWindow all, int multiplier, bool older) {
    VTime step = w.Width() / 4 * (multiplier > 0 ? multiplier : 1);
    if (step < 1) step = 1;
    if (older) step = -step;
    return ClampSpanWindow({w.from + step, w.to + step}, all);
}

SpanWindow SpanWindowEndingAt(SpanWindow w, SpanWindow all, VTime t) {
    return ClampSpanWindow({t - w.Width() + 1, t}, all);
}

}  // namespace vardo
