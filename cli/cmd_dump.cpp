#include <cstdio>

#include "commands.h"

namespace vardo::cli {

int RunDump(const Args&) {
    std::fputs("vardo-cli dump: not built yet\n", stderr);
    return 1;
}

}  // namespace vardo::cli
