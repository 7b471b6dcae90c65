#pragma once
// CF card images for tests: backups laid out sector by sector as a recorder writes them, with
// sectors that can be made unreadable, held sparsely in memory or written as a sparse file.

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "base/model_table.h"
#include "cfcard/cf_card.h"
#include "history/ring.h"
#include "support/history_file_builder.h"

namespace vardo::testing {

struct BackupLayout {
    int slot = 0;
    std::string model = "ZT330";  // up to five characters, NUL-padded on the card
    PackedTime stamp = {26, 3, 4, 12, 0, 0};
    std::uint32_t newestSlot = 1000;
    int channelCount = 3;
    int intervalCode = 3;
    int address = 7;
    bool signature = true;
    bool data = true;  // the rings; the catalogue never reads them
    // (low, decimals, high) of each channel's parameter block; channel k defaults to
    // (-k, 1, 1000 + k).
    std::vector<std::array<int, 3>> ranges;
    std::function<std::uint8_t(int ch, std::uint32_t slot)> sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>((s * 13 + static_cast<std::uint32_t>(ch) * 71) & 0xFF);
    };

    std::array<int, 3> Range(int k) const {
        if (static_cast<std::size_t>(k) < ranges.size()) return ranges[k];
        return {-k, 1, 1000 + k};
    }
    int ModelIndex() const { return RowOfCode(model); }
    std::uint32_t Capacity() const { return CapacityOfCode(model); }
    // The twelve-channel models keep their ranges in sectors of their own.
    bool OwnRangeSectors() const {
        const int i = ModelIndex();
        return i == 3 || i == 6 || i == 7;
    }
};

class CardImage : public SectorSource {
  public:
    // By default just large enough for all 256 slots: the last signature lies beyond 256 x 2304.
    explicit CardImage(std::uint64_t sectors = card::SlotBase(255) + card::kSignature + 1)
        : sectors_(sectors) {}

    void Put(std::uint64_t sector, std::size_t offset, const void* bytes, std::size_t n) {
        auto& s = data_[sector + offset / kSectorSize];
        s.resize(kSectorSize);
        const std::size_t sector_size = kSectorSize;
        const std::size_t at = offset % sector_size;
        const std::size_t first = std::min(n, sector_size - at);
        std::memcpy(s.data() + at, bytes, first);
        if (first < n)
            Put(sector + offset / kSectorSize + 1, 0,
                static_cast<const std::uint8_t*>(bytes) + first, n - first);
    }

    void Add(const BackupLayout& b) {
        const std::uint64_t base = card::SlotBase(b.slot);
        if (b.signature) Put(base + card::kSignature, 0, card::kSignatureText, 8);
        std::uint8_t a[kSectorSize] = {};
        std::memcpy(a, b.model.data(), std::min<std::size_t>(5, b.model.size()));
        PutU24LE(a + 16, b.newestSlot);
        std::memcpy(a + 32, b.stamp.data(), 6);
        Put(base + card::kHeaderA, 0, a, sizeof a);
        std::uint8_t h[kSectorSize] = {};
        h[12] = static_cast<std::uint8_t>(b.channelCount);
        h[13] = static_cast<std::uint8_t>(b.intervalCode);
        h[14] = static_cast<std::uint8_t>(b.address);
        const bool own = b.ModelIndex() >= 0 && b.OwnRangeSectors();
        std::uint8_t r[2 * kSectorSize] = {};
        for (int k = 0; k < kMaxChannels; ++k) {
            std::uint8_t block[6] = {};
            const auto range = b.Range(k);
            PutU16LE(block, static_cast<std::uint16_t>(range[0]));
            block[2] = static_cast<std::uint8_t>(range[1]);
            PutU16LE(block + 3, static_cast<std::uint16_t>(range[2]));
            if (own)
                std::memcpy(r + 272 + 48 * k, block, 6);
            else if (48 + 48 * k + 6 <= static_cast<int>(kSectorSize))
                std::memcpy(h + 48 + 48 * k, block, 6);
        }
        Put(base + card::kHeaderB, 0, h, sizeof h);
        if (own) Put(base + card::kRanges12, 0, r, sizeof r);
        if (!b.data) return;
        const std::uint32_t capacity = b.ModelIndex() >= 0 ? b.Capacity() : 131072;
        const int channels = std::min(b.channelCount, kMaxChannels);
        std::vector<std::uint8_t> ring(capacity);
        for (int ch = 0; ch < channels; ++ch) {
            for (std::uint32_t s = 0; s < capacity; ++s) ring[s] = b.sample(ch, s);
            const std::uint64_t at = static_cast<std::uint64_t>(ch) * capacity;
            const std::uint64_t last = base + card::kData + (at + capacity) / kSectorSize;
            if (last > sectors_) break;  // a backup cut off by the card's end
            Put(base + card::kData, at, ring.data(), ring.size());
        }
    }

    void MakeUnreadable(std::uint64_t sector) { bad_.insert(sector); }
    std::uint64_t sectors() const { return sectors_; }
    int reads = 0;

    int ReadSectors(std::uint64_t first, std::uint32_t count, std::uint8_t* dest) override {
        ++reads;
        if (first > sectors_ || count > sectors_ - first) return 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (bad_.count(first + i)) return 0;
            const auto it = data_.find(first + i);
            if (it == data_.end())
                std::memset(dest + i * kSectorSize, 0, kSectorSize);
            else
                std::memcpy(dest + i * kSectorSize, it->second.data(), kSectorSize);
        }
        return 1;
    }

    // A sparse file of the image's size: what `dd` of the card would give.
    bool WriteFile(const std::string& path) const {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        bool ok = ::ftruncate(fd, static_cast<off_t>(sectors_ * kSectorSize)) == 0;
        for (const auto& [sector, bytes] : data_)
            if (sector < sectors_)
                ok = ok && ::pwrite(fd, bytes.data(), kSectorSize,
                                    static_cast<off_t>(sector * kSectorSize)) ==
                               static_cast<ssize_t>(kSectorSize);
        return ::close(fd) == 0 && ok;
    }

  private:
    std::uint64_t sectors_;
    std::map<std::uint64_t, std::vector<std::uint8_t>> data_;
    std::set<std::uint64_t> bad_;
};

// The history file an import of b must give, built from the file layout alone.
inline std::vector<std::uint8_t> ExpectedImport(const BackupLayout& b) {
    FileLayout f;
    f.model = b.model;
    f.channelCount = b.channelCount;
    const VTime newest = UnpackTime(b.stamp);
    f.newest = PackTime(newest);
    f.newestSlot = b.newestSlot;
    f.intervalCode = b.intervalCode;
    f.hasOldestByte = 0;
    f.oldest = PackTime(newest - static_cast<VTime>(IntervalTable[b.intervalCode]) *
                                     (static_cast<VTime>(b.Capacity()) - 1));
    f.present.assign(kMaxChannels, 1);
    for (int k = 0; k < kMaxChannels; ++k) {
        const bool onCard = b.OwnRangeSectors() || k < b.channelCount;
        const auto r = b.Range(k);
        f.ranges.push_back(onCard ? std::array<int, 4>{r[0], r[1], r[2], r[1]}
                                  : std::array<int, 4>{0, 0, 0, 0});
    }
    f.sample = b.sample;
    return BuildFile(f);
}

}  // namespace vardo::testing
