#include "base/unique_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vardo {

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0 && fd_ != fd) ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::Close() {
    if (fd_ < 0) return true;
    // Linux releases the descriptor even when close reports an error: never retried.
    const bool ok = ::close(fd_) == 0;
    fd_ = -1;
    return ok;
}

bool WriteAll(int fd, ByteSpan bytes, std::int64_t offset) {
    while (!bytes.empty()) {
        const ssize_t n = offset >= 0 ? ::pwrite(fd, bytes.data(), bytes.size(), offset)
                                      : ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        if (offset >= 0) offset += n;
    }
    return true;
}

ReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                           std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    // Non-blocking, so that a FIFO given in a file's place is refused instead of hanging us.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Unusable;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadStatus::Unusable;

    // Sized from the file once; a file that changes while we read is taken as far as it goes.
    bytes.resize(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), limit));
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got == limit) break;
            bytes.resize(std::min<std::size_t>(limit, got + 65536));
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            bytes.clear();
            return ReadStatus::Unusable;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    if (got < limit) return ReadStatus::Ok;
    std::uint8_t more = 0;
    ssize_t n;
    do {
        n = ::read(fd.Get(), &more, 1);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? ReadStatus::Longer : ReadStatus::Ok;
}

}  // namespace vardo
