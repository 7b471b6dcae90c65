// A card is whatever the user puts in the reader. Whatever its header sectors hold and wherever
// the medium ends, the catalogue must list, refuse or skip each slot without reading outside
// its buffers, and what it accepts must keep the import inside the slot and the tables.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "cfcard/cf_card.h"
#include "history/ring.h"

namespace {

using namespace vardo;

// Input: two bytes of medium length in sectors past the first signature, then the contents of
// the signature sector, header A, header B and the two range sectors of slot 0.
constexpr std::uint32_t kFuzzedSectors[] = {card::kSignature, card::kHeaderA, card::kHeaderB,
                                            card::kRanges12, card::kRanges12 + 1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> image((card::kSignature + 64) * kSectorSize);
    if (size < 2) return 0;
    const std::size_t sectors =
        std::min<std::size_t>(card::kSignature + 1 + (data[0] | (data[1] << 8)) % 64,
                              image.size() / kSectorSize) -
        (data[0] & 1);  // sometimes cut just before the signature
    data += 2;
    size -= 2;
    for (std::uint32_t s : kFuzzedSectors) {
        std::uint8_t* sector = image.data() + s * kSectorSize;
        const std::size_t n = std::min<std::size_t>(size, kSectorSize);
        std::fill(sector, sector + kSectorSize, 0);
        std::copy(data, data + n, sector);
        data += n;
        size -= n;
    }
    MemorySectors source(std::span(image.data(), sectors * kSectorSize));
    const Catalogue catalogue = ScanCard(source);
    if (catalogue.entries.size() > 1) std::abort();
    for (const CatalogueEntry& e : catalogue.entries) {
        if (e.check != BackupCheck::Ok) continue;
        const CardBackup& b = e.backup;
        const std::uint64_t end = card::kData + std::uint64_t{b.channelCount} * b.capacity / 512;
        if (b.channelCount < 1 || b.channelCount > kMaxChannels || end > card::kSignature ||
            b.newestIndex >= b.capacity || !IsValidIntervalCode(b.intervalCode) ||
            b.modelIndex < 0 || b.modelIndex >= 8)
            std::abort();
        HistoryData h;
        FillHistoryData(b, h);
        std::array<std::uint8_t, 2 * kSectorSize> ranges{};
        const std::uint64_t first =
            HasOwnRangeSectors(b.modelIndex) ? card::kRanges12 : card::kHeaderB;
        if (source.ReadSectors(first, HasOwnRangeSectors(b.modelIndex) ? 2 : 1, ranges.data()))
            ParseChannelRanges(
                b,
                ByteSpan(ranges.data(),
                         HasOwnRangeSectors(b.modelIndex) ? ranges.size() : kSectorSize),
                h);
    }
    return 0;
}
