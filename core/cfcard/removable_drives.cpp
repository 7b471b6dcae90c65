#include "cfcard/removable_drives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vardo {

std::vector<std::string> ListRemovableDrives(const std::string& sysBlockRoot) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(sysBlockRoot, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with("sr") || name.starts_with("fd")) continue;
        std::ifstream flag(it->path() / "removable");
        char c = 0;
        if (!flag.get(c) || c != '1') continue;
        // "1" and nothing but its line end: a longer value is not the kernel's flag.
        const int next = flag.get();
        if (next != std::char_traits<char>::eof() && next != '\n') continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> devices;
    devices.reserve(names.size());
    for (const std::string& n : names) devices.push_back("/dev/" + n);
    return devices;
}

}  // namespace vardo
