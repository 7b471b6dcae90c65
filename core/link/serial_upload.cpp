#include "link/serial_upload.h"

#include <cstdio>
#include <cstring>

#include "base/texts.h"
#include "history/history_writer.h"
#include "history/ring.h"
#include "link/recorder_registers.h"
#include "settings/module_directory.h"

namespace vardo {

namespace {

constexpr int kChannelCountAttempts = 3;
constexpr int kConfigAttempts = 4;
constexpr int kHistoryAttempts = 4;
constexpr int kRetryPauseMs = 50;
constexpr int kPairRounds = 3;

}  // namespace

const char* UploadMessage(UploadStatus status) {
    switch (status) {
        case UploadStatus::OpenFailed:
            return texts::kOpenPortFailed;
        case UploadStatus::CommFailed:
            return texts::kCommFailed;
        case UploadStatus::SpanReversed:
            return texts::kStartBeforeEnd;
        case UploadStatus::StartOutOfRange:
            return texts::kStartOutOfRange;
        case UploadStatus::EndOutOfRange:
            return texts::kEndOutOfRange;
        case UploadStatus::FileFailed:
            return texts::kFileCreateFailed;
        default:
            return nullptr;
    }
}

MessageIcon UploadIcon(UploadStatus status) {
    switch (status) {
        case UploadStatus::SpanReversed:
        case UploadStatus::StartOutOfRange:
        case UploadStatus::EndOutOfRange:
        case UploadStatus::NoChannels:
            return MessageIcon::Information;
        default:
            return MessageIcon::Error;
    }
}

void ReportUpload(UploadStatus status, Reporter& reporter) {
    if (const char* text = UploadMessage(status)) reporter.ShowMessage(text, UploadIcon(status));
}

CSerialUpload::CSerialUpload(CRecorderLink& l, int index)
    : link(l), modelIndex(index), header(std::make_unique<HistoryData>()) {}

UploadStatus CSerialUpload::ReadTimeRange() {
    range.channelCount = 0;
    if (!IsValidModelIndex(modelIndex)) return UploadStatus::CommFailed;
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(modelIndex)];
    VTime newest = 0;
    if (!link.ReadStamp(row.newestStampAddress, newest)) return UploadStatus::CommFailed;
    int code = 0;
    if (!ReadIntervalCode(link, row, {}, code)) return UploadStatus::CommFailed;
    range.newestTime = newest;
    range.intervalCode = code;
    range.oldestTime = OldestRecordTime(newest, IntervalTable[static_cast<std::size_t>(code)],
                                        row.historyCapacity);
    rangeKnown = true;
    int count = 0;
    if (!ReadChannelCount(link, row, {kChannelCountAttempts, kRetryPauseMs}, count)) {
        return UploadStatus::CommFailed;
    }
    range.channelCount = count;
    return UploadStatus::Done;
}

int CSerialUpload::ReadChannelRange(int channel) {
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(modelIndex)];
    ChannelRange r;
    if (!vardo::ReadChannelRange(link, row, channel, {kConfigAttempts, kRetryPauseMs}, r)) {
        return 0;
    }
    header->rangeLow[static_cast<std::size_t>(channel)] = r.low;
    header->rangeHigh[static_cast<std::size_t>(channel)] = r.high;
    return 1;
}

// The pointer is read long after the stamp when a dialog waits for the user; a page finished
// in between moves the pointer, and a stale stamp would then label every record wrongly. The
// stamp is read again after the pointer until both name the same record.
int CSerialUpload::ReadNewestPair() {
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(modelIndex)];
    VTime newest = range.newestTime;
    for (int round = 0; round < kPairRounds; ++round) {
        if (!link.ReadWritePointer(row.writePointerAddress, writePointer)) return 0;
        VTime after = 0;
        if (!link.ReadStamp(row.newestStampAddress, after)) return 0;
        if (after == newest) {
            range.newestTime = newest;
            range.oldestTime = OldestRecordTime(
                newest, IntervalTable[static_cast<std::size_t>(range.intervalCode)],
                row.historyCapacity);
            return 1;
        }
        newest = after;
    }
    return 0;
}

