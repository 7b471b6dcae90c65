#include "cfcard/cf_card.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "base/model_table.h"
#include "history/ring.h"

namespace vardo {

namespace {

namespace headerA {
inline constexpr std::size_t kModel = 0;
inline constexpr std::size_t kNewestSlot = 16;
inline constexpr std::size_t kStamp = 32;
}  // namespace headerA

namespace headerB {
inline constexpr std::size_t kChannelCount = 12;
inline constexpr std::size_t kIntervalCode = 13;
inline constexpr std::size_t kAddress = 14;
inline constexpr std::size_t kBlocks = 48;
}  // namespace headerB

inline constexpr std::size_t kParameterBlock = 48;
inline constexpr std::size_t kRanges12Blocks = 272;  // from the start of sector 2520

// Sectors a slot holds in front of its signature for the data area.
inline constexpr std::uint64_t kDataAreaSectors = card::kSignature - card::kData;

// The recorder's stamp, checked as the card's backups are checked: the year byte up to 99.
bool IsValidStamp(const std::uint8_t* b) {
    return b[0] <= 99 && b[1] >= 1 && b[1] <= 12 && b[2] >= 1 && b[2] <= 31 && b[3] <= 23 &&
           b[4] <= 59 && b[5] <= 59;
}

int ModelIndexOf(std::string_view code) {
    for (int i = 0; i < kModelCount; ++i)
        if (code == ModelTable[static_cast<std::size_t>(i)].code) return i;
    return -1;
}

void SetRange(const std::uint8_t* block, HistoryData& h, int k) {
    const auto low = static_cast<std::int16_t>(block[0] | (block[1] << 8));
    const auto high = static_cast<std::int16_t>(block[3] | (block[4] << 8));
    h.rangeLow[static_cast<std::size_t>(k)] = MakeDecimal(low, block[2]);
    h.rangeHigh[static_cast<std::size_t>(k)] = MakeDecimal(high, block[2]);
}

}  // namespace

bool HasCardSignature(ByteSpan sector) {
    const std::size_t n = sizeof card::kSignatureText - 1;
    return HasBytes(sector, 0, n) && std::memcmp(sector.data(), card::kSignatureText, n) == 0;
}

BackupCheck ParseHeaderA(ByteSpan a, CardBackup& backup) {
    if (!HasBytes(a, 0, kSectorSize)) return BackupCheck::Unreadable;
    // The code is NUL-terminated within its five bytes.
    const char* codeBytes = reinterpret_cast<const char*>(a.data() + headerA::kModel);
    const std::string_view code(codeBytes, strnlen(codeBytes, 5));
    const int modelIndex = ModelIndexOf(code);
    if (modelIndex < 0) return BackupCheck::UnknownModel;
    const std::uint8_t* stamp = a.data() + headerA::kStamp;
    if (!IsValidStamp(stamp)) return BackupCheck::Faulty;
    const std::uint32_t capacity = ModelTable[static_cast<std::size_t>(modelIndex)].historyCapacity;
    const std::uint32_t newestIndex = *ReadU24LE(a, headerA::kNewestSlot);
    // A newest slot outside the ring would send every later ring step outside the file.
    if (newestIndex >= capacity) return BackupCheck::Faulty;

    backup.modelIndex = modelIndex;
    std::memset(backup.model, 0, sizeof backup.model);
    std::copy(code.begin(), code.end(), backup.model);
    backup.capacity = capacity;
    backup.newestIndex = newestIndex;
    backup.newestTime =
        MakeLocalTime(2000 + stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], stamp[5]);
    return BackupCheck::Ok;
}

