#pragma once
// FILE or --recorder, --from, --to, --all and --step: the records that dump lists and stats counts.
// Without a range they are the data list's first view, the newest 200 records.

#include <optional>
#include <string>

#include "base/vardo_time.h"
#include "commands.h"
#include "history/history_data.h"
#include "recorder_options.h"

namespace vardo::cli {

// The note under the usage of the commands that take RecordOptions.
inline constexpr const char* kRecordsNote =
    "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1.\n"
    "R is [SITE/]ADDRESS[:MODEL] of a recorder in the archive (MODEL when the address has "
    "several); URL is sqlite:PATH or postgresql://..., by default [Archive] Url of SetUp.ini.";

struct RecordOptions {
    std::string file;
    std::optional<VTime> from;
    std::optional<VTime> to;
    bool all = false;
    std::optional<int> step;
    RecorderOptions archive;
};

void AddRecordOptions(CLI::App* command, RecordOptions& o);

// Loads o.file into h and settles the range to walk. 0 when the walk may run (the caller then
// releases h); otherwise the refusal has been reported, h released, and this is the exit status.
int OpenRecords(const CLI::App& command, const RecordOptions& o, HistoryData& h, VTime& from,
                VTime& to);

// For --recorder: opens the archive, finds the recorder and settles the records to walk, by the
// rules of OpenRecords counted in records. 0 when the walk may run; otherwise the refusal has
// been told and this is the exit status.
int OpenRecorderRecords(const CLI::App& command, const RecordOptions& o, RecorderSpan& span,
                        SpanBounds& bounds);

}  // namespace vardo::cli
