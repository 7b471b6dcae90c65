#include "datalist/row_walk.h"

#include <gtest/gtest.h>

#include <functional>

#include "../support/history_file_builder.h"
#include "history/history_loader.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::FileSpec;

const VTime kNewest = MakeLocalTime(2004, 5, 6, 7, 8, 9);

struct Loaded {
    std::vector<std::uint8_t> bytes;
    HistoryData h;
};

// A file of n records, 10 s apart, the newest in slot newestSlot; n = 0 makes a wrapped file.
std::unique_ptr<Loaded> Load(int n, std::uint32_t newestSlot,
                             const std::function<void(FileSpec&)>& more = {}) {
    FileSpec spec;
    spec.newestSlot = newestSlot;
    spec.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>((s + static_cast<std::uint32_t>(ch) * 100) % 256);
    };
    if (n == 0) {
        spec.hasOldestByte = 0;
    } else {
        spec.oldest = PackTime(kNewest - 10 * (n - 1));
    }
    if (more) more(spec);
    auto loaded = std::make_unique<Loaded>();
    loaded->bytes = BuildFile(spec);
    EXPECT_EQ(DecodeHistoryHeader(ByteSpan(loaded->bytes), loaded->h), HeaderCheck::Ok);
    loaded->h.view = loaded->bytes.data();
    loaded->h.viewSize = loaded->bytes.size();
    return loaded;
}

struct Row {
    int number;
    VTime offset;  // seconds from the newest record
    std::uint32_t slot;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << "{" << r.number << ", " << r.offset << ", " << r.slot << "}";
}

std::vector<Row> Walk(const HistoryData& h, VTime start, VTime end, int step, int ascending,
                      RowWalkResult* result = nullptr) {
    std::vector<Row> rows;
    RowWalkResult r = WalkRows(h, start, end, step, ascending, [&](const WalkedRow& w) {
        rows.push_back({w.number, w.time - kNewest, w.slot});
    });
    if (result != nullptr) *result = r;
    return rows;
}

TEST(WalkRows, StepsAndOrders) {
    struct Case {
        const char* what;
        int records;
        std::uint32_t newestSlot;
        VTime start, end;  // relative to the newest record
        int step, ascending;
        VTime rowStart, rowEnd;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"step 3 over 10, newest first",
         10,
         9,
         -90,
         0,
         3,
         0,
         -90,
         0,
         {{1, 0, 9}, {2, -30, 6}, {3, -60, 3}, {4, -90, 0}}},
        {"step 3 over 10, oldest first",
         10,
         9,
         -90,
         0,
         3,
         1,
         -90,
         0,
         {{1, -90, 0}, {2, -60, 3}, {3, -30, 6}, {4, 0, 9}}},
        {"first view of a short file: the newest 200 asked, 4 there",
         4,
         3,
         -1990,
         0,
         1,
         0,
         -30,
         0,
         {{1, 0, 3}, {2, -10, 2}, {3, -20, 1}, {4, -30, 0}}},
        {"range beyond both ends, oldest first",
         3,
         2,
         -1000,
         1000,
         1,
         1,
         -20,
         0,
         {{1, -20, 0}, {2, -10, 1}, {3, 0, 2}}},
        {"ends between records snap inward, newest first",
         10,
         9,
         -75,
         -15,
         1,
         0,
         -70,
         -10,
         {{1, -10, 8},
          {2, -20, 7},
          {3, -30, 6},
          {4, -40, 5},
          {5, -50, 4},
          {6, -60, 3},
          {7, -70, 2}}},
        {"ends between records, oldest first: distances from the oldest",
         10,
         9,
         -75,
         -15,
         1,
         1,
         -80,
         -20,
         {{1, -80, 1},
          {2, -70, 2},
          {3, -60, 3},
          {4, -50, 4},
          {5, -40, 5},
          {6, -30, 6},
          {7, -20, 7}}},
        {"an end past the newest truncates toward zero",
         10,
         9,
         -10,
         15,
         1,
         0,
         -10,
         0,
         {{1, 0, 9}, {2, -10, 8}}},
        {"newest first across the seam",
         6,
         2,
         -50,
         0,
         1,
         0,
         -50,
         0,
         {{1, 0, 2},
          {2, -10, 1},
          {3, -20, 0},
          {4, -30, 131071},
          {5, -40, 131070},
          {6, -50, 131069}}},
        {"oldest first across the seam",
         6,
         2,
         -50,
         0,
         2,
         1,
         -50,
         0,
         {{1, -50, 131069}, {2, -30, 131071}, {3, -10, 1}}},
        {"inverted range gives no rows", 10, 9, -10, -50, 1, 0, -10, -50, {}},
        {"step 0 walks every record",
         3,
         2,
         -20,
         0,
         0,
         0,
         -20,
         0,
         {{1, 0, 2}, {2, -10, 1}, {3, -20, 0}}},
        {"step beyond the range: one row", 10, 9, -90, 0, 1000, 1, -90, 0, {{1, -90, 0}}},
    };
    for (const Case& c : cases) {
        auto f = Load(c.records, c.newestSlot);
        RowWalkResult result;
        EXPECT_EQ(Walk(f->h, kNewest + c.start, kNewest + c.end, c.step, c.ascending, &result),
                  c.rows)
            << c.what;
        EXPECT_EQ(result.walked, 1) << c.what;
        EXPECT_EQ(result.rowStart - kNewest, c.rowStart) << c.what;
        EXPECT_EQ(result.rowEnd - kNewest, c.rowEnd) << c.what;
        EXPECT_EQ(result.rows, static_cast<int>(c.rows.size())) << c.what;
    }
}

