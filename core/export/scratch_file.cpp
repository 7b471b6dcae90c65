#include "export/scratch_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vardo {

namespace {

int OpenUnnamedIn(const std::string& dir) {
    return ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
}

// Where the file system has no unnamed files: a named one, unlinked at once.
int OpenUnlinkedIn(const std::string& dir) {
    std::string name = dir + "/.vardo-scratch-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
    return fd;
}

}  // namespace

int ScratchFile::Open(const std::string& dir) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string temporary = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    int fd = OpenUnnamedIn(dir);
    if (fd < 0) fd = OpenUnnamedIn(temporary);
    if (fd < 0) fd = OpenUnlinkedIn(temporary);
    if (fd < 0) {
        error_ = errno;
        return error_;
    }
    fd_.Reset(fd);
    buffer_.clear();
    buffer_.reserve(kBuffer);
    written_ = 0;
    error_ = 0;
    return 0;
}

bool ScratchFile::Flush() {
    if (buffer_.empty()) return true;
    if (!fd_.Valid() || !WriteAll(fd_.Get(), buffer_, static_cast<std::int64_t>(written_))) {
        error_ = fd_.Valid() && errno != 0 ? errno : EIO;
        return false;
    }
    written_ += buffer_.size();
    buffer_.clear();
    return true;
}

bool ScratchFile::Read(std::uint64_t from, std::span<std::uint8_t> out) {
    if (!Flush()) return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_.Get(), out.data() + done, out.size() - done,
                                  static_cast<off_t>(from + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ScratchFile::CopyTo(std::uint64_t from, std::uint64_t length, const ByteSink& sink) {
    Bytes piece(static_cast<std::size_t>(std::min<std::uint64_t>(length, kBuffer)));
    while (length > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(length, piece.size()));
        if (!Read(from, {piece.data(), n}) || !sink({piece.data(), n})) return false;
        from += n;
        length -= n;
    }
    return true;
}

}  // namespace vardo
