#include "history/history_summary.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "base/texts.h"
#include "base/unique_fd.h"
#include "base/vardo_time.h"
#include "history/history_format.h"
#include "history/ring.h"

namespace vardo {

namespace {

std::string FormatSummaryTime(VTime t) {
    const LocalFields f = SplitLocalTime(t);
    char text[96];
    std::snprintf(text, sizeof text, texts::kSummaryTimeFormat, f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
    return text;
}

std::string FormatInt(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

int BuildHistorySummary(ByteSpan bytes, const std::string& fileName, const ModelList& models,
                        std::string* summary) {
    summary->clear();
    // Every field below lies inside the header; a file that does not hold a whole header is
    // damaged rather than summarised from bytes that were never read.
    if (bytes.size() < kHeaderSize) return 0;

    std::string text = texts::kSummaryFileName + fileName + texts::kSummaryModel;

    const std::string_view code(reinterpret_cast<const char*>(bytes.data() + header::kModel), 5);
    const int row = std::max(RowOfCode(code), 0);
    text += models.names[static_cast<std::size_t>(row)];

    const int channelCount = bytes[header::kChannelCount];
    text += texts::kSummaryChannels;
    text += FormatInt("%d", channelCount);

    const int intervalCode = bytes[header::kIntervalCode];
    if (!IsValidIntervalCode(intervalCode)) return 0;
    const int interval = IntervalTable[static_cast<std::size_t>(intervalCode)];
    text += texts::kSummaryInterval;
    text += FormatInt(texts::kSummaryIntervalFormat, interval);

    text += texts::kSummaryStart;
    const std::uint8_t* newestBytes = bytes.data() + header::kNewestTime;
    if (!IsValidPackedTime(newestBytes)) return 0;
    const VTime newest = UnpackTime(newestBytes);

    VTime oldest;
    if (bytes[header::kHasOldestTime] == 1) {
        const std::uint8_t* oldestBytes = bytes.data() + header::kOldestTime;
        if (!IsValidPackedTime(oldestBytes)) return 0;
        oldest = UnpackTime(oldestBytes);
    } else {
        const VTime capacity = ModelTable[static_cast<std::size_t>(row)].historyCapacity;
        oldest = newest - (capacity - 1) * interval;
    }
    text += FormatSummaryTime(oldest);
    text += texts::kSummaryEnd;
    text += FormatSummaryTime(newest);

    text += texts::kSummaryRanges;
    // The header has room for twelve channels; a larger count cannot name more ranges.
    const int shown = std::min(channelCount, kMaxChannels);
    for (int k = 0; k < shown; ++k) {
        const std::uint8_t* config = bytes.data() + ChannelConfigOffset(k);
        const DecimalValue low = DecodeDecimalValue(config);
        const DecimalValue high = DecodeDecimalValue(config + 3);
        text += FormatInt(texts::kSummaryChannelFormat, k + 1);
        text += FormatDecimal(low.Value(), high.Decimals());
        text += texts::kSummaryRangeSeparator;
        text += FormatDecimal(high.Value(), high.Decimals());
        text += "\r\n";
    }
    *summary = std::move(text);
    return 1;
}

SummaryResult ReadHistorySummary(const std::string& path, const std::string& fileName,
                                 const ModelList& models, std::string* summary) {
    summary->clear();
    std::vector<std::uint8_t> bytes;
    const ReadStatus read = ReadRegularFile(path, kSummaryReadSize, bytes);
    if (read != ReadStatus::Ok && read != ReadStatus::Longer) {
        *summary = texts::kOpenFileFailed;
        return SummaryResult::OpenFailed;
    }
    if (!BuildHistorySummary(ByteSpan(bytes), fileName, models, summary))
        return SummaryResult::Damaged;
    return SummaryResult::Ok;
}

}  // namespace vardo
