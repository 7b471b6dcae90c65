#include "base/permission_hint.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/texts.h"

namespace vardo {

std::string PermissionHint(const std::string& device, bool write, const char* fallbackGroup) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return {};
    if (::access(device.c_str(), write ? R_OK | W_OK : R_OK) == 0) return {};
    if (errno != EACCES && errno != EPERM) return {};
    // The group the device really belongs to, where it is not root's own.
    std::string name = fallbackGroup;
    if (const group* g = ::getgrgid(st.st_gid);
        g != nullptr && g->gr_name != nullptr && std::strcmp(g->gr_name, "root") != 0)
        name = g->gr_name;
    std::string hint(std::strlen(texts::kPermissionHint) + device.size() + 2 * name.size(), '\0');
    hint.resize(
        static_cast<std::size_t>(std::snprintf(hint.data(), hint.size() + 1, texts::kPermissionHint,
                                               device.c_str(), name.c_str(), name.c_str())));
    return hint;
}

std::string WithPermissionHint(const std::string& message, const std::string& device, bool write,
                               const char* fallbackGroup) {
    const std::string hint = PermissionHint(device, write, fallbackGroup);
    return hint.empty() ? message : message + "\n" + hint;
}

}  // namespace vardo
