#include <cstdio>
#include <string>

#include "commands.h"

namespace vardo::cli {

Command AddHome(CLI::App& parent) {
    CLI::App* command =
        AddCommand(parent, "home", "The folder that holds SetUp.ini and Data/.", "home");
    return {command, [] {
                std::string home = Home();
                if (home.size() > 1 && home.back() == '/') home.pop_back();
                std::printf("%s\n", home.c_str());
                return std::fflush(stdout) == 0 ? 0 : 1;
            }};
}

}  // namespace vardo::cli
