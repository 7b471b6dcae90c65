#include "history/interrupted_save.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <system_error>

#include "base/texts.h"
#include "base/unique_fd.h"
#include "history/history_format.h"
#include "history/history_loader.h"
#include "history/history_writer.h"

namespace vardo {

namespace {

// format with its one %s filled by value.
std::string Filled(const char* format, const std::string& value) {
    std::string text(std::strlen(format) + value.size(), '\0');
    text.resize(static_cast<std::size_t>(
        std::snprintf(text.data(), text.size() + 1, format, value.c_str())));
    return text;
}

// The writer's name for the time 0 in any zone, with its "(i)" variants and any extension the
// settings allow: address, then extension.
const std::regex& PlaceholderName() {
    static const std::regex name(
        R"(([0-9]{2,3})@(?:1970-01-01|1969-12-31)_[0-9]{2}-[0-9]{2}-[0-9]{2}(?:\([0-9]+\))?\.([A-Za-z0-9_]{1,7}))");
    return name;
}

// A file no record was ever appended to: its oldest time was never written (the creation's
// time 0 is no valid packed time) and its rings are as reserved, all zero.
bool HoldsNoRecord(const std::vector<std::uint8_t>& file) {
    if (file.size() < kHeaderSize) return false;
    if (IsValidPackedTime(file.data() + header::kOldestTime)) return false;
    return std::all_of(file.begin() + kHeaderSize, file.end(),
                       [](std::uint8_t b) { return b == 0; });
}

}  // namespace

std::vector<LeftoverSave> RecoverInterruptedSaves(const std::string& home) {
    namespace fs = std::filesystem;
    std::string dir = home;
    if (dir.empty() || dir.back() != '/') dir += '/';
    dir += "Data";
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (std::regex_match(name, PlaceholderName())) found.push_back(name);
    }
    std::sort(found.begin(), found.end());

    std::vector<LeftoverSave> done;
    for (const std::string& name : found) {
        const std::string path = dir + "/" + name;
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        // Locked by the writer of a running acquisition; ours until we close it otherwise.
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
        HistoryData h;
        if (!ReadHistoryFile(path, h)) continue;
        if (DecodeHistoryHeader(h.file, h) != HeaderCheck::Ok) {
            if (HoldsNoRecord(h.file) && ::unlink(path.c_str()) == 0)
                done.push_back({LeftoverSave::Outcome::Removed, path, {}, 0});
            continue;
        }
        std::smatch m;
        std::regex_match(name, m, PlaceholderName());
        const std::string proper = HistoryFileName(std::stoi(m[1]), h.newestTime, m[2]);
        // A file whose newest record still falls on the time 0 already has its name.
        if (std::regex_match(proper, PlaceholderName())) continue;
        errno = 0;
        const std::string moved = MoveToFreeHistoryName(path, dir, proper);
        if (moved.empty()) {
            done.push_back({LeftoverSave::Outcome::RenameFailed, path, {}, errno});
        } else {
            done.push_back({LeftoverSave::Outcome::Renamed, path, moved, 0});
        }
    }
    return done;
}

std::string LeftoverSaveMessage(const LeftoverSave& leftover) {
    std::string text = leftover.from + ": ";
    switch (leftover.outcome) {
        case LeftoverSave::Outcome::Renamed:
            return text + Filled(texts::kLeftoverRenamed, leftover.to);
        case LeftoverSave::Outcome::Removed:
            return text + texts::kLeftoverRemoved;
        case LeftoverSave::Outcome::RenameFailed:
            return text + Filled(texts::kLeftoverRenameFailed,
                                 std::strerror(leftover.error != 0 ? leftover.error : EIO));
    }
    return text;
}

}  // namespace vardo
