#include "cfcard/card_import.h"

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "base/texts.h"

namespace vardo {

const char* ImportMessage(ImportResult result) {
    switch (result) {
        case ImportResult::Done:
            return texts::kCardUploadDone;
        case ImportResult::SectorDamaged:
            return texts::kSectorDamaged;
        case ImportResult::NoBackup:
            return texts::kCardFileMissing;
        case ImportResult::Faulty:
            return texts::kCardBackupFaulty;
        case ImportResult::CreateFailed:
            return texts::kCardCreateFailed;
        case ImportResult::Stopped:
            break;
    }
    return nullptr;
}

ImportResult ImportBackup(SectorSource& source, const ImportRequest& request,
                          CHistoryWriter& writer, HistoryData& h) {
    CardBackup backup;
    switch (CheckBackup(source, request.slot, backup)) {
        case BackupCheck::Ok:
            break;
        case BackupCheck::NoSignature:
            return ImportResult::NoBackup;
        case BackupCheck::Faulty:
            return ImportResult::Faulty;
        case BackupCheck::Unreadable:
        case BackupCheck::UnknownModel:
            return ImportResult::SectorDamaged;
    }
    FillHistoryData(backup, h);

    const std::uint64_t base = card::SlotBase(request.slot);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(card::kCopyRun) * kSectorSize);
    if (HasOwnRangeSectors(backup.modelIndex)) {
        if (!source.ReadSectors(base + card::kRanges12, 2, buffer.data()))
            return ImportResult::SectorDamaged;
        ParseChannelRanges(backup, ByteSpan(buffer.data(), 2 * kSectorSize), h);
    } else {
        if (!source.ReadSectors(base + card::kHeaderB, 1, buffer.data()))
            return ImportResult::SectorDamaged;
        ParseChannelRanges(backup, ByteSpan(buffer.data(), kSectorSize), h);
    }

    writer.SetTarget(&h, request.extension, backup.address, request.home);
    if (!writer.CreateUnnamed()) return ImportResult::CreateFailed;

    // The headers were checked to keep the data inside the slot, and capacities are whole
    // sectors, so the area is a whole number of sectors.
    const std::uint64_t bytes = static_cast<std::uint64_t>(backup.channelCount) * backup.capacity;
    const auto total = static_cast<std::uint32_t>(bytes / kSectorSize);
    for (std::uint32_t done = 0; done < total;) {
        if (request.stop != nullptr && request.stop->load()) {
            writer.Discard();
            return ImportResult::Stopped;
        }
        if (request.progress) request.progress(done, total);
        // The last run reads only the sectors left, so a backup at the card's very end imports.
        const std::uint32_t run = std::min(card::kCopyRun, total - done);
        if (!source.ReadSectors(base + card::kData + done, run, buffer.data())) {
            writer.Discard();
            return ImportResult::SectorDamaged;
        }
        const std::size_t count = static_cast<std::size_t>(run) * kSectorSize;
        if (writer.WriteData(buffer.data(), count,
                             static_cast<std::uint64_t>(done) * kSectorSize) !=
            static_cast<long>(count)) {
            writer.Discard();
            return ImportResult::CreateFailed;
        }
        done += run;
    }
    if (request.progress) request.progress(total, total);
    if (!writer.Close()) {
        // Whatever name the file got, a file whose last writes may be missing must not stay.
        if (!writer.GetPath().empty()) ::unlink(writer.GetPath().c_str());
        return ImportResult::CreateFailed;
    }
    return ImportResult::Done;
}

}  // namespace vardo
