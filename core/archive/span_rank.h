#pragma once
// Counting a recorder's records over any span, and finding the record of a given rank, without
// reading the span: the level-of-detail blocks wholly inside it carry their record counts, so
// only their ragged ends and one descent through the levels touch raw records. The data list
// over a year asks these for its row count and for the first record of whichever page of rows
// is scrolled to, and holds only the pages on screen.

#include <cstdint>

#include "archive/archive_store.h"

namespace vardo {

struct SpanCount {
    std::int64_t records = 0;
    VTime first = 0;  // times of the first and last of them; records == 0: none
    VTime last = 0;
};

[[nodiscard]] ArchiveStatus CountSpanRecords(ArchiveStore& store, std::int64_t recorder, VTime from,
                                             VTime to, SpanCount& out);

// The time of the record of ascending rank k (0: the first) among those within [from, to];
// found is false when fewer than k + 1 records lie there. Damaged when the summaries disagree
// with the records under them.
[[nodiscard]] ArchiveStatus RecordTimeAtRank(ArchiveStore& store, std::int64_t recorder, VTime from,
                                             VTime to, std::int64_t k, bool& found, VTime& out);

}  // namespace vardo
