#include "link_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "link/recorder_memory_map.h"

namespace vardo::cli {

bool ParseNumber(const std::string& text, long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

bool CheckModelIndex(const CommSettings& cs) {
    if (IsValidModelIndex(cs.modelIndex)) return true;
    std::fprintf(stderr, "vardo-cli: model index %d (JlyIndex) is not one of 0..7\n",
                 cs.modelIndex);
    return false;
}

int ApplyLinkOption(const std::string& option, const std::string& value, CommSettings& cs) {
    long v = 0;
    if (option == "--port") {
        if (value.empty()) {
            std::fprintf(stderr, "vardo-cli: --port needs a port name\n");
            return -1;
        }
        cs.portName = value;
        return 1;
    }
    if (option == "--model") {
        if (!ParseNumber(value, v) || !IsValidModelIndex(static_cast<int>(v))) {
            std::fprintf(stderr, "vardo-cli: --model takes a model index 0..7\n");
            return -1;
        }
        cs.modelIndex = static_cast<int>(v);
        return 1;
    }
    if (option == "--address") {
        if (!ParseNumber(value, v) || v < 0 || v > 255) {
            std::fprintf(stderr, "vardo-cli: --address takes a number 0..255\n");
            return -1;
        }
        cs.address = static_cast<int>(v);
        return 1;
    }
    return 0;
}

}  // namespace vardo::cli
