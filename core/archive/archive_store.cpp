#include "archive/archive_store.h"

#include "archive/postgres_archive.h"
#include "archive/sqlite_archive.h"

namespace vardo {

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
