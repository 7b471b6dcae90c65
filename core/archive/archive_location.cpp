#include "archive/archive_location.h"

#include "base/texts.h"
#include "settings/ini_file.h"

namespace vardo {

namespace {
// Long enough for a libpq URI with host, port, database, user and options.
constexpr int kUrlBufferSize = 4096;
}  // namespace

std::string ResolveArchiveUrl(const std::string& home, const std::string& settingsPath,
                              const std::string& override) {
    if (!override.empty()) return override;
    std::string url = IniFile(settingsPath).GetString("Archive", "Url", "", kUrlBufferSize);
    if (!url.empty()) return url;
    return "sqlite:" + home + "Archive.db";
}

bool ArchiveAddingEnabled(const std::string& settingsPath) {
    return IniFile(settingsPath).GetInt("Archive", "Enabled", 1) != 0;
}

std::string ArchiveDisplayName(const std::string& url) {
    return url.starts_with("sqlite:") ? url.substr(7) : url;
}

const char* ArchiveStatusMessage(ArchiveStatus status) {
    switch (status) {
        case ArchiveStatus::Ok:
            return nullptr;
        case ArchiveStatus::Missing:
            return texts::kArchiveMissing;
        case ArchiveStatus::Damaged:
            return texts::kArchiveDamaged;
        case ArchiveStatus::Unavailable:
            return texts::kArchiveUnavailable;
        case ArchiveStatus::Failed:
            break;
    }
    return texts::kArchiveReadFailed;
}

}  // namespace vardo
