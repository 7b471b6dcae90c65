#pragma once
// vardo-cli's subcommands. Each takes its own arguments (without the subcommand name) and
// returns the process exit status: 0 on success, 1 on any refusal or failure.

#include <string>
#include <vector>

#include "base/reporter.h"

namespace vardo::cli {

using Args = std::vector<std::string>;

int RunInfo(const Args& args);
int RunDump(const Args& args);
int RunUpload(const Args& args);
int RunRecorder(const Args& args);

// The system's messages, one per line on stderr.
class StderrReporter : public Reporter {
  public:
    void ShowMessage(std::string_view text, MessageIcon icon) override;
};

// VARDO_HOME, else the executable's directory: where SetUp.ini and Data/ live.
std::string Home();

}  // namespace vardo::cli
