#include "archive/span_envelope.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>

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

// Folds pieces into the columns they were cut for, in the order the store hands them over (level
// after level, then the records) rather than in time order: of equal values the piece cut first,
// the earlier one, keeps its decimals, as a walk in time order would keep them.
class ColumnFold final : public PieceSink {
  public:
    // Of columns [begin, end) only.
    ColumnFold(const SpanConfigs& configs, Envelope& out, int begin, int end)
        : configs_(configs),
          out_(out),
          begin_(begin),
          holders_(static_cast<std::size_t>(end - begin)) {}

    // Pieces in time order, each of the column given.
    void Want(const EnvelopePiece& p, int column) {
        const Wanted w{p.start, p.end, static_cast<std::uint32_t>(pieces_++), column};
        if (p.level < 0) {
            raw_.push_back(w);
        } else {
            blocks_[static_cast<std::size_t>(p.level)].push_back(w);
        }
    }

    void Block(int level, const LodBlock& b) override {
        if (level < 0 || level >= kLevels || b.records <= 0) return;
        const auto& wanted = blocks_[static_cast<std::size_t>(level)];
        std::size_t& next = nextBlock_[static_cast<std::size_t>(level)];
        while (next < wanted.size() && wanted[next].start < b.start) ++next;
        if (next == wanted.size() || wanted[next].start != b.start) return;
        const Wanted& w = wanted[next++];
        EnvelopeColumn& col = out_.columns[static_cast<std::size_t>(w.column)];
        TakeTimes(col, b.first, b.last, b.records);
        Holders& h = holders_[static_cast<std::size_t>(w.column - begin_)];
        for (int ch = 0; ch < kMaxChannels; ++ch) {
            if (((b.present >> ch) & 1u) == 0) continue;
            const auto k = static_cast<std::size_t>(ch);
            Take(col, h, w.piece, ch, b.min[k], b.minDecimals[k], b.max[k], b.maxDecimals[k]);
        }
        any = true;
        for (int ch = kMaxChannels - 1; ch >= channels; --ch) {
            if (((b.present >> ch) & 1u) != 0) {
                channels = ch + 1;
                break;
            }
        }
    }

    void Records(std::span<const ArchivedRecord> records) override {
        for (const ArchivedRecord& r : records) {
            if (seenRecord_ && lastRecord_ >= r.time) continue;
            seenRecord_ = true;
            lastRecord_ = r.time;
            any = true;
            const int index = configs_.Index(r.config);
            const RecordConfig* c = index >= 0 ? &configs_.At(index) : nullptr;
            if (c != nullptr) channels = std::max(channels, c->channelCount);
            while (nextRaw_ < raw_.size() && raw_[nextRaw_].end < r.time) ++nextRaw_;
            if (nextRaw_ == raw_.size() || raw_[nextRaw_].start > r.time) continue;
            const Wanted& w = raw_[nextRaw_];
            EnvelopeColumn& col = out_.columns[static_cast<std::size_t>(w.column)];
            TakeTimes(col, r.time, r.time, 1);
            if (c == nullptr) continue;
            Holders& h = holders_[static_cast<std::size_t>(w.column - begin_)];
            for (int ch = 0; ch < c->channelCount; ++ch) {
                if (!c->Has(ch)) continue;
                const float v = RecordValue(*c, ch, r.samples[static_cast<std::size_t>(ch)]);
                const int decimals = c->high[static_cast<std::size_t>(ch)].Decimals();
                Take(col, h, w.piece, ch, v, decimals, v, decimals);
            }
        }
    }

    int channels = 0;
    bool any = false;

  private:
    struct Wanted {
        VTime start;
        VTime end;
        std::uint32_t piece;  // the order pieces were cut in: time order
        int column;
    };
    // Per channel the piece the minimum came from, then the piece of the maximum.
    using Holders = std::array<std::uint32_t, 2 * kMaxChannels>;

    static void TakeTimes(EnvelopeColumn& col, VTime first, VTime last, std::int64_t count) {
        if (col.records == 0 || first < col.first) col.first = first;
        if (col.records == 0 || last > col.last) col.last = last;
        col.records += count;
    }

