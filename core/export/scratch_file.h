#pragma once
// A temporary stream for what a file format holds back until its end (the cells of an .xls
// sheet come after the table of all its texts): an unnamed file, so that a large export keeps
// its rows on disk rather than in memory and nothing of it outlives the export, whatever ends
// the program.

#include <cstdint>
#include <span>
#include <string>

#include "base/le_bytes.h"
#include "base/unique_fd.h"
#include "export/compound_file.h"
#include "export/le_append.h"

namespace vardo {

class ScratchFile {
  public:
    ScratchFile() = default;
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Opens an unnamed file in dir (the export's folder, so that it takes room where the export
    // will), else in the temporary folder. 0, or the errno that refused it.
    [[nodiscard]] int Open(const std::string& dir);
    // Appends bytes; false when the file cannot take them (Error says why).
    [[nodiscard]] bool Append(ByteSpan bytes) {
        if (buffer_.size() + bytes.size() > kBuffer && !Flush()) return false;
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        return true;
    }
    // Bytes appended so far.
    std::uint64_t Size() const { return written_ + buffer_.size(); }
    // Hands bytes [from, from + length) to sink in pieces; false when they cannot be read back
    // or sink refuses one.
    [[nodiscard]] bool CopyTo(std::uint64_t from, std::uint64_t length, const ByteSink& sink);
    // Reads bytes [from, from + out.size()) into out.
    [[nodiscard]] bool Read(std::uint64_t from, std::span<std::uint8_t> out);
    // The errno behind the last failure.
    int Error() const { return error_; }

  private:
    static constexpr std::size_t kBuffer = 1u << 16;
    [[nodiscard]] bool Flush();

    UniqueFd fd_;
    Bytes buffer_;
    std::uint64_t written_ = 0;
    int error_ = 0;
};

}  // namespace vardo
