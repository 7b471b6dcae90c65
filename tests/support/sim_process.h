#pragma once
// vardo-recorder-sim as a separate process, as a user runs it.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vardo::testing {

// Starts the simulator with `args`; its first line of output names the pseudo-terminal.
class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        args.insert(args.begin(), std::string(VARDO_BIN_DIR) + "/vardo-recorder-sim");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') device += c;
        close(fds[0]);
    }
    ~SimProcess() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    pid_t pid = -1;
    std::string device;
};

}  // namespace vardo::testing
