#include "link/upload_plan.h"

#include "history/ring.h"

namespace vardo {

VTime OldestRecordTime(VTime newest, int interval, std::uint32_t capacity) {
    return newest - static_cast<VTime>(interval) * (static_cast<VTime>(capacity) - 1);
}

AlignedSpan AlignToGrid(VTime start, VTime end, VTime newest, int interval) {
    const VTime iv = interval > 0 ? interval : 1;
    AlignedSpan span;
    span.start = start + (newest - start) % iv;
    span.end = end - (iv - (newest - end) % iv);
    return span;
}

std::uint32_t UploadPlan::RecordsInBlock(std::uint32_t index) const {
    const std::uint32_t upToEnd = RingSub(endIndex, index, capacity) + 1;
    return upToEnd < kUploadBlockRecords ? upToEnd : kUploadBlockRecords;
}

UploadPlan PlanBlocks(const AlignedSpan& span, VTime newest, int interval,
                      std::uint32_t writePointer, std::uint32_t capacity) {
    const VTime iv = interval > 0 ? interval : 1;
    UploadPlan plan;
    plan.capacity = capacity;
    plan.lastRecord = (span.end - span.start) / iv;
    const VTime back = (newest - span.end) / iv;
    plan.endIndex = back >= 0 && back < static_cast<VTime>(capacity)
                        ? RingSub(writePointer, static_cast<std::uint32_t>(back), capacity)
                        : 0;
    if (plan.lastRecord < 0) {
        plan.lastRecord = -1;
        plan.startIndex = plan.endIndex;
        plan.blocks = 0;
        return plan;
    }
    if (plan.lastRecord >= static_cast<std::int64_t>(capacity)) {
        plan.lastRecord = static_cast<std::int64_t>(capacity) - 1;
    }
    plan.startIndex = RingSub(plan.endIndex, static_cast<std::uint32_t>(plan.lastRecord), capacity);
    plan.blocks =
        static_cast<std::uint32_t>((plan.lastRecord + kUploadBlockRecords) / kUploadBlockRecords);
    return plan;
}

BlockPieces SplitBlock(std::uint32_t index, std::uint32_t capacity) {
    BlockPieces pieces;
    if (index >= capacity) return pieces;
    const std::uint32_t toEnd = capacity - index;
    if (toEnd >= kUploadBlockRecords) {
        pieces.firstLength = kUploadBlockRecords;
    } else {
        pieces.firstLength = toEnd;
        pieces.secondLength = kUploadBlockRecords - toEnd;
    }
    return pieces;
}

}  // namespace vardo
