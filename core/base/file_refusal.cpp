#include "base/file_refusal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/unique_fd.h"

namespace vardo {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file in folder that no one can see, written one byte: refused where the folder may not be
// written, on a read-only or full file system.
int ProbeFolder(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    std::string named;
    if (!fd.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, removed at once.
        named = folder + "/.vardo-probe-XXXXXX";
        fd = UniqueFd(::mkstemp(named.data()));
        if (fd.Valid()) ::unlink(named.c_str());
    }
    if (!fd.Valid()) return errno;
    const char byte = 0;
    if (::write(fd.Get(), &byte, 1) != 1) return errno != 0 ? errno : ENOSPC;
    if (::fsync(fd.Get()) != 0) return errno;
    return 0;
}

}  // namespace

std::string FileCreateRefusalReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
        if (::access(path.c_str(), W_OK) != 0) return std::strerror(errno);
    }
    return FolderWriteRefusalReason(FolderOf(path));
}

std::string FolderWriteRefusalReason(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return std::strerror(ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    const int probe = ProbeFolder(folder);
    return probe != 0 ? std::strerror(probe) : std::string();
}

std::string WithReason(const std::string& message, const std::string& path,
                       const std::string& reason) {
    return reason.empty() ? message : message + "\n" + path + ": " + reason;
}

}  // namespace vardo
