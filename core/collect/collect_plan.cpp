#include "collect/collect_plan.h"

namespace vardo {

CollectSpan PlanCollection(std::optional<VTime> heldNewest, VTime newest, VTime oldest,
                           int interval) {
    const VTime iv = interval > 0 ? interval : 1;
    CollectSpan span;
    span.end = newest;
    if (!heldNewest) {
        span.whole = true;
        span.start = oldest;
        return span;
    }
    if (*heldNewest > newest) span.heldAhead = true;
    // The grid of the recorder runs through its newest record; a held time off that grid (the
    // interval was changed since) starts at the next record on it.
    VTime wanted = *heldNewest + iv;
    if (wanted < newest) wanted += (newest - wanted) % iv;
    // The upload never takes the newest record itself: it may still be being written.
    if (wanted > newest - iv) {
        span.nothingNew = true;
        span.start = wanted;
        return span;
    }
    if (wanted < oldest) {
        span.lostFirst = wanted;
        span.lostLast = oldest - iv;
        span.lostRecords = (oldest - wanted) / iv;
        wanted = oldest;
    }
    span.start = wanted;
    return span;
}

std::optional<VTime> ClockDrift(VTime recorderClock, VTime computerNow) {
    const VTime d = recorderClock - computerNow;
    if (d > kClockDriftLimit || d < -kClockDriftLimit) return d;
    return std::nullopt;
}

}  // namespace vardo
