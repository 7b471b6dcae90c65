#include "app/collect_archive.h"

#include "app/vardo_doc.h"
#include "archive/archive_location.h"
#include "archive/history_add.h"
#include "base/texts.h"

namespace vardo {

ArchiveOpen OpenCollectArchive(const std::string& home, const std::string& settingsPath,
                               const std::string& override, std::vector<std::string>& failure) {
    const std::string url = ResolveArchiveUrl(home, settingsPath, override);
    ArchiveOpen open = OpenArchive(url, true);
    if (open.status != ArchiveStatus::Ok) {
        failure.push_back(ArchiveDisplayName(url) + ": " + ArchiveStatusMessage(open.status));
        if (!open.error.empty()) failure.push_back(open.error);
    }
    return open;
}

std::optional<std::int64_t> AddCollectedFile(ArchiveStore& store, const std::string& path,
                                             const RecorderEntry& recorder,
                                             const std::string& device,
                                             std::vector<std::string>& why) {
    HistoryData h;
    const HistoryOpen loaded = LoadHistoryFile(path, h);
    if (loaded != HistoryOpen::Ok) {
        why.push_back(path + ": " + HistoryOpenMessage(loaded));
        return std::nullopt;
    }
    HistoryAddRequest request;
    request.path = path;
    request.address = recorder.address;
    request.site = recorder.site;
    request.how = kSourceCollect;
    request.device = device;
    const HistoryAddResult added = AddHistoryFile(store, h, request);
    if (added.result != HistoryAdd::Added) {
        why.push_back(path + ": " + texts::kArchiveAddFailed);
        if (!added.error.empty()) why.push_back(added.error);
        return std::nullopt;
    }
    return added.counts.added;
}

}  // namespace vardo
