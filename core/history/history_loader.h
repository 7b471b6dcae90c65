#pragma once
// Reading a history file in place: mapping it, checking and decoding its header, cutting the
// display window out of its rings, and direct access to any record.

#include <cstdint>
#include <string>

#include "base/le_bytes.h"
#include "history/history_data.h"

namespace vardo {

enum class HeaderCheck { Ok, UnknownFormat, Damaged };

// Decodes header fields into h (model, times, slots, capacity, ranges, present flags,
// oldestIndex, totalRecords) from the whole file's bytes. Pure: no I/O, no messages. Refuses as
// Damaged every file whose fields would lead a reader outside the file or the tables.
HeaderCheck DecodeHistoryHeader(ByteSpan file, HistoryData& h);

// Maps the file read-only into h (hFile, view, viewSize), releasing whatever h held. 1 or 0.
int MapHistoryFile(const std::string& path, HistoryData& h);
// Unmaps and closes whatever h holds; leaves the other fields alone.
void ReleaseHistoryFile(HistoryData& h);

// Refills h.window from h.windowStart and h.windowStep. Always 1.
int BuildWindow(HistoryData& h);

// The sample of channel ch, r records back from the newest (0 <= r < totalRecords).
std::uint8_t SampleBack(const HistoryData& h, int ch, std::uint32_t r);
// The sample of channel ch in ring slot slot. Both give 0 for an absent channel, a slot outside
// the ring or a file that is not mapped, never a read outside the mapping.
std::uint8_t SampleAtSlot(const HistoryData& h, int ch, std::uint32_t slot);

}  // namespace vardo