    // Records of one piece come in time order, so that a later equal value of the same piece
    // leaves the earlier one be.
    static void Take(EnvelopeColumn& col, Holders& h, std::uint32_t piece, int ch, float min,
                     int minDecimals, float max, int maxDecimals) {
        const auto k = static_cast<std::size_t>(ch);
        const auto bit = static_cast<std::uint16_t>(1u << ch);
        const bool fresh = (col.present & bit) == 0;
        if (fresh || min < col.min[k] || (min == col.min[k] && piece < h[k])) {
            col.min[k] = min;
            col.minDecimals[k] = static_cast<std::uint8_t>(minDecimals);
            h[k] = piece;
        }
        if (fresh || max > col.max[k] || (max == col.max[k] && piece < h[kMaxChannels + k])) {
            col.max[k] = max;
            col.maxDecimals[k] = static_cast<std::uint8_t>(maxDecimals);
            h[kMaxChannels + k] = piece;
        }
        col.present |= bit;
    }

    const SpanConfigs& configs_;
    Envelope& out_;
    int begin_;
    std::vector<Holders> holders_;  // per column from begin_
    std::size_t pieces_ = 0;
    std::array<std::vector<Wanted>, kLevels> blocks_;
    std::array<std::size_t, kLevels> nextBlock_{};
    std::vector<Wanted> raw_;
    std::size_t nextRaw_ = 0;
    bool seenRecord_ = false;
    VTime lastRecord_ = 0;
};

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

namespace {

// Columns [begin, end) of the envelope: their pieces, the stretches asked for, and the fold that
// takes what is read. Columns never share a piece, so two ranges can be read at once.
struct ColumnRange {
    ColumnRange(const SpanConfigs& configs, Envelope& out, VTime densest, int begin, int end)
        : fold(configs, out, begin, end) {
        std::vector<EnvelopePiece> pieces;
        const int n = static_cast<int>(out.columns.size());
        for (int c = begin; c < end; ++c) {
            const VTime a = EnvelopeColumnStart(c, out.from, out.to, n);
            const VTime b = EnvelopeColumnStart(c + 1, out.from, out.to, n) - 1;
            if (a > b) continue;
            pieces.clear();
            CutColumn(a, b, pieces);
            for (const EnvelopePiece& p : pieces) {
                fold.Want(p, c);
                if (p.level < 0) {
                    Want(request.records, p.start, p.end, kMergeRows * densest);
                } else {
                    Want(request.blocks[static_cast<std::size_t>(p.level)], p.start, p.end,
                         kMergeRows * BlockSize(p.level));
                }
            }
        }
    }

    ColumnFold fold;
    PieceRequest request;
};

}  // namespace

ArchiveStatus SpanEnvelope(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                           VTime from, VTime to, int n, Envelope& out, PieceCache* cache) {
    out = Envelope{};
    out.from = from;
    out.to = to;
    n = std::clamp(n, 1, kMaxEnvelopeColumns);
    out.columns.resize(static_cast<std::size_t>(n));
    if (from > to) return ArchiveStatus::Ok;

    VTime densest = IntervalTable.back();
    for (int i = 0; i < configs.Size(); ++i) {
        const int code = configs.At(i).intervalCode;
        if (IsValidIntervalCode(code))
            densest = std::min<VTime>(densest, IntervalTable[static_cast<std::size_t>(code)]);
    }
    int channels = 0;
    bool any = false;
    const auto take = [&](const ColumnFold& fold) {
        channels = std::max(channels, fold.channels);
        any = any || fold.any;
    };
    ColumnRange all(configs, out, densest, 0, n);
    if (cache != nullptr) {
        Pieces read;
        if (ArchiveStatus status = cache->Read(store, recorder, all.request, read);
            status != ArchiveStatus::Ok)
            return status;
        for (int level = 0; level < kLevels; ++level)
            for (const LodBlock& b : read.blocks[static_cast<std::size_t>(level)])
                all.fold.Block(level, b);
        all.fold.Records(read.records);
        take(all.fold);
    } else {
        // A year at a screen's width is thousands of short index seeks: on two cores, two
        // connections each seek those of half the columns.
        bool done = false;
        if (StretchCount(all.request) >= kSplitStretches) {
            ColumnRange low(configs, out, densest, 0, n / 2);
            ColumnRange high(configs, out, densest, n / 2, n);
            ArchiveStatus status = ArchiveStatus::Ok;
            done = store.ReadAtOnce(
                [&](ArchiveStore& s) { return s.StreamPieces(recorder, low.request, low.fold); },
                [&](ArchiveStore& s) { return s.StreamPieces(recorder, high.request, high.fold); },
                status);
            if (status != ArchiveStatus::Ok) return status;
            if (done) {
                take(low.fold);
                take(high.fold);
            } else {
                std::fill(out.columns.begin(), out.columns.end(), EnvelopeColumn{});
            }
        }
        if (!done) {
            if (ArchiveStatus status = store.StreamPieces(recorder, all.request, all.fold);
                status != ArchiveStatus::Ok)
                return status;
            take(all.fold);
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
