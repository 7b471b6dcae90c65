#include "settings/module_directory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace vardo {

namespace {

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ExecutableDirectory() {
    std::string exe(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (n <= 0) return "./";
    exe.resize(static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string InstalledDocDirectory(const std::string& exeDir) {
    return exeDir + "../share/doc/vardo/";
}

HomeProbe ProbeHome() {
    HomeProbe p;
    p.vardoHome = Env("VARDO_HOME");
    p.exeDir = ExecutableDirectory();
    p.exeDirHasSettings = ::access((p.exeDir + "SetUp.ini").c_str(), F_OK) == 0;
    p.exeDirWritable = ::access(p.exeDir.c_str(), W_OK) == 0;
    p.installed = IsDirectory(InstalledDocDirectory(p.exeDir));
    p.xdgDataHome = Env("XDG_DATA_HOME");
    p.userHome = Env("HOME");
    if (p.userHome.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            p.userHome = pw->pw_dir;
    }
    return p;
}

std::string ResolveHome(const HomeProbe& p) {
    if (!p.vardoHome.empty()) return WithSlash(p.vardoHome);
    // Root can write to /usr/bin: an installed program never keeps its files beside itself.
    if (p.exeDirHasSettings || (p.exeDirWritable && !p.installed)) return p.exeDir;
    // The XDG rule: a relative XDG_DATA_HOME is invalid and ignored.
    if (!p.xdgDataHome.empty() && p.xdgDataHome.front() == '/')
        return WithSlash(p.xdgDataHome) + "vardo/";
    if (p.userHome.empty()) return p.exeDir;
    return WithSlash(p.userHome) + ".local/share/vardo/";
}

std::string ModuleDirectory() {
    return ResolveHome(ProbeHome());
}

std::string SettingsPath() {
    return ModuleDirectory() + "SetUp.ini";
}

std::string DataDirectory() {
    return ModuleDirectory() + "Data";
}

int CreateHome(const std::string& home) {
    std::error_code ec;
    std::filesystem::create_directories(WithSlash(home) + "Data", ec);
    return IsDirectory(WithSlash(home) + "Data") ? 1 : 0;
}

}  // namespace vardo
