#pragma once
// vardo-cli run as the user runs it: a separate process with its home in VARDO_HOME and the
// tests' time zone.

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "history_file_builder.h"

namespace vardo::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline CliRun RunCli(const std::string& home, const std::vector<std::string>& args) {
    std::string command = "VARDO_HOME=" + ShellQuote(home) + " TZ=Asia/Shanghai " +
                          ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
    for (const auto& a : args) command += " " + ShellQuote(a);
    command += " >" + ShellQuote(home + "/out.txt") + " 2>" + ShellQuote(home + "/err.txt");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(home + "/out.txt"),
            ReadText(home + "/err.txt")};
}

inline CliRun RunCli(const TempDir& home, const std::vector<std::string>& args) {
    return RunCli(home.path(), args);
}

// One command with its arguments.
inline CliRun RunCli(const TempDir& home, const std::string& command,
                     std::vector<std::string> args) {
    args.insert(args.begin(), command);
    return RunCli(home.path(), args);
}

}  // namespace vardo::testing
