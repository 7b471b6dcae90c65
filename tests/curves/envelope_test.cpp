#include "curves/envelope.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "../support/history_file_builder.h"
#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo {
namespace {

TEST(Envelope, ColumnsCutTheSpanWithoutGapsOrOverflow) {
    constexpr VTime kMax = std::numeric_limits<VTime>::max() / 2;
    struct Case {
        VTime from, to;
        int n;
    } cases[] = {{0, 0, 1},
                 {0, 9, 3},
                 {5, 6, 100000},
                 {-100, 1000, 7},
                 {0, 31535999, 1200},
                 {-kMax, kMax, 100000},
                 {4102444799, 4102444800, 2}};
    std::mt19937_64 random(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from << ".." << c.to << " / " << c.n);
        EXPECT_EQ(EnvelopeColumnStart(0, c.from, c.to, c.n), c.from);
        EXPECT_EQ(EnvelopeColumnStart(c.n, c.from, c.to, c.n), c.to + 1);
        EXPECT_EQ(EnvelopeColumnOf(c.from, c.from, c.to, c.n), 0);
        for (int i = 0; i < 1000; ++i) {
            const auto span = static_cast<std::uint64_t>(c.to - c.from);
            const VTime t = c.from + static_cast<VTime>(random() % (span + 1));
            const int col = EnvelopeColumnOf(t, c.from, c.to, c.n);
            ASSERT_LE(EnvelopeColumnStart(col, c.from, c.to, c.n), t);
            ASSERT_GT(EnvelopeColumnStart(col + 1, c.from, c.to, c.n), t);
        }
    }
}

// Every record's value as dump prints it, min and max per column by a plain scan.
void ExpectBruteForce(const HistoryData& h, VTime from, VTime to, int n) {
    const Envelope e = FileEnvelope(h, from, to, n);
    ASSERT_EQ(e.columns.size(), static_cast<std::size_t>(n));
    std::vector<EnvelopeColumn> expect(static_cast<std::size_t>(n));
    const int iv = IntervalSeconds(h);
    for (std::int64_t k = h.totalRecords - 1; k >= 0; --k) {
        const VTime t = h.newestTime - k * iv;
        if (t < from || t > to) continue;
        EnvelopeColumn& col = expect[static_cast<std::size_t>(
            (static_cast<__int128>(t - from) * n) / (to - from + 1))];
        if (col.records == 0) col.first = t;
        col.last = t;
        ++col.records;
        const auto slot = RingSub(h.newestIndex, static_cast<std::uint32_t>(k), h.capacity);
        for (int ch = 0; ch < h.channelCount; ++ch) {
            if (h.channelEnabled[ch] == 0) continue;
            const float v =
                EngineeringValue(h.rangeLow[ch], h.rangeHigh[ch], SampleAtSlot(h, ch, slot), 1,
                                 ValueRule::DoubleProduct);
            const auto bit = static_cast<std::uint16_t>(1u << ch);
            if ((col.present & bit) == 0 || v < col.min[ch]) col.min[ch] = v;
            if ((col.present & bit) == 0 || v > col.max[ch]) col.max[ch] = v;
            col.present |= bit;
        }
    }
    for (int c = 0; c < n; ++c) {
        const EnvelopeColumn& got = e.columns[static_cast<std::size_t>(c)];
        const EnvelopeColumn& want = expect[static_cast<std::size_t>(c)];
        ASSERT_EQ(got.records, want.records) << "column " << c;
        ASSERT_EQ(got.present, want.present) << "column " << c;
        if (want.records > 0) {
            ASSERT_EQ(got.first, want.first);
            ASSERT_EQ(got.last, want.last);
        }
        for (int ch = 0; ch < kMaxChannels; ++ch) {
            if (!want.Has(ch)) continue;
            ASSERT_EQ(got.min[ch], want.min[ch]) << "column " << c << " channel " << ch;
            ASSERT_EQ(got.max[ch], want.max[ch]) << "column " << c << " channel " << ch;
            ASSERT_EQ(got.minDecimals[ch], h.rangeHigh[ch].Decimals());
        }
    }
}

TEST(Envelope, FileColumnsEqualAScanOfEveryRecordAndKeepAOneRecordSpike) {
    std::mt19937 random(17);
    for (int round = 0; round < 6; ++round) {
        testing::FileLayout layout;
        layout.model = "ZT330";
        layout.channelCount = 3;
        layout.present = {1, round % 3 == 0 ? 0 : 1, 1};
        layout.ranges = {{0, 0, 255, 0}, {-500, 1, 500, 1}, {1000, 2, -1000, 2}};
        layout.hasOldestByte = 0;
        layout.newestSlot = random() % 131072;
        const std::uint32_t spike = random() % 131072;
        layout.sample = [spike](int ch, std::uint32_t s) {
            if (s == spike) return static_cast<std::uint8_t>(ch == 2 ? 0 : 255);
            return static_cast<std::uint8_t>(100 + (s * 2654435761u >> 28) + ch);
        };
        const auto d = testing::DecodeFile(layout);
        ASSERT_EQ(d->check, HeaderCheck::Ok);
        const HistoryData& h = d->h;
        const std::int64_t span = h.newestTime - h.oldestTime;
        const VTime from = h.oldestTime - 50 + static_cast<VTime>(random() % (span / 2));
        const VTime to = from + static_cast<VTime>(random() % (span / 2 + 100));
        const int n = 1 + static_cast<int>(random() % 3000);
        SCOPED_TRACE(::testing::Message() << "round " << round << " n " << n);
        ExpectBruteForce(h, from, to, n);
        ExpectBruteForce(h, h.oldestTime, h.newestTime, 1200);

        // The spike's column shows it whatever the zoom.
        const Envelope whole = FileEnvelope(h, h.oldestTime, h.newestTime, 7);
        const VTime spikeTime =
            h.newestTime -
            static_cast<VTime>(RingSub(h.newestIndex, spike, h.capacity)) * IntervalSeconds(h);
        const EnvelopeColumn& col =
            whole.columns[EnvelopeColumnOf(spikeTime, h.oldestTime, h.newestTime, 7)];
        EXPECT_EQ(EnvelopeValueText(col.max[0], col.maxDecimals[0]), "255");
        EXPECT_EQ(EnvelopeValueText(col.max[2], col.maxDecimals[2]), "10.00");
    }
}

// A header whose oldest time is not a whole number of intervals before the newest: the records
// still lie on the newest record's grid, as dump lists them, up to a span's very ends.
TEST(Envelope, RecordTimesCountBackFromTheNewestRecord) {
    testing::FileLayout layout;
    layout.intervalCode = 3;
    layout.newestSlot = 3;
    const VTime newest = MakeLocalTime(2024, 3, 1, 0, 0, 0);
    layout.newest = PackTime(newest);
    for (const VTime off : {0, 1, 5, 9}) {
        layout.oldest = PackTime(newest - 40 - off);
        const auto d = testing::DecodeFile(layout);
        ASSERT_EQ(d->check, HeaderCheck::Ok);
        ASSERT_EQ(d->h.totalRecords, 5);
        SCOPED_TRACE(off);
        ExpectBruteForce(d->h, d->h.oldestTime, d->h.newestTime, 5);
        ExpectBruteForce(d->h, newest - 40, newest - 1, 3);
        ExpectBruteForce(d->h, newest - 45, newest - 35, 1);
        const Envelope e = FileEnvelope(d->h, d->h.oldestTime, d->h.newestTime, 1);
        EXPECT_EQ(e.columns[0].first, newest - 40);
        EXPECT_EQ(e.columns[0].last, newest);
    }
}

}  // namespace
}  // namespace vardo
