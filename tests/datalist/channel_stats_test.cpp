#include "datalist/channel_stats.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "../support/history_file_builder.h"
#include "curves/band_stats.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace vardo {
namespace {

using Cells = std::array<std::string, 3>;

// A window of one-byte samples per channel (channel ch's row from samples[ch]), ranges 0.0 ..
// 100.0 unless given, every channel with data unless a row is empty.
HistoryData Window(const std::vector<std::vector<int>>& samples,
                   const std::vector<std::array<int, 4>>& ranges = {}) {
    HistoryData h;
    h.channelCount = static_cast<std::uint8_t>(samples.size());
    h.newestTime = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    h.intervalCode = 3;
    h.window.fill(kWindowFill);
    for (std::size_t ch = 0; ch < samples.size(); ++ch) {
        h.channelEnabled[ch] = samples[ch].empty() ? 0 : 1;
        for (std::size_t i = 0; i < samples[ch].size(); ++i)
            h.window[ch * kWindowSamples + i] = static_cast<std::uint8_t>(samples[ch][i]);
        h.windowCount = std::max<int>(h.windowCount, static_cast<int>(samples[ch].size()));
        const std::array<int, 4> r = ch < ranges.size() ? ranges[ch] : std::array{0, 0, 1000, 1};
        h.rangeLow[ch] =
            MakeDecimal(static_cast<std::int16_t>(r[0]), static_cast<std::uint8_t>(r[1]));
        h.rangeHigh[ch] =
            MakeDecimal(static_cast<std::int16_t>(r[2]), static_cast<std::uint8_t>(r[3]));
    }
    return h;
}

TEST(Statistics, MeanIsExactPeakAndValleyFollowTheValuesWhicheverWayTheRangeRuns) {
    const struct {
        const char* what;
        std::vector<int> samples;
        std::array<int, 4> range;
        Cells cells;
    } cases[] = {
        {"mean of raw samples, not truncated",
         {0, 255, 128},
         {0, 0, 1000, 1},
         {"50.1", "100.0", "0.0"}},
        {"one sample", {51}, {0, 0, 1000, 1}, {"20.0", "20.0", "20.0"}},
        {"falling range", {0, 255, 51}, {1000, 1, 0, 0}, {"60", "100", "0"}},
        {"negative low end", {0, 255}, {-500, 2, 500, 2}, {"0.00", "5.00", "-5.00"}},
        {"span rounded to single before the product",
         {163},
         {-30992, 0, 9379, 2},
         {"-11121.48", "-11121.48", "-11121.48"}},
    };
    for (const auto& c : cases) {
        const HistoryData h = Window({c.samples}, {c.range});
        const StatResult r = WindowStats(h, 0, static_cast<int>(c.samples.size()) - 1);
        EXPECT_EQ(StatCells(h, r, 0), c.cells) << c.what;
    }
}

TEST(Statistics, ChannelsWithoutDataAndSpansBesideTheWindowShowEmptyCells) {
    const HistoryData h = Window({{10, 20, 30}, {}, {40, 50, 60}});
    StatResult r = WindowStats(h, 1, 5);  // past the window's end: samples 1 and 2 only
    EXPECT_EQ(StatCells(h, r, 0), (Cells{"9.8", "11.8", "7.8"}));
    EXPECT_EQ(StatCells(h, r, 1), Cells{}) << "no data in the file";
    EXPECT_EQ(StatCells(h, r, 2), (Cells{"21.6", "23.5", "19.6"}));
    r = WindowStats(h, 3, 5);
    EXPECT_FALSE(r.counted);
    EXPECT_EQ(StatCells(h, r, 0), Cells{});
}

TEST(Statistics, TimesAreThoseOfTheNewestAndOldestSampleCounted) {
    HistoryData h = Window({std::vector<int>(100, 7)});
    h.windowStart = 5;
    h.windowStep = 3;
    const StatResult r = WindowStats(h, 2, 10);
    EXPECT_EQ(h.newestTime - r.newest, (5 + 2 * 3) * 10);
    EXPECT_EQ(h.newestTime - r.oldest, (5 + 10 * 3) * 10);
}

TEST(Statistics, RecordsAreTheWalksOwnWithinTheRange) {
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    testing::FileLayout layout;
    layout.channelCount = 2;
    layout.present = {1, 0};
    layout.newest = PackTime(newest);
    layout.oldest = PackTime(newest - 10 * 99);
    layout.newestSlot = 99;
    layout.sample = [](int, std::uint32_t slot) { return static_cast<std::uint8_t>(slot); };
    auto d = testing::DecodeFile(layout);
    ASSERT_EQ(d->check, HeaderCheck::Ok);
    // Slots 90 .. 99 every 3 from the newest: 99, 96, 93, 90.
    const StatResult r = RecordStats(d->h, newest - 95, newest, 3);
    ASSERT_TRUE(r.counted);
    EXPECT_EQ(r.newest, newest);
    EXPECT_EQ(r.oldest, newest - 90);
    EXPECT_EQ(StatCells(d->h, r, 0)[0], "37.1") << "mean raw 94.5";
    EXPECT_EQ(StatCells(d->h, r, 1), Cells{});
}

// The records' statistics over runs of ring slots against the walk's samples one by one: ranges
// across the ring's seam, steps, an absent channel.
TEST(Statistics, RecordsGiveWhatTheWalksSamplesGive) {
    testing::FileLayout layout = testing::FullFileLayout();
    layout.channelCount = 4;
    layout.present = {1, 0, 1, 1};
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>(s % 199 + static_cast<std::uint32_t>(ch) * 17);
    };
    auto d = testing::DecodeFile(layout);
    ASSERT_EQ(d->check, HeaderCheck::Ok);
    const HistoryData& h = d->h;
    const struct {
        VTime start, end;
        int step;
    } cases[] = {{h.oldestTime, h.newestTime, 1},
                 {h.newestTime - 70500, h.newestTime, 1},
                 {h.oldestTime + 3, h.oldestTime + 9, 1},
                 {h.oldestTime, h.newestTime, 5},
                 {h.newestTime + 1, h.newestTime + 9, 1}};
    for (const auto& c : cases) {
        std::array<StatAccumulator, kMaxChannels> acc;
        StatResult want;
        WalkRows(h, c.start, c.end, c.step, 0, [&](const WalkedRow& row) {
            if (!want.counted) want.newest = row.time;
            want.oldest = row.time;
            want.counted = true;
            for (int ch = 0; ch < 4; ++ch) acc[ch].Add(SampleAtSlot(h, ch, row.slot));
        });
        const StatResult r = RecordStats(h, c.start, c.end, c.step);
        ASSERT_EQ(r.counted, want.counted);
        EXPECT_EQ(r.newest, want.newest);
        EXPECT_EQ(r.oldest, want.oldest);
        for (int ch = 0; ch < 4 && want.counted; ++ch) {
            const ChannelStat w =
                ch == 1 ? ChannelStat{}
                        : FinishStat(acc[ch], h.rangeLow[ch], h.rangeHigh[ch], h.sampleWidth);
            EXPECT_EQ(r.channels[ch].shown, w.shown) << ch;
            EXPECT_EQ(r.channels[ch].mean, w.mean) << ch << " " << c.start - h.newestTime;
            EXPECT_EQ(r.channels[ch].peak, w.peak) << ch;
            EXPECT_EQ(r.channels[ch].valley, w.valley) << ch;
        }
    }
}

