#include "app/archive_auto_add.h"

#include "app/vardo_doc.h"
#include "archive/archive_location.h"
#include "archive/history_add.h"
#include "base/texts.h"

namespace vardo {

MadeFileAdd AddMadeFileToArchive(const std::string& home, const std::string& path, const char* how,
                                 const std::string& device) {
    MadeFileAdd outcome;
    const std::string settingsPath = home + "SetUp.ini";
    if (!ArchiveAddingEnabled(settingsPath)) return outcome;
    const std::string url = ResolveArchiveUrl(home, settingsPath, {});
    ArchiveOpen open = OpenArchive(url, true);
    if (open.status != ArchiveStatus::Ok) {
        outcome.failed = true;
        outcome.reason = ArchiveDisplayName(url) + ": " + ArchiveStatusMessage(open.status);
        if (!open.error.empty()) outcome.reason += " " + open.error;
        return outcome;
    }
    HistoryData h;
    const HistoryOpen loaded = LoadHistoryFile(path, h);
    if (loaded != HistoryOpen::Ok) {
        outcome.failed = true;
        outcome.reason = HistoryOpenMessage(loaded);
        return outcome;
    }
    HistoryAddRequest request;
    request.path = path;
    request.how = how;
    request.device = device;
    const HistoryAddResult added = AddHistoryFile(*open.store, h, request);
    if (added.result == HistoryAdd::Added) return outcome;
    outcome.failed = true;
    outcome.reason = added.result == HistoryAdd::NoAddress ? texts::kArchiveNoAddress : added.error;
    return outcome;
}

void AddMadeFileAndTell(Reporter& reporter, const std::string& home, const std::string& path,
                        const char* how, const std::string& device) {
    const MadeFileAdd added = AddMadeFileToArchive(home, path, how, device);
    if (!added.failed) return;
    reporter.ShowMessage(std::string(texts::kArchiveAddFailed) + "\n" + path + "\n" + added.reason,
                         MessageIcon::Error);
}

}  // namespace vardo
