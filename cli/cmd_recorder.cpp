#include <cstdio>

#include "commands.h"

namespace vardo::cli {

int RunRecorder(const Args&) {
    std::fputs("vardo-cli recorder: not built yet\n", stderr);
    return 1;
}

}  // namespace vardo::cli