TEST(WalkRows, WrappedFileReachesItsOldestRecord) {
    auto f = Load(0, 5);
    const VTime oldest = f->h.oldestTime;
    EXPECT_EQ(oldest, kNewest - 10 * 131071);
    std::vector<Row> rows = Walk(f->h, oldest - 100, oldest + 20, 1, 1);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].slot, 6u);
    EXPECT_EQ(rows[2].slot, 8u);
    rows = Walk(f->h, oldest - 100, oldest + 20, 1, 0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].slot, 8u);
    EXPECT_EQ(rows[2].slot, 6u);
    // The whole ring, stepped: every row stays on a slot of the ring.
    int count = 0;
    WalkRows(f->h, oldest, kNewest, 1, 0, [&](const WalkedRow& w) {
        ++count;
        ASSERT_LT(w.slot, 131072u);
    });
    EXPECT_EQ(count, 131072);
}

TEST(WalkRows, WithoutAFileProducesNothing) {
    HistoryData h;
    int calls = 0;
    RowWalkResult r = WalkRows(h, 0, 100, 1, 0, [&](const WalkedRow&) { ++calls; });
    EXPECT_EQ(r.walked, 0);
    EXPECT_EQ(calls, 0);
}

TEST(ListedChannels, OnlyEnabledChannelsOfTheFile) {
    auto f = Load(3, 2, [](FileSpec& s) {
        s.channelCount = 4;
        s.present = {1, 0, 1, 1, 1};
    });
    EXPECT_EQ(ListedChannels(f->h), (std::vector<int>{0, 2, 3}));
}

TEST(ChannelValueText, DecimalsOfTheUpperRangeEnd) {
    struct Case {
        std::array<int, 4> range;  // low integer, low decimals, high integer, high decimals
        std::uint8_t raw;
        const char* text;
    };
    const Case cases[] = {
        {{0, 0, 1000, 1}, 255, "100.0"},     {{0, 0, 1000, 1}, 51, "20.0"},
        {{0, 0, 1000, 1}, 0, "0.0"},         {{0, 0, 1000, 1}, 128, "50.2"},
        {{-1000, 2, 1000, 2}, 0, "-10.00"},  {{-1000, 2, 1000, 2}, 255, "10.00"},
        {{-1000, 2, 1000, 2}, 127, "-0.04"}, {{0, 3, 100, 0}, 1, "0"},
        {{-5, 1, 1000, 0}, 255, "1000"},     {{0, 0, 32767, 3}, 255, "32.767"},
        {{0, 0, -32768, 0}, 255, "-32768"},  {{0, 0, 255, 0}, 3, "3"},
    };
    for (const Case& c : cases) {
        auto f = Load(1, 0, [&](FileSpec& s) {
            s.ranges = {c.range, c.range, c.range};
            s.sample = [&](int, std::uint32_t) { return c.raw; };
        });
        EXPECT_EQ(ChannelValueText(f->h, 1, 0), c.text) << int(c.raw);
    }
}

TEST(ChannelValueText, ReadsTheChannelsOwnBlock) {
    auto f = Load(3, 2, [](FileSpec& s) {
        s.present = {0, 1, 1};
        s.ranges.assign(3, {0, 0, 255, 0});
    });
    // channel 2 is the second block: its samples are slot + 200
    EXPECT_EQ(ChannelValueText(f->h, 2, 1), "201");
    EXPECT_EQ(ChannelValueText(f->h, 1, 1), "101");
}

}  // namespace
}  // namespace vardo