BackupCheck ParseHeaderB(ByteSpan b, CardBackup& backup) {
    if (!HasBytes(b, 0, kSectorSize) || backup.modelIndex < 0) return BackupCheck::Unreadable;
    const std::uint8_t channelCount = b[headerB::kChannelCount];
    const std::uint8_t intervalCode = b[headerB::kIntervalCode];
    // Fields that index the interval table and the twelve channel arrays, and a data area that
    // must end before the signature sector: a backup that breaks any of them was not written
    // whole, and reading it would mean reading outside the slot.
    if (!IsValidIntervalCode(intervalCode)) return BackupCheck::Faulty;
    if (channelCount < 1 || channelCount > kMaxChannels) return BackupCheck::Faulty;
    const std::uint64_t dataSectors =
        static_cast<std::uint64_t>(channelCount) * backup.capacity / kSectorSize;
    if (dataSectors > kDataAreaSectors) return BackupCheck::Faulty;

    backup.channelCount = channelCount;
    backup.intervalCode = intervalCode;
    backup.address = b[headerB::kAddress];
    backup.oldestTime = backup.newestTime - static_cast<VTime>(IntervalTable[intervalCode]) *
                                                (static_cast<VTime>(backup.capacity) - 1);
    return BackupCheck::Ok;
}

bool HasOwnRangeSectors(int modelIndex) {
    return modelIndex == 3 || modelIndex == 6 || modelIndex == 7;
}

void ParseChannelRanges(const CardBackup& backup, ByteSpan ranges, HistoryData& h) {
    const bool own = HasOwnRangeSectors(backup.modelIndex);
    const std::size_t first = own ? kRanges12Blocks : headerB::kBlocks;
    const int count = own ? kMaxChannels : std::min<int>(backup.channelCount, kMaxChannels);
    for (int k = 0; k < count; ++k) {
        const std::size_t at = first + kParameterBlock * static_cast<std::size_t>(k);
        // Only the first six bytes of a block are its configuration; a block that does not fit
        // in what was read keeps the channel's range as it was.
        if (!HasBytes(ranges, at, 6)) break;
        SetRange(ranges.data() + at, h, k);
    }
}

void FillHistoryData(const CardBackup& backup, HistoryData& h) {
    std::memset(h.model, 0, sizeof h.model);
    std::memcpy(h.model, backup.model, sizeof backup.model);
    h.newestTime = backup.newestTime;
    h.oldestTime = backup.oldestTime;
    h.capacity = backup.capacity;
    h.oldestIndex = 0;
    h.newestIndex = backup.newestIndex;
    h.windowStart = 0;
    h.hasOldestTime = 0;
    h.channelEnabled.fill(1);
    h.channelCount = backup.channelCount;
    h.intervalCode = backup.intervalCode;
    h.sampleWidth = 1;
}

BackupCheck CheckBackup(SectorSource& source, int slot, CardBackup& backup) {
    if (slot < 0 || slot >= card::kSlotCount) return BackupCheck::NoSignature;
    const std::uint64_t base = card::SlotBase(slot);
    std::array<std::uint8_t, kSectorSize> sector{};
    if (!source.ReadSectors(base + card::kSignature, 1, sector.data()))
        return BackupCheck::Unreadable;
    if (!HasCardSignature(sector)) return BackupCheck::NoSignature;
    CardBackup found;
    found.slot = slot;
    if (!source.ReadSectors(base + card::kHeaderA, 1, sector.data()))
        return BackupCheck::Unreadable;
    if (const BackupCheck a = ParseHeaderA(sector, found); a != BackupCheck::Ok) return a;
    if (!source.ReadSectors(base + card::kHeaderB, 1, sector.data()))
        return BackupCheck::Unreadable;
    if (const BackupCheck b = ParseHeaderB(sector, found); b != BackupCheck::Ok) return b;
    backup = found;
    return BackupCheck::Ok;
}

Catalogue ScanCard(SectorSource& source) {
    Catalogue catalogue;
    std::array<std::uint8_t, kSectorSize> probe{};
    for (int slot = 0; slot < card::kSlotCount; ++slot) {
        CatalogueEntry entry;
        entry.check = CheckBackup(source, slot, entry.backup);
        entry.backup.slot = slot;  // a faulty backup is reported by its slot too
        if (entry.check != BackupCheck::Unreadable)
            catalogue.readable = true;
        else if (!catalogue.readable)
            // Unreadable may mean a header rather than the signature: ask for that alone.
            catalogue.readable =
                source.ReadSectors(card::SlotBase(slot) + card::kSignature, 1, probe.data()) != 0;
        if (entry.check == BackupCheck::Ok || entry.check == BackupCheck::Faulty)
            catalogue.entries.push_back(entry);
    }
    return catalogue;
}

}  // namespace vardo
