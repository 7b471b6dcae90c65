#pragma once
// Adding a history file to the archive: its records from the oldest to the newest, its
// configuration, and where it came from, in one transaction.

#include <optional>
#include <string>

#include "archive/archive_store.h"
#include "history/history_data.h"

namespace vardo {

struct HistoryAddRequest {
    std::string path;            // the file, as the user named it
    std::optional<int> address;  // else taken from the file's name
    std::string site;
    std::string how = kSourceFile;
    std::string device;
};

enum class HistoryAdd { Added, NoAddress, Failed };

struct HistoryAddResult {
    HistoryAdd result = HistoryAdd::Failed;
    ArchiveStatus status = ArchiveStatus::Ok;  // the store's, when Failed
    std::string error;                         // the store's reason, when Failed
    RecorderKey recorder;
    AddCounts counts;
};

// The address the program's naming puts before '@' in a file's name ("07@2024-...vd" is 7);
// nullopt for any other name.
std::optional<int> AddressFromFileName(const std::string& path);

// The configuration the records of a loaded file were taken under.
RecordConfig ConfigOfHistory(const HistoryData& h);

// Adds the records of h, loaded from request.path (whole file in h.file, header decoded).
[[nodiscard]] HistoryAddResult AddHistoryFile(ArchiveStore& store, const HistoryData& h,
                                              const HistoryAddRequest& request);

}  // namespace vardo
