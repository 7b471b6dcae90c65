#pragma once
// Where the archive is and whether made files go into it by themselves: [Archive] in SetUp.ini,
// overridden by a command's --archive.

#include <string>

#include "archive/archive_store.h"

namespace vardo {

// The archive's address: override when given, else [Archive] Url of the settings file at
// settingsPath, else "sqlite:" + home + "Archive.db" (home ends in '/').
std::string ResolveArchiveUrl(const std::string& home, const std::string& settingsPath,
                              const std::string& override);

// [Archive] Enabled: every value but 0 (and a missing key) adds made files automatically.
bool ArchiveAddingEnabled(const std::string& settingsPath);

// How messages name the archive: the file's path for SQLite, the URL for a server.
std::string ArchiveDisplayName(const std::string& url);

// The system's text for an archive that could not be opened or read: Missing, Damaged,
// Unavailable, Failed (nullptr for Ok).
const char* ArchiveStatusMessage(ArchiveStatus status);

}  // namespace vardo
