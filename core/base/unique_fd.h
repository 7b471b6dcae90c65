#pragma once
// Files and descriptors, handled one way throughout: a descriptor that closes itself, a write
// that either finishes or fails, and a read of a regular file that neither a FIFO in its place
// nor a file of unexpected size can stall or swell.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/le_bytes.h"

namespace vardo {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1);
    // Closes now. false when the close itself failed: some file systems report a lost write only
    // there, and a writer must not call such a file complete.
    [[nodiscard]] bool Close();

  private:
    int fd_ = -1;
};

// Writes every byte, at offset when it is 0 or more, else at the descriptor's position. A full
// non-blocking descriptor is waited for. false on any other failure.
[[nodiscard]] bool WriteAll(int fd, ByteSpan bytes, std::int64_t offset = -1);

enum class ReadStatus {
    Ok,
    Longer,    // the file holds more than the limit; bytes holds its first limit bytes
    Missing,   // no file of that name
    Unusable,  // not a regular file, not readable, or a read failed; bytes is empty
};

// Reads at most limit bytes of the regular file at path into bytes.
ReadStatus ReadRegularFile(const std::string& path, std::size_t limit,
                           std::vector<std::uint8_t>& bytes);

}  // namespace vardo
