#pragma once
// The records the data list shows: a time range snapped to the file's record grid, walked
// newest first or oldest first at a step of whole records, straight from the mapped file. No
// widgets here: the list view, its printout, the export and vardo-cli dump all take rows from
// this walk.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_data.h"

namespace vardo {

struct WalkedRow {
    int number = 0;             // 1 for the first row
    VTime time = 0;             // the record's time
    std::uint32_t slot = 0;     // the record's ring slot
    std::int64_t progress = 0;  // records from the first of the range (k - a)
};

struct RowWalkResult {
    int walked = 0;      // 0 when no file is mapped: nothing was produced, the range is unchanged
    VTime rowStart = 0;  // the range snapped to the record grid and cut to the file; as asked
    VTime rowEnd = 0;    // when no record lies in it
    std::int64_t a = 0;  // record distances of the first and last record in the range (from the
    std::int64_t b = 0;  // newest or the oldest); a > b when there is none
    int rows = 0;
};

// Walks the records at times within [start, end] every step records, oldest first when
// ascending is non-zero, calling onRow for each.
RowWalkResult WalkRows(const HistoryData& h, VTime start, VTime end, int step, int ascending,
                       const std::function<void(const WalkedRow&)>& onRow);

// What WalkRows would give, without calling anything per row: sources that make their rows on
// demand start from this.
RowWalkResult PlanWalk(const HistoryData& h, VTime start, VTime end, int step, int ascending);

// Row index (0-based) of a walk that gave result, without walking: the list makes its rows on
// demand. index must be below result.rows.
WalkedRow RowOfWalk(const HistoryData& h, const RowWalkResult& result, int step, int ascending,
                    int index);

// Rows first .. first + count - 1 of the same walk into rows, as RowOfWalk gives them one by
// one; the rows must lie within result.rows.
void RowsOfWalk(const HistoryData& h, const RowWalkResult& result, int step, int ascending,
                int first, int count, WalkedRow* rows);

// Channels that have a column in the list: enabled ones among the file's channels, in order.
std::vector<int> ListedChannels(const HistoryData& h);

// The cell text of channel ch for the record in ring slot slot: its engineering value with the
// decimals of the channel's upper range end.
std::string ChannelValueText(const HistoryData& h, int ch, std::uint32_t slot);
// The same for a raw sample of channel ch.
std::string SampleText(const HistoryData& h, int ch, std::uint8_t raw);

}  // namespace vardo
