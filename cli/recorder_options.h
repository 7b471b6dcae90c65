#pragma once
// --recorder [SITE/]ADDRESS[:MODEL] and --archive URL: a recorder's span in the archive in place
// of a FILE, for the commands that read records.

#include <memory>
#include <string>

#include "archive/archive_store.h"
#include "archive/span_walk.h"
#include "commands.h"

namespace vardo::cli {

struct RecorderOptions {
    std::string recorder;  // empty: the command reads a FILE
    std::string archive;   // empty: [Archive] Url of SetUp.ini, else Archive.db in the home
};

void AddRecorderOptions(CLI::App* command, RecorderOptions& o);
// FILE as the positional of a command that also takes --recorder: optional to the parser.
CLI::Option* AddFileOrRecorderArgument(CLI::App* command, std::string& file);
// Exactly one of FILE and --recorder; 0 or the usage error's exit status.
int CheckFileOrRecorder(const CLI::App& command, const std::string& file, const RecorderOptions& o);

// The archive opened for reading and the recorder found in it with its configurations.
struct RecorderSpan {
    std::string name;  // the archive as messages name it
    std::unique_ptr<ArchiveStore> store;
    RecorderSummary recorder;
    SpanConfigs configs;
};

// Opens o's archive without creating anything and finds the recorder. 0 when the span may be
// read; otherwise the refusal has been told and this is the exit status.
int OpenRecorderSpan(const RecorderOptions& o, RecorderSpan& out);
// Tells that reading the archive failed part-way; returns 1.
int ArchiveReadFailed(const RecorderSpan& span, ArchiveStatus status);

}  // namespace vardo::cli
