#include "base/path_text.h"

#include <sys/stat.h>

#include <optional>

#include "base/gbk_codec.h"

namespace vardo {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string PathText(std::string_view path) {
    return IsValidUtf8(path) ? std::string(path) : GbkToUtf8(path);
}

std::string PathOnDisk(std::string_view text) {
    std::string own(text);
    if (Exists(own)) return own;
    const std::optional<std::string> gbk = Utf8ToGbk(text);
    if (gbk && *gbk != own && Exists(*gbk)) return *gbk;
    return own;
}

}  // namespace vardo
