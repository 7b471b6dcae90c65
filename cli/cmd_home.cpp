#include <cstdio>
#include <string>

#include "commands.h"

namespace vardo::cli {

Command AddHome(CLI::App& parent) {
    CLI::App* command =
        AddCommand(parent, "home", "The folder that holds SetUp.ini and Data/.", "home");
    return {command, [command] {
                std::string home = Home();
                if (home.size() > 1 && home.back() == '/') home.pop_back();
                return FinishOutput(*command, WriteOut(home + "\n"));
            }};
}

}  // namespace vardo::cli
