#include "archive/postgres_archive.h"

namespace vardo {

ArchiveOpen OpenPostgresArchive(const std::string&, bool) {
    ArchiveOpen result;
    result.status = ArchiveStatus::Unavailable;
    result.error = "PostgreSQL archives are not available in this build";
    return result;
}

}  // namespace vardo
