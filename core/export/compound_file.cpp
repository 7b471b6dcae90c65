#include "export/compound_file.h"

#include <algorithm>

#include "export/le_append.h"

namespace vardo {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kMiniSector = 64;
constexpr std::uint32_t kMiniCutoff = 4096;
constexpr std::uint32_t kIdsPerSector = kSector / 4;
constexpr std::uint32_t kHeaderDifat = 109;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
// Version 3 keeps stream sizes below 2 GB.
constexpr std::size_t kMaxStream = 0x7FFFFFFF;

std::uint32_t CeilDiv(std::size_t a, std::uint32_t b) {
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

void Chain(std::vector<std::uint32_t>& table, std::uint32_t first, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        table[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
    }
}

void AppendTable(Bytes& out, const std::vector<std::uint32_t>& table) {
    for (std::uint32_t id : table) AppendU32(out, id);
}

void AppendEntry(Bytes& out, std::string_view name, int type, std::uint32_t child,
                 std::uint32_t start, std::uint32_t size) {
    const std::size_t at = out.size();
    for (char c : name) AppendU16(out, static_cast<unsigned char>(c));
    out.resize(at + 64, 0);
    AppendU16(out, name.empty() ? 0 : static_cast<unsigned>(2 * (name.size() + 1)));
    AppendU8(out, type);
    AppendU8(out, type == 0 ? 0 : 1);  // black: a tree of one node needs no balancing
    AppendU32(out, kNoStream);
    AppendU32(out, kNoStream);
    AppendU32(out, child);
    out.resize(out.size() + 16 + 4 + 8 + 8, 0);  // class id, state bits, times
    AppendU32(out, start);
    AppendU64(out, size);
}

}  // namespace

bool WriteCompoundFile(std::string_view streamName, BytePieces pieces, const ByteSink& sink) {
    std::uint64_t streamSize = 0;
    for (const auto& piece : pieces) streamSize += piece.size();
    return WriteCompoundFile(
        streamName, streamSize,
        [pieces](const ByteSink& to) {
            for (const auto& piece : pieces) {
                if (!piece.empty() && !to(piece)) return false;
            }
            return true;
        },
        sink);
}

bool WriteCompoundFile(std::string_view streamName, std::uint64_t streamSize,
                       const StreamWriter& writeStream, const ByteSink& sink) {
    if (streamSize > kMaxStream || streamName.size() > 31) return false;
    const bool mini = streamSize < kMiniCutoff;
    const std::uint32_t miniSectors = mini ? CeilDiv(streamSize, kMiniSector) : 0;
    const std::uint32_t dataSectors = mini
                                          ? CeilDiv(std::size_t{miniSectors} * kMiniSector, kSector)
                                          : CeilDiv(streamSize, kSector);
    const std::uint32_t miniFatSectors = miniSectors > 0 ? 1 : 0;
    const std::uint32_t fixed = dataSectors + miniFatSectors + 1;

    // The allocation table covers every sector, its own and those of the list of its sectors
    // included, so its size is found by iterating to the fixed point.
    std::uint32_t fatSectors = 1;
    std::uint32_t difatSectors = 0;
    for (;;) {
        const std::uint32_t fat = CeilDiv(fixed + fatSectors + difatSectors, kIdsPerSector);
        const std::uint32_t difat =
            fat > kHeaderDifat ? CeilDiv(fat - kHeaderDifat, kIdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors) break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const std::uint32_t miniFatAt = dataSectors;
    const std::uint32_t directoryAt = dataSectors + miniFatSectors;
    const std::uint32_t fatAt = directoryAt + 1;
    const std::uint32_t difatAt = fatAt + fatSectors;

    // The allocation table is made a piece at a time as it goes out: for a large stream it is
    // megabytes of entries that follow from these few numbers.
    const auto fatEntry = [&](std::uint32_t i) -> std::uint32_t {
        if (i < dataSectors) return i + 1 < dataSectors ? i + 1 : kEndOfChain;
        if ((miniFatSectors > 0 && i == miniFatAt) || i == directoryAt) return kEndOfChain;
        if (i >= fatAt && i < fatAt + fatSectors) return kFatSector;
        if (i >= difatAt && i < difatAt + difatSectors) return kDifatSector;
        return kFree;
    };

    Bytes header;
    header.reserve(kSector);
    for (unsigned b : {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}) AppendU8(header, b);
    header.resize(24, 0);       // class id
    AppendU16(header, 0x003E);  // minor version
    AppendU16(header, 0x0003);  // major version 3: 512-byte sectors
    AppendU16(header, 0xFFFE);  // little-endian
    AppendU16(header, 9);       // 2^9 bytes per sector
    AppendU16(header, 6);       // 2^6 bytes per mini sector
    header.resize(header.size() + 6, 0);
    AppendU32(header, 0);  // directory sectors: always 0 in version 3
    AppendU32(header, fatSectors);
    AppendU32(header, directoryAt);
    AppendU32(header, 0);  // transactions: none
    AppendU32(header, kMiniCutoff);
    AppendU32(header, miniFatSectors > 0 ? miniFatAt : kEndOfChain);
    AppendU32(header, miniFatSectors);
    AppendU32(header, difatSectors > 0 ? difatAt : kEndOfChain);
    AppendU32(header, difatSectors);
    for (std::uint32_t i = 0; i < kHeaderDifat; ++i) {
        AppendU32(header, i < fatSectors ? fatAt + i : kFree);
    }

    Bytes tail;
    if (miniFatSectors > 0) {
        std::vector<std::uint32_t> miniFat(kIdsPerSector, kFree);
        Chain(miniFat, 0, miniSectors);
        AppendTable(tail, miniFat);
    }
    const auto size = static_cast<std::uint32_t>(streamSize);
    const std::uint32_t streamStart = streamSize == 0 ? kEndOfChain : 0;
    AppendEntry(tail, "Root Entry", 5, 1, miniSectors > 0 ? 0 : kEndOfChain,
                miniSectors * kMiniSector);
    AppendEntry(tail, streamName, 2, kNoStream, streamStart, size);
    AppendEntry(tail, {}, 0, kNoStream, 0, 0);
    AppendEntry(tail, {}, 0, kNoStream, 0, 0);
    Bytes difat;
    for (std::uint32_t d = 0; d < difatSectors; ++d) {
        for (std::uint32_t i = 0; i + 1 < kIdsPerSector; ++i) {
            const std::uint32_t f = kHeaderDifat + d * (kIdsPerSector - 1) + i;
            AppendU32(difat, f < fatSectors ? fatAt + f : kFree);
        }
        AppendU32(difat, d + 1 < difatSectors ? difatAt + d + 1 : kEndOfChain);
    }

    const Bytes padding(std::size_t{dataSectors} * kSector - streamSize, 0);
    if (!sink(header)) return false;
    std::uint64_t handed = 0;
    const bool streamed = writeStream([&](std::span<const std::uint8_t> piece) {
        handed += piece.size();
        return handed <= streamSize && sink(piece);
    });
    if (!streamed || handed != streamSize) return false;
    if ((!padding.empty() && !sink(padding)) || !sink(tail)) return false;
    Bytes fat;
    const std::uint32_t entries = fatSectors * kIdsPerSector;
    for (std::uint32_t i = 0; i < entries; ++i) {
        AppendU32(fat, fatEntry(i));
        if (fat.size() >= (1u << 16) || i + 1 == entries) {
            if (!sink(fat)) return false;
            fat.clear();
        }
    }
    return difat.empty() || sink(difat);
}

}  // namespace vardo
