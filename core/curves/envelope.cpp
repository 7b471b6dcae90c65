#include "curves/envelope.h"

#include <algorithm>

#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace vardo {

void EnvelopeColumn::TakeTimes(VTime firstTime, VTime lastTime, std::int64_t count) {
    if (count <= 0) return;
    if (records == 0) first = firstTime;
    last = lastTime;
    records += count;
}

void EnvelopeColumn::TakeMin(int ch, float value, int decimals) {
    if (ch < 0 || ch >= kMaxChannels) return;
    const auto bit = static_cast<std::uint16_t>(1u << ch);
    if ((present & bit) == 0 || value < min[ch]) {
        min[ch] = value;
        minDecimals[ch] = static_cast<std::uint8_t>(decimals);
    }
    if ((present & bit) == 0) {
        max[ch] = value;
        maxDecimals[ch] = static_cast<std::uint8_t>(decimals);
    }
    present |= bit;
}

void EnvelopeColumn::TakeMax(int ch, float value, int decimals) {
    if (ch < 0 || ch >= kMaxChannels) return;
    const auto bit = static_cast<std::uint16_t>(1u << ch);
    if ((present & bit) == 0 || value > max[ch]) {
        max[ch] = value;
        maxDecimals[ch] = static_cast<std::uint8_t>(decimals);
    }
    if ((present & bit) == 0) {
        min[ch] = value;
        minDecimals[ch] = static_cast<std::uint8_t>(decimals);
    }
    present |= bit;
}

int EnvelopeColumnOf(VTime t, VTime from, VTime to, int n) {
    // A span of years times 100000 columns overflows 64 bits only for absurd times, but a typed
    // time may be absurd.
    const __int128 width = static_cast<__int128>(to) - from + 1;
    const __int128 c = (static_cast<__int128>(t) - from) * n / width;
    return static_cast<int>(std::clamp<__int128>(c, 0, n - 1));
}

VTime EnvelopeColumnStart(int c, VTime from, VTime to, int n) {
    const __int128 width = static_cast<__int128>(to) - from + 1;
    const __int128 scaled = static_cast<__int128>(c) * width;
    return static_cast<VTime>(from + (scaled + n - 1) / n);
}

Envelope FileEnvelope(const HistoryData& h, VTime from, VTime to, int n) {
    Envelope e;
    e.from = from;
    e.to = to;
    n = std::clamp(n, 1, kMaxEnvelopeColumns);
    e.channels = std::min<int>(h.channelCount, kMaxChannels);
    e.columns.resize(static_cast<std::size_t>(n));
    const std::vector<int> channels = ListedChannels(h);
    // A record's time counts back from the newest record, as the curve view's axis and dump's
    // default order have it; counted on from the oldest time it differs where the header's two
    // times are not a whole number of intervals apart. Taken oldest first: of equal extremes
    // the earliest record's stays.
    const RowWalkResult walk = PlanWalk(h, from, to, 1, 0);
    for (int i = walk.rows - 1; i >= 0; --i) {
        const WalkedRow row = RowOfWalk(h, walk, 1, 0, i);
        EnvelopeColumn& col =
            e.columns[static_cast<std::size_t>(EnvelopeColumnOf(row.time, from, to, n))];
        col.TakeTimes(row.time, row.time, 1);
        for (int ch : channels) {
            const float v =
                EngineeringValue(h.rangeLow[ch], h.rangeHigh[ch], SampleAtSlot(h, ch, row.slot), 1,
                                 ValueRule::DoubleProduct);
            col.TakeValue(ch, v, h.rangeHigh[ch].Decimals());
        }
    }
    return e;
}

std::string EnvelopeValueText(float value, int decimals) {
    return FormatDecimal(value, decimals);
}

}  // namespace vardo
