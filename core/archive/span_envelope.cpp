#include "archive/span_envelope.h"

#include <algorithm>
#include <limits>

#include "history/ring.h"

namespace vardo {

namespace {

constexpr int kLevels = static_cast<int>(kLodShifts.size());

// Rows between two wanted stretches that are read along rather than asked for separately: within
// one read transaction a seek costs about as much as decoding this many rows. Raw records are
// counted at the densest interval of the span's configurations.
constexpr std::int64_t kMergeRows = 4;

VTime BlockSize(int level) {
    return VTime{1} << kLodShifts[static_cast<std::size_t>(level)];
}

bool Aligned(VTime t, VTime size) {
    return ((t % size) + size) % size == 0;
}

// The end of the aligned finest block that holds t.
VTime FinestBlockEnd(VTime t) {
    const VTime size = BlockSize(0);
    const VTime offset = ((t % size) + size) % size;
    const __int128 end = static_cast<__int128>(t) - offset + size - 1;
    return end > std::numeric_limits<VTime>::max() ? std::numeric_limits<VTime>::max()
                                                   : static_cast<VTime>(end);
}

// Adds [from, to] to stretches (ascending), joining it to the last one when the gap is small.
void Want(std::vector<TimeStretch>& stretches, VTime from, VTime to, VTime gap) {
    if (!stretches.empty() &&
        static_cast<__int128>(from) - stretches.back().to <= static_cast<__int128>(gap)) {
        stretches.back().to = std::max(stretches.back().to, to);
        return;
    }
    stretches.push_back({from, to});
}

void TakeRecord(EnvelopeColumn& col, const ArchivedRecord& r, const SpanConfigs& configs) {
    col.TakeTimes(r.time, r.time, 1);
    const int index = configs.Index(r.config);
    if (index < 0) return;
    const RecordConfig& c = configs.At(index);
    for (int ch = 0; ch < c.channelCount; ++ch) {
        if (!c.Has(ch)) continue;
        col.TakeValue(ch, RecordValue(c, ch, r.samples[static_cast<std::size_t>(ch)]),
                      c.high[static_cast<std::size_t>(ch)].Decimals());
    }
}

void TakeBlock(EnvelopeColumn& col, const LodBlock& b) {
    col.TakeTimes(b.first, b.last, b.records);
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        if (((b.present >> ch) & 1u) == 0) continue;
        const auto k = static_cast<std::size_t>(ch);
        col.TakeMin(ch, b.min[k], b.minDecimals[k]);
        col.TakeMax(ch, b.max[k], b.maxDecimals[k]);
    }
}

}  // namespace

void CutColumn(VTime start, VTime end, std::vector<EnvelopePiece>& out) {
    const std::size_t own = out.size();  // pieces before it belong to other columns
    VTime pos = start;
    while (pos <= end) {
        int level = kLevels - 1;
        for (; level >= 0; --level) {
            const VTime size = BlockSize(level);
            if (Aligned(pos, size) && static_cast<__int128>(end) - pos + 1 >= size) break;
        }
        VTime last = 0;
        if (level >= 0) {
            last = pos + BlockSize(level) - 1;
        } else {
            last = std::min(end, FinestBlockEnd(pos));
            if (out.size() > own && out.back().level < 0 && out.back().end + 1 == pos) {
                out.back().end = last;
                if (last == std::numeric_limits<VTime>::max()) return;
                pos = last + 1;
                continue;
            }
        }
        out.push_back({level, pos, last});
        if (last == std::numeric_limits<VTime>::max()) return;
        pos = last + 1;
    }
}

