#include <cstdio>
#include <string>

#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "history/history_summary.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

int RunInfo(const Args& args) {
    if (args.size() != 1) {
        std::fputs("usage: vardo-cli info FILE\n", stderr);
        return 1;
    }
    const std::string& path = args[0];
    const std::string name = path.substr(path.rfind('/') + 1);
    const ModelList models = ReadModelList(Home() + "SetUp.ini");

    std::string summary;
    StderrReporter reporter;
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
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace vardo::cli
