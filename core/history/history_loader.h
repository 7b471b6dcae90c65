#pragma once
// Reading a history file: reading it whole, checking and decoding its header, cutting the
// display window out of its rings, and direct access to any record.

#include <cstdint>
#include <string>

#include "base/le_bytes.h"
#include "base/model_table.h"
#include "history/history_data.h"

namespace vardo {

enum class HeaderCheck { Ok, UnknownFormat, Damaged };

// Decodes header fields into h (model, times, slots, capacity, ranges, present flags,
// oldestIndex, totalRecords) from the whole file's bytes. Pure: no I/O, no messages. Refuses as
// Damaged every file whose fields would lead a reader outside the file or the tables.
HeaderCheck DecodeHistoryHeader(ByteSpan file, HistoryData& h);

// No history file is larger: the header and twelve rings of the largest model.
inline constexpr std::size_t kMaxHistoryFileSize = kHeaderSize + kMaxChannels * kDefaultCapacity;

// Reads the regular file at path into h.file (at most kMaxHistoryFileSize bytes; anything
// beyond cannot belong to the file's rings). 1, or 0 when it cannot be read or is empty; h.file
// is then empty.
int ReadHistoryFile(const std::string& path, HistoryData& h);
// Frees h.file; leaves the other fields alone.
void ReleaseHistoryFile(HistoryData& h);

// Refills h.window from h.windowStart and h.windowStep. Always 1.
int BuildWindow(HistoryData& h);

// The ring of channel ch (capacity bytes, one per slot), or nullptr for an absent channel, a
// file that is not open or one too short for it. A walk over many records looks its channels'
// rings up once, not per sample.
const std::uint8_t* ChannelBlock(const HistoryData& h, int ch);

// The sample of channel ch, r records back from the newest (0 <= r < totalRecords).
std::uint8_t SampleBack(const HistoryData& h, int ch, std::uint32_t r);
// The sample of channel ch in ring slot slot. Both give 0 for an absent channel, a slot outside
// the ring or a file that is not open, never a read outside the file.
std::uint8_t SampleAtSlot(const HistoryData& h, int ch, std::uint32_t slot);

}  // namespace vardo
