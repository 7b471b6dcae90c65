#pragma once
// The recorder's CF card: 256 backup slots of 2304 sectors at fixed places, no file system.
// Parsing a slot's sectors is pure; the catalogue reads them through a SectorSource.

#include <cstdint>
#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "cfcard/sector_source.h"
#include "history/history_data.h"

namespace vardo {

namespace card {
inline constexpr int kSlotCount = 256;
inline constexpr std::uint64_t kSlotSectors = 2304;
inline constexpr std::uint32_t kHeaderA = 478;
inline constexpr std::uint32_t kHeaderB = 479;
inline constexpr std::uint32_t kData = 480;
inline constexpr std::uint32_t kRanges12 = 2520;  // and 2521
inline constexpr std::uint32_t kSignature = 2528;
inline constexpr char kSignatureText[] = "TELKA_CF";
// Sectors copied per read when a backup is imported.
inline constexpr std::uint32_t kCopyRun = 37;

inline constexpr std::uint64_t SlotBase(int slot) {
    return kSlotSectors * static_cast<std::uint64_t>(slot);
}
}  // namespace card

// How a slot's check ended.
enum class BackupCheck {
    Ok,
    Unreadable,    // a sector could not be read
    NoSignature,   // no backup in this slot
    UnknownModel,  // a model code in no row of the model table
    Faulty,        // a stamp or header field the recorder cannot have written
};

// What the two header sectors say about a backup.
struct CardBackup {
    int slot = 0;
    int modelIndex = -1;
    int address = 0;
    char model[6] = {};
    VTime newestTime = 0;
    VTime oldestTime = 0;
    std::uint32_t newestIndex = 0;
    std::uint32_t capacity = 0;
    std::uint8_t intervalCode = 0;
    std::uint8_t channelCount = 0;
};

bool HasCardSignature(ByteSpan signatureSector);

// Decode header A, then header B (which needs what A said) of a backup whose signature was
// found. Every field that would later index a table or reach outside the slot is checked here;
// backup is filled only as far as the checks passed.
BackupCheck ParseHeaderA(ByteSpan headerA, CardBackup& backup);
BackupCheck ParseHeaderB(ByteSpan headerB, CardBackup& backup);

// The twelve-channel models keep their ranges in two sectors of their own.
bool HasOwnRangeSectors(int modelIndex);
// Channel ranges from the parameter blocks: for the twelve-channel models ranges is sectors 2520
// and 2521 (1024 bytes) and all twelve channels are set; for the others it is header B and the
// channels below the channel count are set. Ranges of other channels are left as they are.
void ParseChannelRanges(const CardBackup& backup, ByteSpan ranges, HistoryData& h);

// The record the writer turns into the backup's history file header.
void FillHistoryData(const CardBackup& backup, HistoryData& h);

// Reads and checks slot's signature and headers.
BackupCheck CheckBackup(SectorSource& source, int slot, CardBackup& backup);

// One slot that the catalogue shows: a backup (Ok) or a faulty one (Faulty).
struct CatalogueEntry {
    BackupCheck check = BackupCheck::Ok;
    CardBackup backup;
};

struct Catalogue {
    // False when not one signature sector could be read: the medium is not a card.
    bool readable = false;
    std::vector<CatalogueEntry> entries;  // in slot order
};

Catalogue ScanCard(SectorSource& source);

}  // namespace vardo
