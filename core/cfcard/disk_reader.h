#pragma once
// Raw sectors of a whole-disk block device (the card reader's /dev/sdX, never a partition:
// the recorder's sector numbers are absolute) or of a card image file. Only ever opened for
// reading: nothing in the program writes a card.

#include <cstdint>
#include <string>

#include "base/unique_fd.h"
#include "cfcard/sector_source.h"

namespace vardo {

class CDiskReader : public SectorSource {
  public:
    CDiskReader() = default;
    ~CDiskReader() override;
    CDiskReader(const CDiskReader&) = delete;
    CDiskReader& operator=(const CDiskReader&) = delete;

    // 1 when the device could be opened for reading, else 0 with the reason in LastError().
    int Open(const std::string& device);
    int ReadSectors(std::uint64_t first, std::uint32_t count, std::uint8_t* dest) override;
    void Close();

    bool IsOpen() const { return fd_.Valid(); }
    // errno of the failed Open, 0 after a successful one.
    int LastError() const { return lastError_; }

  private:
    UniqueFd fd_;
    int lastError_ = 0;
};

}  // namespace vardo
