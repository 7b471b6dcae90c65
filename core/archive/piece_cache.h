#pragma once
// What an open span has already read of the store for its envelopes: level-of-detail blocks and
// raw records, with the stretches they cover. Zooming in and out and scrolling back ask again for
// the same blocks and column ends; from here they cost a lookup instead of a query. Only what is
// not held yet goes to the store, and the cache forgets everything when it grows too large.

#include <cstdint>
#include <vector>

#include "archive/archive_store.h"

namespace vardo {

class PieceCache {
  public:
    // Answers request as store.ReadPieces would, reading only what is not held yet.
    [[nodiscard]] ArchiveStatus Read(ArchiveStore& store, std::int64_t recorder,
                                     const PieceRequest& request, Pieces& out);
    // Drops everything: the recorder's records may have changed.
    void Clear();
    std::size_t Held() const;

  private:
    // Per level, in block numbers; for raw records (the last), in seconds: ascending, disjoint.
    std::array<std::vector<TimeStretch>, kLodShifts.size() + 1> covered_;
    // Sorted by time: a column's pieces are then a binary search and a contiguous copy away.
    std::array<std::vector<LodBlock>, kLodShifts.size()> blocks_;
    std::vector<ArchivedRecord> records_;
};

// The parts of want (inclusive) that runs (ascending, disjoint) leave uncovered, appended to out.
void UncoveredParts(const std::vector<TimeStretch>& runs, TimeStretch want,
                    std::vector<TimeStretch>& out);
// runs with more (ascending, disjoint) added, touching and overlapping runs joined.
void CoverRuns(std::vector<TimeStretch>& runs, const std::vector<TimeStretch>& more);

}  // namespace vardo
