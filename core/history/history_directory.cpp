#include "history/history_directory.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace vardo {

namespace {

bool EndsWithExtension(const std::string& name, const std::string& extension) {
    if (name.size() < extension.size() + 1) return false;
    const std::size_t dot = name.size() - extension.size() - 1;
    if (name[dot] != '.') return false;
    return std::equal(extension.begin(), extension.end(), name.begin() + dot + 1,
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

}  // namespace

std::vector<std::string> ListHistoryFiles(const std::string& dir, const std::string& extension) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.' || !EndsWithExtension(name, extension)) continue;
        // A link to a history file counts; a folder named like one does not.
        struct stat st {};
        if (::stat((dir + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vardo
