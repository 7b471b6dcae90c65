#pragma once
// The archive in one SQLite file: the default, for one PC.

#include <string>

#include "archive/archive_store.h"

namespace vardo {

ArchiveOpen OpenSqliteArchive(const std::string& path, bool create);

}  // namespace vardo
