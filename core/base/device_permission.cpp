#include "base/device_permission.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace vardo {

std::string DevicePermissionHint(const std::string& device, int err, const char* fallbackGroup) {
    if (err != EACCES && err != EPERM) return {};
    std::string group = fallbackGroup;
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0) {
        if (const struct group* g = ::getgrgid(st.st_gid); g != nullptr) group = g->gr_name;
    }
    char text[512];
    std::snprintf(text, sizeof text,
                  "没有使用 %s 的权限：请把当前用户加入 %s 组（sudo usermod -aG %s $USER），"
                  "重新登录后再试。",
                  device.c_str(), group.c_str(), group.c_str());
    return text;
}

}  // namespace vardo