UploadStatus CSerialUpload::Prepare(const UploadChoice& choice) {
    if (!rangeKnown || !IsValidModelIndex(modelIndex)) return UploadStatus::CommFailed;
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(modelIndex)];
    bool anySelected = false;
    for (int i = 0; i < range.channelCount && i < kMaxChannels; ++i) {
        anySelected = anySelected || choice.channels[static_cast<std::size_t>(i)];
    }
    if (!anySelected) return UploadStatus::NoChannels;

    if (!ReadNewestPair()) return UploadStatus::CommFailed;
    // A pointer beyond the ring cannot name a record; walking from it would fetch the wrong ones.
    if (writePointer >= row.historyCapacity) return UploadStatus::CommFailed;

    const VTime newest = range.newestTime;
    VTime start = range.oldestTime;
    VTime end = newest;
    if (!choice.all) {
        start = choice.start;
        end = choice.end;
        switch (CheckSpan(start, end, range.oldestTime, newest)) {
            case SpanCheck::Reversed:
                return UploadStatus::SpanReversed;
            case SpanCheck::StartOutOfRange:
                return UploadStatus::StartOutOfRange;
            case SpanCheck::EndOutOfRange:
                return UploadStatus::EndOutOfRange;
            case SpanCheck::Ok:
                break;
        }
    }
    const int iv = IntervalTable[static_cast<std::size_t>(range.intervalCode)];
    const AlignedSpan span = AlignToGrid(start, end, newest, iv);
    plan = PlanBlocks(span, newest, iv, writePointer, row.historyCapacity);

    HistoryData& h = *header;
    std::memset(h.model, 0, sizeof h.model);
    std::memcpy(h.model, row.code, 5);
    h.newestTime = span.end;
    h.oldestTime = span.start;
    h.newestIndex = static_cast<std::uint32_t>(plan.lastRecord);
    h.oldestIndex = 0;
    h.capacity = row.historyCapacity;
    h.intervalCode = static_cast<std::uint8_t>(range.intervalCode);
    h.channelCount = static_cast<std::uint8_t>(range.channelCount);
    for (int i = 0; i < kMaxChannels; ++i) {
        h.channelEnabled[static_cast<std::size_t>(i)] =
            i < range.channelCount && choice.channels[static_cast<std::size_t>(i)] ? 1 : 0;
    }
    // Even the whole memory is marked with its oldest time: the records fetched stop one short
    // of a full ring, and a file claiming a full ring would show a record of zeros before them.
    h.hasOldestTime = 1;

    for (int i = 0; i < range.channelCount; ++i) {
        if (!h.channelEnabled[static_cast<std::size_t>(i)]) continue;
        if (!ReadChannelRange(i)) return UploadStatus::CommFailed;
    }
    return UploadStatus::Done;
}

int CSerialUpload::ReadBlock(int channel, std::uint32_t index, std::uint8_t* block) {
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(modelIndex)];
    const BlockPieces pieces = SplitBlock(index, row.historyCapacity);
    auto read = [&](std::uint32_t slot, std::uint8_t* dest, std::uint32_t length) {
        return WithRetries({kHistoryAttempts, kRetryPauseMs}, [&] {
            return link.ReadHistory(HistoryAddress(row, channel, slot),
                                    std::span<std::uint8_t>(dest, length));
        });
    };
    if (pieces.firstLength == 0) return 0;
    if (!read(index, block, pieces.firstLength)) return 0;
    if (pieces.secondLength > 0 && !read(0, block + pieces.firstLength, pieces.secondLength)) {
        return 0;
    }
    return 1;
}

UploadStatus CSerialUpload::Run(const UploadTarget& target, const UploadProgress& progress,
                                const std::atomic<bool>* stop) {
    outputPath.clear();
    CHistoryWriter writer;
    writer.SetTarget(header.get(), target.extension, target.address,
                     target.home.empty() ? ModuleDirectory() : target.home);
    if (!writer.CreateUnnamed()) return UploadStatus::FileFailed;
    if (progress) progress(0, plan.blocks);

    std::array<std::uint8_t, kUploadBlockRecords> block{};
    std::uint32_t index = plan.startIndex;
    for (std::uint32_t b = 0; b < plan.blocks; ++b) {
        if (stop != nullptr && stop->load()) {
            writer.Discard();
            return UploadStatus::Stopped;
        }
        const std::uint32_t count = plan.RecordsInBlock(index);
        int slot = 0;
        for (int i = 0; i < header->channelCount; ++i) {
            if (!header->channelEnabled[static_cast<std::size_t>(i)]) continue;
            if (!ReadBlock(i, index, block.data())) {
                writer.Discard();
                return stop != nullptr && stop->load() ? UploadStatus::Stopped
                                                       : UploadStatus::CommFailed;
            }
            if (writer.WriteChannelBlock(block.data(), count, slot) < 0) {
                writer.Discard();
                return UploadStatus::FileFailed;
            }
            ++slot;
        }
        index = RingAdd(index, kUploadBlockRecords, plan.capacity);
        writer.Advance(static_cast<int>(count));
        if (progress) progress(b + 1, plan.blocks);
    }
    if (writer.WriteFailed()) {
        writer.Discard();
        return UploadStatus::FileFailed;
    }
    if (!writer.Close()) return UploadStatus::FileFailed;
    outputPath = writer.GetPath();
    return UploadStatus::Done;
}

}  // namespace vardo
