#include "archive/piece_cache.h"

#include <algorithm>

#include "archive/archive_rows.h"

namespace vardo {

namespace {

constexpr std::size_t kRawIndex = kLodShifts.size();
// Blocks and records held at most: a few tens of megabytes, far more than a screen's worth of
// envelopes needs.
constexpr std::size_t kMaxHeld = 200000;

VTime BlockSize(std::size_t level) {
    return VTime{1} << kLodShifts[level];
}

// Adds fresh items (ascending) to held (ascending), each key once.
template <class T, class Key>
void AddSorted(std::vector<T>& held, const std::vector<T>& fresh, Key key) {
    if (fresh.empty()) return;
    const auto middle = static_cast<std::ptrdiff_t>(held.size());
    held.insert(held.end(), fresh.begin(), fresh.end());
    std::inplace_merge(held.begin(), held.begin() + middle, held.end(),
                       [&](const T& a, const T& b) { return key(a) < key(b); });
    held.erase(std::unique(held.begin(), held.end(),
                           [&](const T& a, const T& b) { return key(a) == key(b); }),
               held.end());
}

// Appends the held items with from <= key <= to to out, those out already ends with left out.
template <class T, class Key>
void CopyRange(const std::vector<T>& held, VTime from, VTime to, std::vector<T>& out, Key key) {
    if (from > to) return;
    auto it = std::lower_bound(held.begin(), held.end(), from,
                               [&](const T& x, VTime t) { return key(x) < t; });
    if (!out.empty())
        it = std::max(it, std::upper_bound(held.begin(), held.end(), key(out.back()),
                                           [&](VTime t, const T& x) { return t < key(x); }));
    const auto end =
        std::upper_bound(it, held.end(), to, [&](VTime t, const T& x) { return t < key(x); });
    if (it < end) out.insert(out.end(), it, end);
}

}  // namespace

void UncoveredParts(const std::vector<TimeStretch>& runs, TimeStretch want,
                    std::vector<TimeStretch>& out) {
    if (want.from > want.to) return;
    // The first run that ends at or after want begins.
    auto it = std::lower_bound(runs.begin(), runs.end(), want.from,
                               [](const TimeStretch& r, VTime t) { return r.to < t; });
    VTime at = want.from;
    for (; it != runs.end() && it->from <= want.to; ++it) {
        if (it->from > at) out.push_back({at, it->from - 1});
        if (it->to >= want.to) return;
        at = std::max(at, it->to + 1);
    }
    out.push_back({at, want.to});
}

void CoverRuns(std::vector<TimeStretch>& runs, const std::vector<TimeStretch>& more) {
    if (more.empty()) return;
    std::vector<TimeStretch> all;
    all.reserve(runs.size() + more.size());
    std::merge(runs.begin(), runs.end(), more.begin(), more.end(), std::back_inserter(all),
               [](const TimeStretch& a, const TimeStretch& b) { return a.from < b.from; });
    runs.clear();
    for (const TimeStretch& r : all) {
        if (!runs.empty() &&
            static_cast<__int128>(r.from) <= static_cast<__int128>(runs.back().to) + 1) {
            runs.back().to = std::max(runs.back().to, r.to);
        } else {
            runs.push_back(r);
        }
    }
}

std::size_t PieceCache::Held() const {
    std::size_t n = records_.size();
    for (const auto& level : blocks_) n += level.size();
    return n;
}

void PieceCache::Clear() {
    for (auto& c : covered_) c.clear();
    for (auto& b : blocks_) b.clear();
    records_.clear();
}

ArchiveStatus PieceCache::Read(ArchiveStore& store, std::int64_t recorder,
                               const PieceRequest& request, Pieces& out) {
    out = {};
    if (Held() > kMaxHeld) Clear();
    // What is not held yet, in the request's terms (seconds), and what it will cover.
    PieceRequest missing;
    std::array<std::vector<TimeStretch>, kLodShifts.size() + 1> fresh;
    for (std::size_t level = 0; level < kLodShifts.size(); ++level) {
        for (const TimeStretch& t : request.blocks[level]) {
            if (t.from > t.to) continue;
            const int l = static_cast<int>(level);
            UncoveredParts(covered_[level], {LodBlockOf(t.from, l), LodBlockOf(t.to, l)},
                           fresh[level]);
        }
        for (const TimeStretch& b : fresh[level])
            missing.blocks[level].push_back(
                {b.from * BlockSize(level), b.to * BlockSize(level) + (BlockSize(level) - 1)});
    }
    for (const TimeStretch& t : request.records)
        UncoveredParts(covered_[kRawIndex], t, fresh[kRawIndex]);
    missing.records = fresh[kRawIndex];

    bool any = !missing.records.empty();
    for (const auto& level : missing.blocks) any = any || !level.empty();
    if (any) {
        Pieces read;
        if (ArchiveStatus s = store.ReadPieces(recorder, missing, read); s != ArchiveStatus::Ok)
            return s;
        for (std::size_t level = 0; level < kLodShifts.size(); ++level)
            AddSorted(blocks_[level], read.blocks[level],
                      [](const LodBlock& b) { return b.start; });
        AddSorted(records_, read.records, [](const ArchivedRecord& r) { return r.time; });
        for (std::size_t i = 0; i < fresh.size(); ++i) CoverRuns(covered_[i], fresh[i]);
    }

    for (std::size_t level = 0; level < kLodShifts.size(); ++level) {
        for (const TimeStretch& t : request.blocks[level]) {
            const VTime size = BlockSize(level);
            // A block starts within [from rounded down to its block, to].
            CopyRange(blocks_[level], t.from - (((t.from % size) + size) % size), t.to,
                      out.blocks[level], [](const LodBlock& b) { return b.start; });
        }
    }
    for (const TimeStretch& t : request.records)
        CopyRange(records_, t.from, t.to, out.records,
                  [](const ArchivedRecord& r) { return r.time; });
    return ArchiveStatus::Ok;
}

}  // namespace vardo
