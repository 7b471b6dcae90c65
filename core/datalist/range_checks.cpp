#include "datalist/range_checks.h"

#include "base/dialog_integer.h"
#include "base/texts.h"

namespace vardo {

RangeVerdict CheckRangeInput(const RangeInput& in) {
    RangeVerdict v;
    v.message = IntegerFieldMessage(in.stepText, kMinRangeStep, kMaxRangeStep, v.choice.step);
    if (!v.message.empty()) return v;
    v.choice.start = JoinDateAndTime(in.startDate, in.startTime);
    v.choice.end = JoinDateAndTime(in.endDate, in.endTime);
    switch (CheckSpan(v.choice.start, v.choice.end, in.fileOldest, in.fileNewest)) {
        case SpanCheck::Reversed:
            v.message = texts::kStartBeforeEnd;
            break;
        case SpanCheck::StartOutOfRange:
            v.message = texts::kStartOutOfRange;
            break;
        case SpanCheck::EndOutOfRange:
            v.message = texts::kEndOutOfRange;
            break;
        case SpanCheck::Ok:
            break;
    }
    return v;
}

QueryVerdict CheckQueryInput(const QueryInput& in) {
    QueryVerdict v;
    v.moment = JoinDateAndTime(in.date, in.time);
    if (v.moment < in.rangeStart || v.moment > in.rangeEnd) {
        v.message = texts::kQueryOutOfRange;
        return v;
    }
    v.secondsBeforeEnd = in.rangeEnd - v.moment;
    return v;
}

}  // namespace vardo
