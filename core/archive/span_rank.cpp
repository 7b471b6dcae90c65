#include "archive/span_rank.h"

#include <algorithm>
#include <vector>

#include "archive/span_envelope.h"

namespace vardo {

namespace {

VTime BlockEnd(int level, VTime start) {
    return start + ((VTime{1} << kLodShifts[static_cast<std::size_t>(level)]) - 1);
}

// The span cut as an envelope column is, and what the store holds of its pieces.
struct CutSpan {
    std::vector<EnvelopePiece> pieces;
    Pieces read;
};

ArchiveStatus ReadCut(ArchiveStore& store, std::int64_t recorder, VTime from, VTime to,
                      CutSpan& out) {
    if (from > to) return ArchiveStatus::Ok;
    CutColumn(from, to, out.pieces);
    PieceRequest request;
    for (const EnvelopePiece& p : out.pieces) {
        if (p.level < 0)
            request.records.push_back({p.start, p.end});
        else
            request.blocks[static_cast<std::size_t>(p.level)].push_back({p.start, p.end});
    }
    return store.ReadPieces(recorder, request, out.read);
}

// The records of a raw piece, as a range of read.records.
std::pair<std::size_t, std::size_t> RecordsOf(const Pieces& read, const EnvelopePiece& p) {
    const auto& r = read.records;
    const auto lo = std::lower_bound(r.begin(), r.end(), p.start,
                                     [](const ArchivedRecord& a, VTime t) { return a.time < t; });
    const auto hi = std::upper_bound(lo, r.end(), p.end,
                                     [](VTime t, const ArchivedRecord& a) { return t < a.time; });
    return {static_cast<std::size_t>(lo - r.begin()), static_cast<std::size_t>(hi - r.begin())};
}

// The block a whole-block piece stands for; null when it holds no records.
const LodBlock* BlockOf(const Pieces& read, const EnvelopePiece& p) {
    const auto& held = read.blocks[static_cast<std::size_t>(p.level)];
    const auto it = std::lower_bound(held.begin(), held.end(), p.start,
                                     [](const LodBlock& b, VTime t) { return b.start < t; });
    if (it == held.end() || it->start != p.start || it->records <= 0) return nullptr;
    return &*it;
}

// The k-th record (from 0) of the block of level at start, down through its sub-blocks.
ArchiveStatus DescendTo(ArchiveStore& store, std::int64_t recorder, int level, VTime start,
                        std::int64_t k, VTime& out) {
    std::vector<LodBlock> children;
    while (level > 0) {
        children.clear();
        if (ArchiveStatus s =
                store.ReadLod(recorder, level - 1, start, BlockEnd(level, start), children);
            s != ArchiveStatus::Ok)
            return s;
        bool inside = false;
        for (const LodBlock& b : children) {
            if (k < b.records) {
                start = b.start;
                inside = true;
                break;
            }
            k -= b.records;
        }
        if (!inside) return ArchiveStatus::Damaged;
        --level;
    }
    bool found = false;
    const ArchiveStatus s = store.ReadRecords(recorder, start, BlockEnd(0, start),
                                              [&](std::span<const ArchivedRecord> chunk) {
                                                  if (k < static_cast<std::int64_t>(chunk.size())) {
                                                      out = chunk[static_cast<std::size_t>(k)].time;
                                                      found = true;
                                                      return false;
                                                  }
                                                  k -= static_cast<std::int64_t>(chunk.size());
                                                  return true;
                                              });
    if (s != ArchiveStatus::Ok) return s;
    return found ? ArchiveStatus::Ok : ArchiveStatus::Damaged;
}

}  // namespace

ArchiveStatus CountSpanRecords(ArchiveStore& store, std::int64_t recorder, VTime from, VTime to,
                               SpanCount& out) {
    out = SpanCount{};
    CutSpan cut;
    if (ArchiveStatus s = ReadCut(store, recorder, from, to, cut); s != ArchiveStatus::Ok) return s;
    const auto take = [&out](VTime first, VTime last, std::int64_t records) {
        if (records <= 0) return;
        if (out.records == 0) out.first = first;
        out.last = last;
        out.records += records;
    };
    for (const EnvelopePiece& p : cut.pieces) {
        if (p.level < 0) {
            const auto [lo, hi] = RecordsOf(cut.read, p);
            if (lo < hi)
                take(cut.read.records[lo].time, cut.read.records[hi - 1].time,
                     static_cast<std::int64_t>(hi - lo));
        } else if (const LodBlock* b = BlockOf(cut.read, p)) {
            take(b->first, b->last, b->records);
        }
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus RecordTimeAtRank(ArchiveStore& store, std::int64_t recorder, VTime from, VTime to,
                               std::int64_t k, bool& found, VTime& out) {
    found = false;
    if (k < 0) return ArchiveStatus::Ok;
    CutSpan cut;
    if (ArchiveStatus s = ReadCut(store, recorder, from, to, cut); s != ArchiveStatus::Ok) return s;
    for (const EnvelopePiece& p : cut.pieces) {
        if (p.level < 0) {
            const auto [lo, hi] = RecordsOf(cut.read, p);
            const auto n = static_cast<std::int64_t>(hi - lo);
            if (k < n) {
                out = cut.read.records[lo + static_cast<std::size_t>(k)].time;
                found = true;
                return ArchiveStatus::Ok;
            }
            k -= n;
        } else if (const LodBlock* b = BlockOf(cut.read, p)) {
            if (k < b->records) {
                found = true;
                return DescendTo(store, recorder, p.level, p.start, k, out);
            }
            k -= b->records;
        }
    }
    return ArchiveStatus::Ok;
}

}  // namespace vardo
