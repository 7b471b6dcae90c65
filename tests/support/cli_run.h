#pragma once
// vardo-cli run as the user runs it: a separate process with its home in VARDO_HOME and the
// tests' time zone.

#include <gtest/gtest.h>
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

// stdout goes to out (a device such as /dev/full) when given, else to a file read back into
// the result.
inline CliRun RunCli(const std::string& home, const std::vector<std::string>& args,
                     const std::string& out = {}) {
    std::string command = "VARDO_HOME=" + ShellQuote(home) + " TZ=Asia/Shanghai " +
                          ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
    for (const auto& a : args) command += " " + ShellQuote(a);
    const std::string outPath = out.empty() ? home + "/out.txt" : out;
    command += " >" + ShellQuote(outPath) + " 2>" + ShellQuote(home + "/err.txt");
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out.empty() ? ReadText(outPath) : "",
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

// A refusal: status 1, nothing on stdout, and on stderr either err exactly or, when err is
// empty, a usage error of command ending in its usage.
inline void ExpectRefused(const CliRun& r, const std::string& command, const std::string& err,
                          const std::string& usage, const std::string& what) {
    EXPECT_EQ(r.status, 1) << what;
    EXPECT_EQ(r.out, "") << what;
    if (!err.empty()) {
        EXPECT_EQ(r.err, err) << what;
    } else {
        EXPECT_TRUE(r.err.starts_with("vardo-cli " + command + ": ")) << what << r.err;
        EXPECT_TRUE(r.err.ends_with("\n" + usage)) << what << r.err;
    }
}

}  // namespace vardo::testing
