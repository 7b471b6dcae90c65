#include "archive/archive_store.h"

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

ArchiveStore* ArchiveStore::Second() {
    if (!secondTried_) {
        secondTried_ = true;
        ArchiveOpen second = OpenAgain();
        if (second.status == ArchiveStatus::Ok) second_ = std::move(second.store);
    }
    return second_.get();
}

ArchiveStatus ArchiveStore::ReadPieces(std::int64_t recorder, const PieceRequest& request,
                                       Pieces& out) {
    out = {};
    GatherPieces gather(out);
    const ArchiveStatus status = StreamPieces(recorder, request, gather);
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
