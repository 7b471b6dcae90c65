#include "cfcard/disk_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vardo {

CDiskReader::~CDiskReader() {
    Close();
}

int CDiskReader::Open(const std::string& device) {
    Close();
    // Non-blocking so that a FIFO typed in as an image cannot hang the dialog.
    fd_.Reset(::open(device.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    lastError_ = fd_.Valid() ? 0 : errno;
    if (!fd_.Valid()) return 0;
    struct stat st {};
    if (::fstat(fd_.Get(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
        lastError_ = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
        Close();
        return 0;
    }
    return 1;
}

int CDiskReader::ReadSectors(std::uint64_t first, std::uint32_t count, std::uint8_t* dest) {
    if (!fd_.Valid()) return 0;
    const std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX) / kSectorSize;
    if (first > limit || count > limit - first) return 0;
    std::uint64_t offset = first * kSectorSize;
    std::size_t left = static_cast<std::size_t>(count) * kSectorSize;
    // A sector counts only when all its bytes arrived: a short read at the end of a truncated
    // image or a failing card is a failed read, never a buffer of stale bytes.
    while (left > 0) {
        const ssize_t n = ::pread(fd_.Get(), dest, left, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 0;
        dest += n;
        left -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return 1;
}

void CDiskReader::Close() {
    fd_.Reset();
}

}  // namespace vardo
