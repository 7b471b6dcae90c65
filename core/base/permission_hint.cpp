#include "base/permission_hint.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    return "没有打开 " + device + " 的权限：请把用户加入 " + name + " 组（sudo usermod -aG " +
           name + " $USER），重新登录后再试。";
}

std::string WithPermissionHint(const std::string& message, const std::string& device, bool write,
                               const char* fallbackGroup) {
    const std::string hint = PermissionHint(device, write, fallbackGroup);
    return hint.empty() ? message : message + "\n" + hint;
}

}  // namespace vardo
