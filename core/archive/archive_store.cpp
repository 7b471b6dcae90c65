#include "archive/archive_store.h"

#include <thread>

#include "archive/postgres_archive.h"
#include "archive/sqlite_archive.h"

namespace vardo {

namespace {

class GatherPieces final : public PieceSink {
  public:
    explicit GatherPieces(Pieces& out) : out_(out) {}
    void Block(int level, const LodBlock& block) override {
        out_.blocks[static_cast<std::size_t>(level)].push_back(block);
    }
    void Records(std::span<const ArchivedRecord> records) override {
        out_.records.insert(out_.records.end(), records.begin(), records.end());
    }

  private:
    Pieces& out_;
};

}  // namespace

std::size_t StretchCount(const PieceRequest& request) {
    std::size_t count = request.records.size();
    for (const auto& level : request.blocks) count += level.size();
    return count;
}

bool ArchiveStore::ReadAtOnce(const std::function<ArchiveStatus(ArchiveStore&)>& mine,
                              const std::function<ArchiveStatus(ArchiveStore&)>& theirs,
                              ArchiveStatus& status) {
    status = ArchiveStatus::Ok;
    // The first long read runs on one connection alone, the next opens the second. A fresh
    // connection fills its cache with memory the second thread's own heap has to fault in page
    // by page, and opening it costs a few milliseconds more: together they made opening a year
    // to its first picture half as slow again.
    if (second_ == nullptr) {
        if (secondState_ != SecondState::Wanted) {
            if (secondState_ == SecondState::Unwanted) secondState_ = SecondState::Wanted;
            return false;
        }
        ArchiveOpen second = OpenAgain();
        if (second.status != ArchiveStatus::Ok) {
            secondState_ = SecondState::Unavailable;
            return false;
        }
        second_ = std::move(second.store);
    }
    std::string before;
    if (status = StateMark(before); status != ArchiveStatus::Ok) return true;
    ArchiveStatus other = ArchiveStatus::Ok;
    std::thread thread([&] { other = theirs(*second_); });
    status = mine(*this);
    thread.join();
    if (status != ArchiveStatus::Ok) return true;
    std::string after;
    if (status = StateMark(after); status != ArchiveStatus::Ok) return true;
    return other == ArchiveStatus::Ok && before == after;
}

ArchiveStatus ArchiveStore::ReadPieces(std::int64_t recorder, const PieceRequest& request,
                                       Pieces& out) {
    out = {};
    ArchiveStatus status = ArchiveStatus::Ok;
    if (StretchCount(request) >= kSplitStretches) {
        // Each list cut in two at its middle stretch: the halves' pieces, one after the other,
        // are then in order.
        PieceRequest low;
        PieceRequest high;
        const auto cut = [](const std::vector<TimeStretch>& all, std::vector<TimeStretch>& a,
                            std::vector<TimeStretch>& b) {
            const auto middle = all.begin() + static_cast<std::ptrdiff_t>(all.size() / 2);
            a.assign(all.begin(), middle);
            b.assign(middle, all.end());
        };
        for (std::size_t level = 0; level < request.blocks.size(); ++level)
            cut(request.blocks[level], low.blocks[level], high.blocks[level]);
        cut(request.records, low.records, high.records);
        Pieces later;
        GatherPieces first(out);
        GatherPieces second(later);
        if (ReadAtOnce([&](ArchiveStore& s) { return s.StreamPieces(recorder, low, first); },
                       [&](ArchiveStore& s) { return s.StreamPieces(recorder, high, second); },
                       status)) {
            if (status != ArchiveStatus::Ok) {
                out = {};
                return status;
            }
            // A block that meets the last stretch of one half and the first of the other is
            // listed once.
            for (std::size_t level = 0; level < out.blocks.size(); ++level) {
                auto& held = out.blocks[level];
                for (const LodBlock& b : later.blocks[level])
                    if (held.empty() || b.start > held.back().start) held.push_back(b);
            }
            out.records.insert(out.records.end(), later.records.begin(), later.records.end());
            return ArchiveStatus::Ok;
        }
        out = {};
    }
    GatherPieces gather(out);
    status = StreamPieces(recorder, request, gather);
    if (status != ArchiveStatus::Ok) out = {};
    return status;
}

ArchiveOpen OpenArchive(const std::string& url, bool create) {
    if (url.starts_with("sqlite:")) return OpenSqliteArchive(url.substr(7), create);
    if (url.starts_with("postgresql://") || url.starts_with("postgres://"))
        return OpenPostgresArchive(url, create);
    ArchiveOpen result;
    result.status = ArchiveStatus::Unavailable;
    result.error = "not an archive address (sqlite:PATH or postgresql://...)";
    return result;
}

}  // namespace vardo
