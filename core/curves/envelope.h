#pragma once
// The envelope a plot draws: a span [from, to] cut into n columns, each holding the times of its
// first and last record and, per channel, the smallest and the largest engineering value among
// its records. A column shows every record's extreme, so no spike vanishes at any zoom. The same
// columns serve the curve view and vardo-cli envelope; this file builds them from one history
// file, the archive builds them from a recorder's span.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_data.h"

namespace vardo {

inline constexpr int kMaxEnvelopeColumns = 100000;

struct EnvelopeColumn {
    VTime first = 0;  // times of the column's first and last record; records == 0: none
    VTime last = 0;
    std::int64_t records = 0;
    std::uint16_t present = 0;  // bit k: some record of the column has channel k
    std::array<float, kMaxChannels> min{};
    std::array<float, kMaxChannels> max{};
    std::array<std::uint8_t, kMaxChannels> minDecimals{};
    std::array<std::uint8_t, kMaxChannels> maxDecimals{};

    bool Has(int ch) const { return ((present >> ch) & 1u) != 0; }
    // Pieces (records or summaries of records) must be taken in time order: of equal values the
    // earliest record's decimals stay, whichever way the column was put together.
    void TakeTimes(VTime firstTime, VTime lastTime, std::int64_t count);
    void TakeMin(int ch, float value, int decimals);
    void TakeMax(int ch, float value, int decimals);
    void TakeValue(int ch, float value, int decimals) {
        TakeMin(ch, value, decimals);
        TakeMax(ch, value, decimals);
    }
};

struct Envelope {
    VTime from = 0;
    VTime to = 0;
    int channels = 0;  // the largest channel count among the span's records
    std::vector<EnvelopeColumn> columns;
};

// The column (0-based) of time t, from <= t <= to, among n: floor((t - from) n / (to - from + 1)),
// without overflow for any times.
int EnvelopeColumnOf(VTime t, VTime from, VTime to, int n);
// The first time of column c (0 <= c <= n; c == n gives to + 1): column c holds the times
// EnvelopeColumnStart(c) .. EnvelopeColumnStart(c + 1) - 1.
VTime EnvelopeColumnStart(int c, VTime from, VTime to, int n);

// The envelope of h's records within [from, to] (from <= to, 1 <= n <= kMaxEnvelopeColumns).
// The channels are the file's; a disabled channel has no values.
Envelope FileEnvelope(const HistoryData& h, VTime from, VTime to, int n);

// A value's text as the data list prints a record's value: "%.Nf" with the decimals it came with.
std::string EnvelopeValueText(float value, int decimals);

}  // namespace vardo
