#include <cstdio>

#include "commands.h"

namespace vardo::cli {

int RunUpload(const Args&) {
    std::fputs("vardo-cli upload: not built yet\n", stderr);
    return 1;
}

}  // namespace vardo::cli
