#pragma once
// FILE, --from, --to, --all and --step: the records that dump lists and stats counts. Without a
// range they are the data list's first view, the newest 200 records.

#include <optional>
#include <string>

#include "base/vardo_time.h"
#include "commands.h"
#include "history/history_data.h"

namespace vardo::cli {

struct RecordOptions {
    std::string file;
    std::optional<VTime> from;
    std::optional<VTime> to;
    bool all = false;
    std::optional<int> step;
};

void AddRecordOptions(CLI::App* command, RecordOptions& o);

// Loads o.file into h and settles the range to walk. 0 when the walk may run (the caller then
// releases h); otherwise the refusal has been reported, h released, and this is the exit status.
int OpenRecords(const CLI::App& command, const RecordOptions& o, HistoryData& h, VTime& from,
                VTime& to);

}  // namespace vardo::cli
