#pragma once
// Copies one backup off the card into a new history file in Data/, written through
// CHistoryWriter: the same header every upload writes, then the card's data area as it stands.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "cfcard/cf_card.h"
#include "history/history_writer.h"

namespace vardo {

enum class ImportResult {
    Done,
    SectorDamaged,  // an unreadable sector or an unknown model code
    NoBackup,       // no signature in the slot
    Faulty,         // headers the recorder cannot have written
    CreateFailed,   // the file could not be created or written
    Stopped,
};

// The system's message for a result ("文件上传完成！" for Done, nullptr for Stopped).
const char* ImportMessage(ImportResult result);

struct ImportRequest {
    int slot = 0;
    std::string extension;
    std::string home;  // directory holding Data/
    // Sectors copied so far and the sectors of the whole data area; called before each run.
    std::function<void(std::uint32_t done, std::uint32_t total)> progress;
    const std::atomic<bool>* stop = nullptr;
};

// On Done the file is complete and writer.GetPath() names it; on every other result no file is
// left behind. h is the record the writer writes from (the dialog's own).
[[nodiscard]] ImportResult ImportBackup(SectorSource& source, const ImportRequest& request,
                                        CHistoryWriter& writer, HistoryData& h);

}  // namespace vardo
