#include "datalist/row_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "../support/history_file_builder.h"
#include "datalist/row_texts.h"

namespace vardo {
namespace {

using testing::FileLayout;

const VTime kNewest = MakeLocalTime(2004, 5, 6, 7, 8, 9);

// A file of n records 10 s apart, the newest in slot newestSlot; n = 0 makes a wrapped file.
// Channel ch holds slot + 100 ch in each slot.
std::unique_ptr<testing::DecodedFile> Load(int n, std::uint32_t newestSlot,
                                           const std::function<void(FileLayout&)>& more = {}) {
    FileLayout layout;
    layout.newestSlot = newestSlot;
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>((s + static_cast<std::uint32_t>(ch) * 100) % 256);
    };
    layout.hasOldestByte = n != 0;
    layout.oldest = PackTime(kNewest - 10 * (n - 1));
    if (more) more(layout);
    auto d = testing::DecodeFile(layout);
    EXPECT_EQ(d->check, HeaderCheck::Ok);
    return d;
}

// The walk as "offset:slot" per row (offset in seconds from the newest record), checking that
// rows are numbered from 1.
std::string Walk(const HistoryData& h, VTime start, VTime end, int step, int ascending,
                 RowWalkResult* result = nullptr) {
    std::string rows;
    const RowWalkResult r = WalkRows(h, start, end, step, ascending, [&](const WalkedRow& w) {
        rows += (rows.empty() ? "" : " ") + std::to_string(w.time - kNewest) + ":" +
                std::to_string(w.slot);
        EXPECT_EQ(w.number, static_cast<int>(std::count(rows.begin(), rows.end(), ':')));
    });
    if (result != nullptr) *result = r;
    return rows;
}

TEST(WalkRows, SnapsTheRangeToTheGridAndWalksBothOrdersAtSteps) {
    const struct {
        const char* what;
        int records;
        std::uint32_t newestSlot;
        VTime start, end;  // relative to the newest record
        int step, ascending;
        VTime rowStart, rowEnd;
        const char* rows;
    } cases[] = {
        {"step 3, newest first", 10, 9, -90, 0, 3, 0, -90, 0, "0:9 -30:6 -60:3 -90:0"},
        {"step 3, oldest first", 10, 9, -90, 0, 3, 1, -90, 0, "-90:0 -60:3 -30:6 0:9"},
        {"the newest 200 asked, 4 there", 4, 3, -1990, 0, 1, 0, -30, 0, "0:3 -10:2 -20:1 -30:0"},
        {"beyond both ends, oldest first", 3, 2, -1000, 1000, 1, 1, -20, 0, "-20:0 -10:1 0:2"},
        {"ends off the grid, newest first: the near end rounds inward", 10, 9, -75, -45, 1, 0, -70,
         -50, "-50:4 -60:3 -70:2"},
        {"ends off the grid, oldest first: the near end rounds inward", 10, 9, -75, -45, 1, 1, -70,
         -50, "-70:2 -60:3 -50:4"},
        {"an end past the newest", 10, 9, -10, 15, 1, 0, -10, 0, "0:9 -10:8"},
        {"between two records: none, the range kept", 10, 9, -25, -21, 1, 0, -25, -21, ""},
        {"between two records, oldest first", 10, 9, -25, -21, 1, 1, -25, -21, ""},
        {"wholly after the newest", 10, 9, 5, 50, 1, 0, 5, 50, ""},
        {"wholly after the newest, oldest first", 10, 9, 5, 50, 1, 1, 5, 50, ""},
        {"wholly before the oldest", 10, 9, -200, -95, 1, 0, -200, -95, ""},
        {"wholly before the oldest, oldest first", 10, 9, -200, -95, 1, 1, -200, -95, ""},
        {"one second either side of a record", 10, 9, -31, -29, 1, 1, -30, -30, "-30:6"},
        {"newest first across the seam", 4, 1, -30, 0, 1, 0, -30, 0,
         "0:1 -10:0 -20:131071 -30:131070"},
        {"oldest first across the seam", 6, 2, -50, 0, 2, 1, -50, 0, "-50:131069 -30:131071 -10:1"},
        {"inverted range gives no rows", 10, 9, -10, -50, 1, 0, -10, -50, ""},
        {"step 0 walks every record", 3, 2, -20, 0, 0, 0, -20, 0, "0:2 -10:1 -20:0"},
        {"step beyond the range: one row", 10, 9, -90, 0, 1000, 1, -90, 0, "-90:0"},
    };
    for (const auto& c : cases) {
        auto f = Load(c.records, c.newestSlot);
        RowWalkResult r;
        EXPECT_EQ(Walk(f->h, kNewest + c.start, kNewest + c.end, c.step, c.ascending, &r), c.rows)
            << c.what;
        EXPECT_EQ(r.walked, 1) << c.what;
        EXPECT_EQ(r.rowStart - kNewest, c.rowStart) << c.what;
        EXPECT_EQ(r.rowEnd - kNewest, c.rowEnd) << c.what;
        EXPECT_EQ(r.rows, static_cast<int>(std::count(c.rows, c.rows + strlen(c.rows), ':')));
    }
}

TEST(WalkRows, WrappedSmallerRingReachesItsOldestRecordsAcrossTheSeam) {
    auto f = Load(0, 65533, [](FileLayout& s) { s.model = "ZT552"; });
    const VTime old = f->h.oldestTime - kNewest;
    EXPECT_EQ(old, -10 * 65535);
    const auto at = [&](VTime offset) { return std::to_string(old + offset) + ":"; };
    EXPECT_EQ(Walk(f->h, f->h.oldestTime - 100, f->h.oldestTime + 20, 1, 1),
              at(0) + "65534 " + at(10) + "65535 " + at(20) + "0");
    EXPECT_EQ(Walk(f->h, f->h.oldestTime - 100, f->h.oldestTime + 20, 1, 0),
              at(20) + "0 " + at(10) + "65535 " + at(0) + "65534");
    int count = 0;
    HistoryData none;
    EXPECT_EQ(WalkRows(none, 0, 100, 1, 0, [&](const WalkedRow&) { ++count; }).walked, 0);
    EXPECT_EQ(count, 0);
}

TEST(ListedChannels, OnlyEnabledChannelsOfTheFileReadFromTheirOwnBlocks) {
    auto f = Load(3, 2, [](FileLayout& s) {
        s.channelCount = 4, s.present = {1, 0, 1, 1, 1};
        s.ranges.assign(4, {0, 0, 255, 0});
    });
    EXPECT_EQ(ListedChannels(f->h), (std::vector<int>{0, 2, 3}));
    // channel 2 is the second block: its samples are slot + 200
    EXPECT_EQ(ChannelValueText(f->h, 2, 1), "201");
    EXPECT_EQ(ChannelValueText(f->h, 3, 1), "45");
}

TEST(CRowTexts, GivesTheTextsOfTheSlowPathForEveryColumnAndRecord) {
    auto f = Load(0, 5, [](FileLayout& s) {
        s.channelCount = 5, s.present = {1, 0, 1, 1, 1};
        s.ranges = {
            {0, 0, 255, 0}, {0, 0, 1, 0}, {-1000, 2, -32283, 2}, {-5, 1, 1000, 3}, {7, 0, 9, 0}};
        s.sample = [](int ch, std::uint32_t slot) {
            return static_cast<std::uint8_t>(slot * 7 + static_cast<std::uint32_t>(ch) * 3);
        };
    });
    CRowTexts cells(f->h);
    ASSERT_EQ(cells.Channels(), ListedChannels(f->h));
    int rows = 0;
    WalkRows(f->h, f->h.oldestTime, f->h.newestTime, 97, 1, [&](const WalkedRow& row) {
        for (std::size_t d = 0; d < cells.Channels().size(); ++d) {
            ASSERT_EQ(cells.Value(d, row.slot),
                      ChannelValueText(f->h, cells.Channels()[d], row.slot))
                << d << " " << row.slot;
        }
        char time[LocalTimeText::kMaxSize];
        ASSERT_EQ(std::string(time, cells.WriteTime(row.time, time)), FormatTime(row.time));
        ++rows;
    });
    EXPECT_EQ(rows, 1352);
}

// dump's bulk text against the cells one by one: both orders, steps, ranges across the ring's
// seam and more text than one chunk.
TEST(WriteRowsText, IsTheCellsOneByOne) {
    // Texts that fit the 8-byte copies; one that does not (every text copied by its size); and
    // a file cut short of its last channel's ring.
    const std::vector<std::array<int, 4>> ranges[] = {
        {{0, 0, 255, 0}, {0, 0, 1, 0}, {-1000, 2, -32283, 2}, {0, 0, -32768, 0}},
        {{0, 0, 255, 0}, {0, 0, 1, 0}, {-1000, 2, -32283, 2}, {-32768, 0, 32767, 4}},
        {{0, 0, 255, 0}, {0, 0, 1, 0}, {-1000, 2, -32283, 2}, {0, 0, -32768, 0}}};
    for (std::size_t file = 0; file < std::size(ranges); ++file) {
        auto f = Load(0, 5, [&](FileLayout& s) {
            s.channelCount = 4, s.present = {1, 0, 1, 1};
            s.ranges = ranges[file];
        });
        if (file == 2) f->h.file.resize(f->h.file.size() - 1);
        const HistoryData& h = f->h;
        const struct {
            VTime start, end;
            int step, ascending;
        } cases[] = {{h.oldestTime, h.newestTime, 1, 0},
                     {h.oldestTime, h.newestTime, 1, 1},
                     {h.newestTime - 700, h.newestTime + 5, 3, 0},
                     {h.oldestTime - 40, h.oldestTime + 333, 7, 1},
                     {h.newestTime + 10, h.newestTime + 50, 1, 0}};
        for (const auto& c : cases) {
            CRowTexts cells(h);
            std::string want;
            const RowWalkResult walk =
                WalkRows(h, c.start, c.end, c.step, c.ascending, [&](const WalkedRow& row) {
                    want += std::to_string(row.number) + ";" + FormatTime(row.time);
                    for (int ch : cells.Channels()) want += ";" + ChannelValueText(h, ch, row.slot);
                    want += "\n";
                });
            std::string got;
            EXPECT_TRUE(WriteRowsText(h, walk, c.step, c.ascending, cells, ';',
                                      [&got](std::string_view chunk) {
                                          got += chunk;
                                          return true;
                                      }));
            EXPECT_EQ(got, want) << file << " " << c.start - h.newestTime << " " << c.step << " "
                                 << c.ascending;
        }
    }
    auto f = Load(0, 5);
    const HistoryData& h = f->h;
    CRowTexts cells(h);
    const RowWalkResult all = PlanWalk(h, h.oldestTime, h.newestTime, 1, 0);
    int chunks = 0;
    EXPECT_FALSE(WriteRowsText(h, all, 1, 0, cells, '\t', [&chunks](std::string_view) {
        return ++chunks < 2;
    })) << "a refused chunk stops the text";
    EXPECT_EQ(chunks, 2);
}

// Row numbers are counted on in their text: every carry, a text that grows by a digit where it
// crosses the copy's word boundaries, the largest number, and numbers that do not follow.
TEST(RowTextWriter, NumbersAndTimesAsToStringAndFormatTime) {
    const struct {
        std::int64_t first;
        int count;
    } runs[] = {{1, 1200}, {99999990, 20}, {9999999999999990, 20}, {INT64_MAX - 12, 13}, {-3, 5},
                {42, 1},   {7, 3}};
    std::string want;
    std::string got;
    RowTextWriter writer(',', 0, [&got](std::string_view chunk) {
        got += chunk;
        return true;
    });
    VTime t = kNewest - 100;
    for (const auto& run : runs) {
        for (int i = 0; i < run.count; ++i, t += 7) {
            const std::int64_t number = run.first + i;
            want += std::to_string(number) + "," + FormatTime(t) + "\n";
            ASSERT_TRUE(writer.EndRow(writer.StartRow(number, t)));
        }
    }
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(got, want);
}

TEST(ChannelValueText, ScalesTheFullByteRangeWithTheDecimalsOfTheUpperEnd) {
    const struct {
        std::array<int, 4> range;  // low integer, low decimals, high integer, high decimals
        std::uint8_t raw;
        const char* text;
    } cases[] = {
        {{0, 0, 1000, 1}, 255, "100.0"},
        {{0, 0, 1000, 1}, 51, "20.0"},
        {{0, 0, 1000, 1}, 128, "50.2"},
        {{-1000, 2, 1000, 2}, 0, "-10.00"},
        {{-1000, 2, 1000, 2}, 127, "-0.04"},
        {{0, 3, 100, 0}, 1, "0"},
        {{-5, 1, 1000, 0}, 255, "1000"},
        {{0, 0, 32767, 3}, 255, "32.767"},
        {{0, 0, -32768, 0}, 255, "-32768"},
        // only the double-precision product of span and raw gives the last digit
        {{-1000, 2, -32283, 2}, 241, "-305.66"},
    };
    for (const auto& c : cases) {
        auto f = Load(1, 0, [&](FileLayout& s) {
            s.ranges = {c.range, c.range, c.range};
            s.sample = [raw = c.raw](int, std::uint32_t) { return raw; };
        });
        EXPECT_EQ(ChannelValueText(f->h, 1, 0), c.text) << int(c.raw);
    }
}

}  // namespace
}  // namespace vardo
