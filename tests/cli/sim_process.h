#pragma once
// vardo-recorder-sim and vardo-cli as separate processes, as a user runs them.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vardo::test {

// Starts the simulator with `args`; its first line of output names the pseudo-terminal.
class SimProcess {
  public:
    explicit SimProcess(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<std::string> all{std::string(VARDO_BIN_DIR) + "/vardo-recorder-sim"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') device += c;
        close(fds[0]);
    }
    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    pid_t pid = -1;
    std::string device;
};

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string SlurpText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline CliResult RunCli(const std::string& home, const std::vector<std::string>& args) {
    std::string command = "VARDO_HOME=" + ShellQuote(home) + " " +
                          ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
    for (const auto& a : args) command += " " + ShellQuote(a);
    command += " >" + ShellQuote(home + "/out.txt") + " 2>" + ShellQuote(home + "/err.txt");
    CliResult r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = SlurpText(home + "/out.txt");
    r.err = SlurpText(home + "/err.txt");
    return r;
}

}  // namespace vardo::test
