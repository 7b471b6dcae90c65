#include "settings/module_directory.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vardo {

std::string ModuleDirectory() {
    if (const char* home = std::getenv("VARDO_HOME"); home != nullptr && *home != '\0') {
        std::string dir = home;
        if (dir.back() != '/') dir += '/';
        return dir;
    }
    std::string exe(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0) return "./";
    exe.resize(static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string SettingsPath() {
    return ModuleDirectory() + "SetUp.ini";
}

std::string DataDirectory() {
    return ModuleDirectory() + "Data";
}

}  // namespace vardo
