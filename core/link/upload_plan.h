#pragma once
// The arithmetic of a serial upload, apart from any I/O: which span the user may ask for, how
// it snaps onto the recorder's record grid, and how the ring is walked in 64-record blocks.

#include <cstdint>

#include "base/vardo_time.h"

namespace vardo {

inline constexpr std::uint32_t kUploadBlockRecords = 64;

// Time of the oldest record a full ring holds.
VTime OldestRecordTime(VTime newest, int interval, std::uint32_t capacity);

struct AlignedSpan {
    VTime start = 0;
    VTime end = 0;
};

// The grid has a record at `newest` and every `interval` seconds before it. The start moves
// forward onto the grid; the end always moves back, by a whole interval when it is already on
// the grid, so the newest record (possibly still being written) is never fetched.
AlignedSpan AlignToGrid(VTime start, VTime end, VTime newest, int interval);

struct UploadPlan {
    std::int64_t lastRecord = -1;  // records in the file - 1: (end - start) / interval
    std::uint32_t capacity = 0;
    std::uint32_t endIndex = 0;    // ring slot of the record at the aligned end
    std::uint32_t startIndex = 0;  // ring slot of the record at the aligned start
    std::uint32_t blocks = 0;      // one per started 64 records

    // Records of the block that starts at ring slot `index`, up to and including endIndex.
    std::uint32_t RecordsInBlock(std::uint32_t index) const;
};

// writePointer is the ring slot of the record at `newest`.
UploadPlan PlanBlocks(const AlignedSpan& span, VTime newest, int interval,
                      std::uint32_t writePointer, std::uint32_t capacity);

// One block of 64 records from `index` is read in one piece, or in two when it crosses the
// ring's end (the second from the ring's start).
struct BlockPieces {
    std::uint32_t firstLength = 0;
    std::uint32_t secondLength = 0;
};
BlockPieces SplitBlock(std::uint32_t index, std::uint32_t capacity);

}  // namespace vardo
