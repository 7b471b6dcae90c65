#pragma once
// The archive on a PostgreSQL server: one archive for a plant's PCs and collectors.

#include <string>

#include "archive/archive_store.h"

namespace vardo {

ArchiveOpen OpenPostgresArchive(const std::string& url, bool create);

}  // namespace vardo
