#pragma once
// The envelope of a recorder's span: the columns the curve view draws and vardo-cli envelope
// prints. Each column is put together from the largest level-of-detail blocks that lie wholly
// inside it and from raw records at its ragged ends only, so a year at a screen's width reads
// some thousand blocks and a few records per column edge, and still equals the min/max over
// every record exactly.

#include <cstdint>

#include "archive/archive_store.h"
#include "archive/piece_cache.h"
#include "archive/span_walk.h"
#include "curves/envelope.h"

namespace vardo {

// from <= to, 1 <= n <= kMaxEnvelopeColumns. channels: the largest channel count among the
// span's records, the recorder's largest when the span holds none. cache: what earlier envelopes
// of the same recorder read, to be read again from memory (none: everything from the store).
[[nodiscard]] ArchiveStatus SpanEnvelope(ArchiveStore& store, std::int64_t recorder,
                                         const SpanConfigs& configs, VTime from, VTime to, int n,
                                         Envelope& out, PieceCache* cache = nullptr);

// A span's column cut into pieces: whole level-of-detail blocks where they fit, raw time ranges
// elsewhere, in time order. Exposed for the tests of the cut.
struct EnvelopePiece {
    int level = -1;  // -1: the raw records of [start, end]; else a block of that level at start
    VTime start = 0;
    VTime end = 0;
};
void CutColumn(VTime start, VTime end, std::vector<EnvelopePiece>& out);

}  // namespace vardo
