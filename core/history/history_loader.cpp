#include "history/history_loader.h"

#include <algorithm>
#include <cstring>

#include "base/model_table.h"
#include "base/unique_fd.h"
#include "history/ring.h"

namespace vardo {

HeaderCheck DecodeHistoryHeader(ByteSpan file, HistoryData& h) {
    char model[6] = {};
    for (std::size_t i = 0; i < 5 && i < file.size(); ++i) model[i] = static_cast<char>(file[i]);
    std::memcpy(h.model, model, sizeof model);
    if (model[0] != 'Z' || model[1] != 'T') return HeaderCheck::UnknownFormat;

    if (file.size() < kHeaderSize) return HeaderCheck::Damaged;
    const std::uint32_t capacity = CapacityOfCode(model);

    const std::uint8_t* bytes = file.data();
    if (!IsValidPackedTime(bytes + header::kNewestTime)) return HeaderCheck::Damaged;
    const VTime newestTime = UnpackTime(bytes + header::kNewestTime);
    const std::uint32_t newestIndex = *ReadU24LE(file, header::kNewestSlot);
    const std::uint8_t channelCount = file[header::kChannelCount];
    const std::uint8_t intervalCode = file[header::kIntervalCode];
    // A file without channels is refused like one with too many: the archive could not hold its
    // configuration, and a recorder has at least one.
    if (channelCount == 0 || channelCount > kMaxChannels || !IsValidIntervalCode(intervalCode) ||
        newestIndex >= capacity)
        return HeaderCheck::Damaged;
    const VTime interval = IntervalTable[intervalCode];

    VTime oldestTime = 0;
    if (file[header::kHasOldestTime] == 1) {
        if (!IsValidPackedTime(bytes + header::kOldestTime)) return HeaderCheck::Damaged;
        oldestTime = UnpackTime(bytes + header::kOldestTime);
    } else {
        oldestTime = newestTime - interval * (static_cast<VTime>(capacity) - 1);
    }
    // The records between oldest and newest must fit the ring; anything else would make the
    // slot arithmetic answer slot 0 for a file that cannot be what its header claims.
    // An oldest time after the newest, by however little, holds no record: the truncating division
    // alone would count one.
    const VTime span = (newestTime - oldestTime) / interval;
    if (newestTime < oldestTime || span >= static_cast<VTime>(capacity))
        return HeaderCheck::Damaged;

    std::array<int, kMaxChannels> enabled{};
    std::uint64_t present = 0;
    for (int k = 0; k < kMaxChannels; ++k) {
        enabled[k] = file[header::kChannelPresent + k];
        if (k < channelCount && enabled[k] != 0) ++present;
    }
    if (file.size() < kHeaderSize + present * capacity) return HeaderCheck::Damaged;

    h.capacity = capacity;
    h.newestTime = newestTime;
    h.newestIndex = newestIndex;
    h.channelCount = channelCount;
    h.sampleWidth = 1;
    h.intervalCode = intervalCode;
    h.oldestTime = oldestTime;
    h.oldestIndex = RingSub(newestIndex, static_cast<std::uint32_t>(span), capacity);
    for (int k = 0; k < kMaxChannels; ++k) {
        const std::uint8_t* config = bytes + ChannelConfigOffset(k);
        h.rangeLow[k] = DecodeDecimalValue(config);
        h.rangeHigh[k] = DecodeDecimalValue(config + 3);
    }
    h.channelEnabled = enabled;
    h.totalRecords = static_cast<int>(RingSub(h.newestIndex, h.oldestIndex, capacity) + 1);
    return HeaderCheck::Ok;
}

void ReleaseHistoryFile(HistoryData& h) {
    std::vector<std::uint8_t>().swap(h.file);
}

int ReadHistoryFile(const std::string& path, HistoryData& h) {
    const ReadStatus read = ReadRegularFile(path, kMaxHistoryFileSize, h.file);
    if ((read != ReadStatus::Ok && read != ReadStatus::Longer) || h.file.empty()) {
        ReleaseHistoryFile(h);
        return 0;
    }
    return 1;
}

// A record changed after decoding must still not lead outside the file.
const std::uint8_t* ChannelBlock(const HistoryData& h, int ch) {
    const int block = BlockOfChannel(h, ch);
    if (block < 0) return nullptr;
    const std::uint64_t begin =
        kHeaderSize + static_cast<std::uint64_t>(block) * static_cast<std::uint64_t>(h.capacity);
    if (begin + h.capacity > h.file.size()) return nullptr;
    return h.file.data() + begin;
}

std::uint8_t SampleAtSlot(const HistoryData& h, int ch, std::uint32_t slot) {
    const std::uint8_t* block = ChannelBlock(h, ch);
    if (block == nullptr || slot >= h.capacity) return 0;
    return block[slot];
}

std::uint8_t SampleBack(const HistoryData& h, int ch, std::uint32_t r) {
    return SampleAtSlot(h, ch, RingSub(h.newestIndex, r, h.capacity));
}

int BuildWindow(HistoryData& h) {
    std::fill(h.window.begin(), h.window.end(), kWindowFill);
    const int total = h.totalRecords;
    if (h.file.empty() || total <= 0 || static_cast<std::uint32_t>(total) > h.capacity ||
        h.newestIndex >= h.capacity) {
        h.windowCount = 0;
        return 1;
    }
    const std::uint32_t capacity = h.capacity;
    const int channels = std::min<int>(h.channelCount, kMaxChannels);

    if (h.windowStep <= 1) {
        h.windowStep = 1;
        if (h.windowStart >= total) h.windowStart = total - 1;
        if (h.windowStart < 0) h.windowStart = 0;
        const int count = std::min(total - h.windowStart, kWindowSamples);
        h.windowCount = count;
        const std::uint32_t first = RingAdd(
            RingSub(RingSub(h.newestIndex, static_cast<std::uint32_t>(h.windowStart), capacity),
                    static_cast<std::uint32_t>(count), capacity),
            1, capacity);
        // The oldest window sample may sit near the end of the ring and the newest near its
        // start: the run is then copied up to the seam and the rest from slot 0.
        const std::uint32_t firstPiece = std::min<std::uint32_t>(count, capacity - first);
        std::uint8_t scratch[kWindowSamples];
        for (int ch = 0; ch < channels; ++ch) {
            const std::uint8_t* block = ChannelBlock(h, ch);
            if (block == nullptr) continue;
            std::memcpy(scratch, block + first, firstPiece);
            std::memcpy(scratch + firstPiece, block, count - firstPiece);
            std::uint8_t* row = h.window.data() + static_cast<std::size_t>(ch) * kWindowSamples;
            for (int k = 0; k < count; ++k) row[count - 1 - k] = scratch[k];
        }
        return 1;
    }

    if (h.windowStart < 0) h.windowStart = 0;
    if (h.windowStart >= total) h.windowStart = total - 1;
    const std::int64_t step = h.windowStep;
    const std::int64_t remaining = total - h.windowStart;
    const int count =
        static_cast<int>(std::min<std::int64_t>((remaining + step - 1) / step, kWindowSamples));
    h.windowCount = count;
    const std::uint32_t start =
        RingSub(h.newestIndex, static_cast<std::uint32_t>(h.windowStart), capacity);
    for (int ch = 0; ch < channels; ++ch) {
        const std::uint8_t* block = ChannelBlock(h, ch);
        if (block == nullptr) continue;
        std::uint8_t* row = h.window.data() + static_cast<std::size_t>(ch) * kWindowSamples;
        for (int i = 0; i < count; ++i) {
            row[i] = block[RingSub(start, static_cast<std::uint32_t>(i * step), capacity)];
        }
    }
    return 1;
}

}  // namespace vardo