ArchiveStatus SpanEnvelope(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                           VTime from, VTime to, int n, Envelope& out, PieceCache* cache) {
    out = Envelope{};
    out.from = from;
    out.to = to;
    n = std::clamp(n, 1, kMaxEnvelopeColumns);
    out.columns.resize(static_cast<std::size_t>(n));
    if (from > to) return ArchiveStatus::Ok;

    // The pieces of every column, and per level the stretches the store is asked for.
    std::vector<EnvelopePiece> pieces;
    std::vector<std::size_t> firstPiece(static_cast<std::size_t>(n) + 1, 0);
    for (int c = 0; c < n; ++c) {
        firstPiece[static_cast<std::size_t>(c)] = pieces.size();
        const VTime a = EnvelopeColumnStart(c, from, to, n);
        const VTime b = EnvelopeColumnStart(c + 1, from, to, n) - 1;
        if (a <= b) CutColumn(a, b, pieces);
    }
    firstPiece[static_cast<std::size_t>(n)] = pieces.size();

    VTime densest = IntervalTable.back();
    for (int i = 0; i < configs.Size(); ++i) {
        const int code = configs.At(i).intervalCode;
        if (IsValidIntervalCode(code))
            densest = std::min<VTime>(densest, IntervalTable[static_cast<std::size_t>(code)]);
    }
    PieceRequest request;
    for (const EnvelopePiece& p : pieces) {
        if (p.level < 0) {
            Want(request.records, p.start, p.end, kMergeRows * densest);
        } else {
            Want(request.blocks[static_cast<std::size_t>(p.level)], p.start, p.end,
                 kMergeRows * BlockSize(p.level));
        }
    }
    Pieces read;
    if (ArchiveStatus status = cache != nullptr ? cache->Read(store, recorder, request, read)
                                                : store.ReadPieces(recorder, request, read);
        status != ArchiveStatus::Ok)
        return status;
    const auto& blocks = read.blocks;
    const std::vector<ArchivedRecord>& records = read.records;

    int channels = 0;
    for (const ArchivedRecord& r : records) {
        const int index = configs.Index(r.config);
        if (index >= 0) channels = std::max(channels, configs.At(index).channelCount);
    }
    bool any = !records.empty();
    for (int c = 0; c < n; ++c) {
        EnvelopeColumn& col = out.columns[static_cast<std::size_t>(c)];
        for (std::size_t i = firstPiece[static_cast<std::size_t>(c)];
             i < firstPiece[static_cast<std::size_t>(c) + 1]; ++i) {
            const EnvelopePiece& p = pieces[i];
            if (p.level < 0) {
                auto it =
                    std::lower_bound(records.begin(), records.end(), p.start,
                                     [](const ArchivedRecord& r, VTime t) { return r.time < t; });
                for (; it != records.end() && it->time <= p.end; ++it)
                    TakeRecord(col, *it, configs);
                continue;
            }
            const auto& held = blocks[static_cast<std::size_t>(p.level)];
            const auto it =
                std::lower_bound(held.begin(), held.end(), p.start,
                                 [](const LodBlock& b, VTime t) { return b.start < t; });
            if (it == held.end() || it->start != p.start || it->records <= 0) continue;
            TakeBlock(col, *it);
            any = true;
            for (int ch = kMaxChannels - 1; ch >= channels; --ch) {
                if (((it->present >> ch) & 1u) != 0) {
                    channels = ch + 1;
                    break;
                }
            }
        }
    }

    // A configuration with more channels than any seen may still lie under a block whose
    // records lack the trailing channels: only its records can tell.
    const int most = configs.MaxChannels();
    if (!any) {
        channels = most;
    } else if (channels < most) {
        const ArchiveStatus status =
            store.ReadRecords(recorder, from, to, [&](std::span<const ArchivedRecord> chunk) {
                for (const ArchivedRecord& r : chunk) {
                    const int index = configs.Index(r.config);
                    if (index >= 0) channels = std::max(channels, configs.At(index).channelCount);
                }
                return channels < most;
            });
        if (status != ArchiveStatus::Ok) return status;
    }
    out.channels = channels;
    return ArchiveStatus::Ok;
}

}  // namespace vardo
