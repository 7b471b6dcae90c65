#include <cstdio>

#include "commands.h"

namespace vardo::cli {

int RunInfo(const Args&) {
    std::fputs("vardo-cli info: not built yet\n", stderr);
    return 1;
}

}  // namespace vardo::cli
