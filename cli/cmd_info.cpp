#include <cstdio>
#include <string>

#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "history/history_summary.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

int RunInfo(const CLI::App& command, const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const ModelList models = ReadModelList(Home() + "SetUp.ini");

    std::string summary;
    PathReporter reporter(path);
    switch (ReadHistorySummary(path, name, models, &summary)) {
        case SummaryResult::OpenFailed:
            reporter.ShowMessage(texts::kOpenFileFailed, MessageIcon::Error);
            return 1;
        case SummaryResult::Damaged:
            reporter.ShowMessage(texts::kFileDamaged, MessageIcon::Error);
            return 1;
        case SummaryResult::Ok:
            break;
    }
    std::string out;
    out.reserve(summary.size());
    for (std::size_t i = 0; i < summary.size(); ++i) {
        if (summary[i] == '\r' && i + 1 < summary.size() && summary[i + 1] == '\n') continue;
        out += summary[i];
    }
    return FinishOutput(command, WriteOut(out));
}

}  // namespace

Command AddInfo(CLI::App& parent) {
    auto path = std::make_shared<std::string>();
    CLI::App* command =
        AddCommand(parent, "info", "The summary of a history file's header.", "info FILE");
    AddPathArgument(command, "FILE", *path, "a history file");
    return {command, [command, path] { return RunInfo(*command, *path); }};
}

}  // namespace vardo::cli
