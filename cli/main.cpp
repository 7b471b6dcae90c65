// vardo-cli: the program's core, headless. Same rules and texts as the desktop program.

#include <cstdio>
#include <iostream>
#include <string_view>

#include "commands.h"
#include "settings/module_directory.h"

namespace vardo::cli {

void StderrReporter::ShowMessage(std::string_view text, MessageIcon) {
    std::cerr << text << '\n';
}

std::string Home() {
    return ModuleDirectory();
}

}  // namespace vardo::cli

namespace {

void Usage() {
    std::fputs(
        "usage: vardo-cli info FILE\n"
        "       vardo-cli dump FILE [--from T] [--to T] [--all] [--step N] "
        "[--order newest|oldest]\n"
        "       vardo-cli upload [--all | --from T --to T] [--channels LIST] [--port COMn] "
        "[--model N] [--address N]\n"
        "       vardo-cli recorder [--port COMn] [--model N] [--address N]\n"
        "T is \"YYYY-MM-DD HH:MM:SS\" local time.\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vardo::cli;
    if (argc < 2) {
        Usage();
        return 1;
    }
    const std::string_view command = argv[1];
    Args args(argv + 2, argv + argc);
    if (command == "info") return RunInfo(args);
    if (command == "dump") return RunDump(args);
    if (command == "upload") return RunUpload(args);
    if (command == "recorder") return RunRecorder(args);
    Usage();
    return 1;
}
