// The parts of the span reading that need no store: the range rules, the cell texts, the
// statistics over several configurations and the cut of a column into blocks and raw records.

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "archive/piece_cache.h"
#include "archive/span_envelope.h"
#include "archive/span_walk.h"

namespace vardo {
namespace {

RecordConfig Config(int channels, std::uint16_t present, int low, int high, int decimals) {
    RecordConfig c;
    c.channelCount = channels;
    c.present = present;
    for (int k = 0; k < kMaxChannels; ++k) {
        c.low[k] = MakeDecimal(static_cast<std::int16_t>(low), static_cast<std::uint8_t>(decimals));
        c.high[k] =
            MakeDecimal(static_cast<std::int16_t>(high), static_cast<std::uint8_t>(decimals));
    }
    return c;
}

TEST(SpanRange, SettlesAsTheFirstViewOfAFileInRecords) {
    constexpr VTime kNewest = 1000;
    constexpr VTime kMin = std::numeric_limits<VTime>::min();
    constexpr VTime kMax = std::numeric_limits<VTime>::max();
    struct Case {
        std::optional<VTime> from, to;
        bool all;
        bool ok;
        SpanBounds want;
    } cases[] = {
        {{}, {}, false, true, {true, 0, kNewest, 200}},
        {{}, {}, true, true, {false, kMin, kMax, 0}},
        {500, {}, false, true, {false, 500, kNewest, 0}},
        {kNewest + 1, {}, false, false, {}},
        {{}, 300, false, true, {true, 0, 300, 200}},
        {{}, -5, false, true, {true, 0, -5, 200}},
        {100, 100, false, true, {false, 100, 100, 0}},
        {101, 100, false, false, {}},
    };
    for (const Case& c : cases) {
        SpanBounds got;
        ASSERT_EQ(SettleSpan({c.from, c.to, c.all}, kNewest, got), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(got.newestCount, c.want.newestCount);
        EXPECT_EQ(got.from, c.want.from);
        EXPECT_EQ(got.to, c.want.to);
        EXPECT_EQ(got.count, c.want.count);
    }
}

TEST(SpanTexts, EachRecordWithItsOwnRangeAndDecimalsAndEmptyWhereItLacksTheChannel) {
    SpanConfigs configs;
    configs.Assign({{7, Config(4, 0b1011, 0, 1000, 1)},
                    {3, Config(2, 0b11, -1000, 1000, 2)},
                    {9, Config(12, 0xFFF, 0, 255, 0)}});
    EXPECT_EQ(configs.MaxChannels(), 12);
    SpanTexts texts(configs);
    const int a = configs.Index(7);
    const int b = configs.Index(3);
    EXPECT_EQ(configs.Index(5), -1);
    EXPECT_EQ(texts.Value(a, 0, 255), "100.0");
    EXPECT_EQ(texts.Value(a, 2, 255), "");  // absent
    EXPECT_EQ(texts.Value(a, 3, 0), "0.0");
    EXPECT_EQ(texts.Value(a, 5, 0), "");  // beyond its count
    EXPECT_EQ(texts.Value(b, 1, 0), "-10.00");
    EXPECT_EQ(texts.Value(b, 1, 128), "0.04");
    EXPECT_EQ(texts.Value(b, 2, 128), "");
    EXPECT_EQ(texts.Value(-1, 0, 0), "");
    EXPECT_EQ(texts.Value(configs.Index(9), 11, 77), "77");
}

TEST(SpanStats, OneConfigurationAsAFileSeveralWeighedAndEachExtremeWithItsDecimals) {
    SpanConfigs configs;
    configs.Assign({{1, Config(2, 0b11, 0, 1000, 1)}, {2, Config(1, 0b1, 0, 10000, 2)}});
    std::vector<ArchivedRecord> records(5);
    const std::uint8_t raw[5][2] = {{10, 1}, {200, 2}, {30, 3}, {255, 0}, {0, 0}};
    const std::int64_t ids[5] = {1, 1, 1, 2, 2};
    for (int i = 0; i < 5; ++i) {
        records[i].time = 100 + i;
        records[i].config = ids[i];
        records[i].samples[0] = raw[i][0];
        records[i].samples[1] = raw[i][1];
    }
    const auto run = [&](int count) {
        SpanStatAccumulator acc(configs);
        for (int i = 0; i < count; ++i) {
            SpanRow row;
            row.record = &records[i];
            row.config = configs.Index(records[i].config);
            acc.Add(row);
        }
        return acc.Finish();
    };

    SpanStatResult one = run(3);
    ASSERT_TRUE(one.stats.counted);
    EXPECT_EQ(one.stats.oldest, 100);
    EXPECT_EQ(one.stats.newest, 102);
    EXPECT_EQ(one.channels, 2);
    StatAccumulator file;
    for (int raw0 : {10, 200, 30}) file.Add(static_cast<std::uint32_t>(raw0));
    const ChannelStat fileStat = FinishStat(file, configs.At(0).low[0], configs.At(0).high[0], 1);
    EXPECT_EQ(one.stats.channels[0].mean, fileStat.mean);
    EXPECT_EQ(SpanStatCells(one, 0), (std::array<std::string, 3>{"31.4", "78.4", "3.9"}));

    SpanStatResult both = run(5);
    EXPECT_EQ(both.channels, 2);
    // Channel 1: 3.9, 78.4, 11.8 (one decimal) and 100.00, 0.00 (two): mean 38.82.
    EXPECT_EQ(SpanStatCells(both, 0), (std::array<std::string, 3>{"38.82", "100.00", "0.00"}));
    // Channel 2 only under the first configuration.
    EXPECT_EQ(SpanStatCells(both, 1), (std::array<std::string, 3>{"0.8", "1.2", "0.4"}));
    EXPECT_EQ(SpanStatCells(both, 2), (std::array<std::string, 3>{}));

    SpanStatResult none = run(0);
    EXPECT_FALSE(none.stats.counted);
    EXPECT_EQ(none.channels, 2);
    EXPECT_EQ(SpanStatCells(none, 0), (std::array<std::string, 3>{}));
}

TEST(SpanEnvelopeCut, PiecesCoverTheColumnWithAlignedWholeBlocksAndShortRawEnds) {
    std::mt19937_64 random(5);
    const VTime starts[] = {0, 1, 63, 64, -1, -700000, 1700000000, 4102444799};
    for (int round = 0; round < 400; ++round) {
        const VTime a = round < 8 ? starts[round] : static_cast<VTime>(random() % 4000000000u);
        const VTime b = a + static_cast<VTime>(random() % (round % 4 == 0 ? 100 : 2000000));
        // A neighbouring column cut first into the same list keeps its own pieces.
        std::vector<EnvelopePiece> pieces;
        CutColumn(a - 100, a - 1, pieces);
        const std::size_t before = pieces.size();
        ASSERT_EQ(pieces.back().end, a - 1);
        CutColumn(a, b, pieces);
        pieces.erase(pieces.begin(), pieces.begin() + static_cast<std::ptrdiff_t>(before));
        ASSERT_FALSE(pieces.empty());
        EXPECT_EQ(pieces.front().start, a);
        EXPECT_EQ(pieces.back().end, b);
        int raws = 0;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const EnvelopePiece& p = pieces[i];
            if (i > 0) {
                ASSERT_EQ(p.start, pieces[i - 1].end + 1);
            }
            if (p.level < 0) {
                // No whole finest block inside: that one would have been read as a block.
                ++raws;
                const VTime aligned = p.start + (64 - ((p.start % 64) + 64) % 64) % 64;
                EXPECT_GT(aligned + 63, p.end) << p.start << ".." << p.end;
                continue;
            }
            const VTime size = VTime{1} << kLodShifts[p.level];
            EXPECT_EQ(((p.start % size) + size) % size, 0);
            EXPECT_EQ(p.end - p.start + 1, size);
        }
        EXPECT_LE(raws, 2);
        // Climbing and descending the levels: at most 7 blocks a level each way, plus the middle.
        EXPECT_LE(pieces.size(), 2u + 2u * 7u * kLodShifts.size() + 8u);
    }
}

TEST(PieceCacheRuns, UncoveredPartsAreWhatTheHeldRunsLeaveAndCoveringJoinsTouchingRuns) {
    constexpr VTime kMax = std::numeric_limits<VTime>::max();
    constexpr VTime kMin = std::numeric_limits<VTime>::min();
    const std::vector<TimeStretch> held = {{10, 19}, {30, 39}, {41, 50}};
    struct Case {
        TimeStretch want;
        std::vector<TimeStretch> uncovered;
    };
    const Case cases[] = {
        {{0, 5}, {{0, 5}}},     {{12, 18}, {}},
        {{10, 39}, {{20, 29}}}, {{5, 60}, {{5, 9}, {20, 29}, {40, 40}, {51, 60}}},
        {{19, 30}, {{20, 29}}}, {{40, 40}, {{40, 40}}},
        {{51, 51}, {{51, 51}}}, {{kMin, kMax}, {{kMin, 9}, {20, 29}, {40, 40}, {51, kMax}}},
        {{7, 3}, {}},
    };
    for (const Case& c : cases) {
        std::vector<TimeStretch> got;
        UncoveredParts(held, c.want, got);
        EXPECT_EQ(got, c.uncovered) << c.want.from << ".." << c.want.to;
        // Covering what was missing leaves nothing missing, and the runs stay apart and ordered.
        std::vector<TimeStretch> runs = held;
        CoverRuns(runs, got);
        std::vector<TimeStretch> again;
        UncoveredParts(runs, c.want, again);
        EXPECT_TRUE(again.empty());
        for (std::size_t i = 1; i < runs.size(); ++i)
            EXPECT_GT(static_cast<__int128>(runs[i].from),
                      static_cast<__int128>(runs[i - 1].to) + 1);
    }
    std::vector<TimeStretch> runs = {{0, 0}, {kMax, kMax}};
    CoverRuns(runs, {{1, kMax - 1}});
    EXPECT_EQ(runs, (std::vector<TimeStretch>{{0, kMax}}));
}

}  // namespace
}  // namespace vardo