// The band arrives in client pixels; the plot starts 100 pixels into the client, its right edge
// at surface x 460, sample i drawn at 458 - i x pixels per point.
TEST(Statistics, UnderABandTheSamplesItCoversOrElseTheTimesOfItsEdges) {
    const HistoryData h = Window({{10, 20, 30, 40, 50}});
    const struct {
        const char* what;
        int ppp;
        int left, right;  // surface x
        Cells cells;
        VTime startBack, endBack;  // newest - the times shown
    } cases[] = {
        {"samples 0 .. 3", 1, 455, 458, {"9.8", "15.7", "3.9"}, 30, 0},
        {"every sample at 2 pixels a point", 2, 450, 470, {"11.8", "19.6", "3.9"}, 40, 0},
        {"beside the window's samples", 1, 300, 400, {}, 1580, 580},
        {"no width", 1, 450, 450, {}, 80, 80},
    };
    DisplaySettings ds;
    ds.drawRect = {100, 0, 700, 400};
    ds.plotRect = {170, 30, 560, 370};
    for (const auto& c : cases) {
        ds.pixelsPerPoint = c.ppp;
        const BandStats b = StatsUnderBand(h, ds, c.left + 100, c.right + 100);
        EXPECT_EQ(StatCells(h, b.result, 0), c.cells) << c.what;
        EXPECT_EQ(h.newestTime - b.start, c.startBack) << c.what;
        EXPECT_EQ(h.newestTime - b.end, c.endBack) << c.what;
    }
}

}  // namespace
}  // namespace vardo
