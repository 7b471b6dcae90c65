#pragma once
// Navigation over a span: the plot shows a window [from, to] of the span, moved and scaled by
// the same commands as a file's window, but in time, so that it runs across file boundaries.

#include "base/vardo_time.h"

namespace vardo {

struct SpanWindow {
    VTime from = 0;
    VTime to = 0;
    VTime Width() const { return to - from + 1; }
    bool operator==(const SpanWindow&) const = default;
};

// w moved inside all without changing its width (all's width when it is wider).
SpanWindow ClampSpanWindow(SpanWindow w, SpanWindow all);
// Half the width around the middle, never narrower than minWidth seconds.
SpanWindow ZoomSpanIn(SpanWindow w, SpanWindow all, VTime minWidth);
// Twice the width around the middle, at most all.
SpanWindow ZoomSpanOut(SpanWindow w, SpanWindow all);
// A quarter of the width times multiplier older (back) or newer.
SpanWindow ScrollSpan(SpanWindow w, SpanWindow all, int multiplier, bool older);
// The moment t at the right edge, as the position query puts it for a file.
SpanWindow SpanWindowEndingAt(SpanWindow w, SpanWindow all, VTime t);

}  // namespace vardo
