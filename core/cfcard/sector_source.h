#pragma once
// Whole 512-byte sectors by absolute number: what the card catalogue needs from a medium. The
// card reader device and a card image in memory (tests, fuzzing, benchmarks) both provide it.

#include <cstdint>
#include <cstring>
#include <span>

namespace vardo {

inline constexpr std::uint32_t kSectorSize = 512;

class SectorSource {
  public:
    virtual ~SectorSource() = default;
    // Reads count whole sectors from sector first into dest (count * 512 bytes). 1 only when
    // every byte arrived, else 0; dest may then hold part of the data.
    virtual int ReadSectors(std::uint64_t first, std::uint32_t count, std::uint8_t* dest) = 0;
};

// A card image held in memory; sectors beyond its end cannot be read.
class MemorySectors : public SectorSource {
  public:
    explicit MemorySectors(std::span<const std::uint8_t> image) : image_(image) {}
    int ReadSectors(std::uint64_t first, std::uint32_t count, std::uint8_t* dest) override {
        const std::uint64_t sectors = image_.size() / kSectorSize;
        if (first > sectors || count > sectors - first) return 0;
        std::memcpy(dest, image_.data() + first * kSectorSize,
                    static_cast<std::size_t>(count) * kSectorSize);
        return 1;
    }

  private:
    std::span<const std::uint8_t> image_;
};

}  // namespace vardo
