#pragma once
// What a collection, in the program or in vardo-cli, does with the archive: opens the one the
// settings name, and adds each collected file to it with the recorder's own address and site.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "settings/recorder_list.h"

namespace vardo {

// The archive of the home (or override, when given), made when missing. Not Ok: failure holds
// the lines that tell why ("PATH: message", then the engine's reason).
ArchiveOpen OpenCollectArchive(const std::string& home, const std::string& settingsPath,
                               const std::string& override, std::vector<std::string>& failure);

// A collected history file into the archive, marked as collected from device: the records new
// to the archive, or nullopt with the lines that tell why. The file stays either way.
std::optional<std::int64_t> AddCollectedFile(ArchiveStore& store, const std::string& path,
                                             const RecorderEntry& recorder,
                                             const std::string& device,
                                             std::vector<std::string>& why);

}  // namespace vardo
