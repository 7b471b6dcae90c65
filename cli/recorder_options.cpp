#include "recorder_options.h"

#include <iostream>

#include "archive/archive_location.h"
#include "archive/recorder_choice.h"

namespace vardo::cli {

namespace {

void Tell(const std::string& name, const std::string& message, const std::string& reason) {
    std::cerr << name << ": " << message << '\n';
    if (!reason.empty()) std::cerr << reason << '\n';
}

}  // namespace

void AddRecorderOptions(CLI::App* command, RecorderOptions& o) {
    const CLI::Validator choice(
        [](std::string& text) -> std::string {
            RecorderKey key;
            return ParseRecorderChoice(text, key)
                       ? std::string()
                       : "\"" + text + "\" is not [SITE/]ADDRESS[:MODEL], ADDRESS 0 to 255";
        },
        "");
    command->add_option("--recorder", o.recorder, "a recorder's records in the archive")
        ->type_name("")
        ->check(choice);
    const CLI::Validator notEmpty(
        [](std::string& text) -> std::string { return text.empty() ? "empty URL" : ""; }, "");
    command->add_option("--archive", o.archive, "sqlite:PATH or postgresql://...")
        ->type_name("")
        ->check(notEmpty);
}

CLI::Option* AddFileOrRecorderArgument(CLI::App* command, std::string& file) {
    const CLI::Validator notEmpty(
        [](std::string& text) -> std::string { return text.empty() ? "empty path" : ""; }, "");
    return command->add_option("FILE", file, "a history file")->type_name("")->check(notEmpty);
}

int CheckFileOrRecorder(const CLI::App& command, const std::string& file,
                        const RecorderOptions& o) {
    if (!file.empty() && !o.recorder.empty())
        return UsageError(command, "give FILE or --recorder, not both");
    if (file.empty() && o.recorder.empty())
        return UsageError(command, "FILE or --recorder is required");
    if (o.recorder.empty() && !o.archive.empty())
        return UsageError(command, "--archive goes with --recorder");
    return 0;
}

int OpenRecorderSpan(const RecorderOptions& o, RecorderSpan& out) {
    RecorderKey chosen;
    if (!ParseRecorderChoice(o.recorder, chosen)) return 1;  // the parser has refused it already
    const std::string url = ResolveArchiveUrl(Home(), Home() + "SetUp.ini", o.archive);
    out.name = ArchiveDisplayName(url);
    ArchiveOpen opened = OpenArchive(url, false);
    if (opened.status != ArchiveStatus::Ok) {
        Tell(out.name, ArchiveStatusMessage(opened.status), opened.error);
        return 1;
    }
    out.store = std::move(opened.store);
    std::vector<RecorderSummary> recorders;
    ArchiveStatus status = out.store->Recorders(recorders);
    if (status != ArchiveStatus::Ok) return ArchiveReadFailed(out, status);
    const RecorderChoice choice = ChooseRecorder(recorders, chosen, out.recorder);
    if (choice != RecorderChoice::Found) {
        std::cerr << RecorderChoiceMessage(choice, chosen, recorders) << '\n';
        return 1;
    }
    status = out.configs.Load(*out.store, out.recorder.id);
    if (status != ArchiveStatus::Ok) return ArchiveReadFailed(out, status);
    return 0;
}

int ArchiveReadFailed(const RecorderSpan& span, ArchiveStatus status) {
    Tell(span.name, ArchiveStatusMessage(status), span.store ? span.store->LastError() : "");
    return 1;
}

}  // namespace vardo::cli
