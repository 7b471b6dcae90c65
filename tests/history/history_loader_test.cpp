#include "history/history_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "../support/history_file_builder.h"
#include "history/ring.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::DecodeFile;
using testing::FileLayout;
using enum HeaderCheck;

TEST(Ring, StepsAcrossTheSeamAndRefusesOperandsOutsideTheRing) {
    using R = std::uint32_t;
    const std::tuple<R, R, R, R, R> cases[] = {
        {5, 7, 10, 8, 2},
        {8, 3, 10, 5, 1},
        {0, 1, 131072, 131071, 1},
        {0, 131071, 131072, 1, 131071},
        {12, 1, 10, 0, 0},
        {5, 10, 10, 0, 0},
        {131071, 1, 131072, 131070, 0},
    };
    for (auto [a, b, n, sub, add] : cases) {
        EXPECT_EQ(RingSub(a, b, n), sub) << a << " - " << b << " in " << n;
        EXPECT_EQ(RingAdd(a, b, n), add) << a << " + " << b << " in " << n;
    }
}

TEST(HistoryData, BlocksFollowPresentChannelsWithinCountAndTables) {
    HistoryData h;
    h.channelCount = 6;
    h.channelEnabled = {1, 0, 1, 1, 0, 1, 1, 1};  // flags above the count have no block
    EXPECT_EQ(PresentChannelCount(h), 4);
    const int blocks[] = {-1, 0, -1, 1, 2, -1, 3, -1, -1};
    for (int ch = -1; ch < 8; ++ch) EXPECT_EQ(BlockOfChannel(h, ch), blocks[ch + 1]) << ch;
    h.channelCount = 200;  // never trusted past the tables
    h.channelEnabled.fill(1);
    EXPECT_EQ(PresentChannelCount(h), 12);
    EXPECT_EQ(BlockOfChannel(h, 11), 11);
    EXPECT_EQ(BlockOfChannel(h, 12), -1);
}

// The stamp this many seconds before the builder's newest record.
PackedTime Before(VTime seconds) {
    return PackTime(MakeLocalTime(2004, 5, 6, 7, 8, 9) - seconds);
}

TEST(DecodeHistoryHeader, RefusesFilesThatBreakTheLimits) {
    const struct {
        const char* what;
        void (*change)(FileLayout&);
        long size;  // > 0: the file cut to this size; < 0: this many bytes less
        HeaderCheck expected;
    } cases[] = {
        {"well-formed", [](FileLayout&) {}, 0, Ok},
        {"model ZZ330", [](FileLayout& s) { s.model = "ZZ330"; }, 0, UnknownFormat},
        {"header cut at 255", [](FileLayout&) {}, 255, Damaged},
        {"data one byte short", [](FileLayout&) {}, -1, Damaged},
        {"newest time invalid", [](FileLayout& s) { s.newest[1] = 13; }, 0, Damaged},
        {"oldest invalid with flag 1", [](FileLayout& s) { s.oldest[3] = 24; }, 0, Damaged},
        {"oldest ignored with flag 2",
         [](FileLayout& s) { s.hasOldestByte = 2, s.oldest.fill(255); }, 0, Ok},
        {"12 channels", [](FileLayout& s) { s.channelCount = 12, s.present.assign(12, 1); }, 0, Ok},
        {"13 channels", [](FileLayout& s) { s.channelCount = 13; }, 0, Damaged},
        {"no channels", [](FileLayout& s) { s.channelCount = 0; }, 0, Damaged},
        {"interval code 8", [](FileLayout& s) { s.intervalCode = 8; }, 0, Ok},
        {"interval code 9", [](FileLayout& s) { s.intervalCode = 9; }, 0, Damaged},
        {"newest slot capacity - 1", [](FileLayout& s) { s.newestSlot = 131071; }, 0, Ok},
        {"newest slot = capacity", [](FileLayout& s) { s.newestSlot = 131072; }, 0, Damaged},
        {"ZT552 slot 65536", [](FileLayout& s) { s.model = "ZT552", s.newestSlot = 65536; }, 0,
         Damaged},
        {"ZT330 sized like ZT552", [](FileLayout& s) { s.capacity = 65536; }, 0, Damaged},
        {"oldest after newest", [](FileLayout& s) { s.oldest = Before(-20); }, 0, Damaged},
        {"oldest less than an interval after newest", [](FileLayout& s) { s.oldest = Before(-5); },
         0, Damaged},
        {"oldest a ring back", [](FileLayout& s) { s.oldest = Before(10 * 131072); }, 0, Damaged},
        {"oldest a ring less one back", [](FileLayout& s) { s.oldest = Before(10 * 131071); }, 0,
         Ok},
        {"absent channel, flag above the count: no blocks",
         [](FileLayout& s) { s.present[0] = 0, s.present.push_back(1); }, 0, Ok},
    };
    for (const auto& c : cases) {
        FileLayout layout;
        c.change(layout);
        std::vector<std::uint8_t> bytes = BuildFile(layout);
        bytes.resize(c.size > 0 ? c.size : bytes.size() + c.size);
        HistoryData h;
        EXPECT_EQ(DecodeHistoryHeader(ByteSpan(bytes), h), c.expected) << c.what;
    }
}

TEST(DecodeHistoryHeader, DerivesRingPositionsAndRecordCount) {
    const struct {
        const char* what;
        std::string model;
        std::uint32_t newestSlot;
        PackedTime oldest;  // all zero: wrapped
        std::uint32_t capacity, oldestIndex;
        int totalRecords;
    } cases[] = {
        {"wrapped", "ZT330", 10, {}, 131072, 11, 131072},
        {"wrapped ZT772", "ZT772", 0, {}, 65536, 1, 65536},
        {"one record", "ZT330", 77, {4, 5, 6, 7, 8, 9}, 131072, 77, 1},
        {"five across the seam", "ZT330", 2, {4, 5, 6, 7, 7, 29}, 131072, 131070, 5},
        {"part interval rounds down", "ZT330", 3, {4, 5, 6, 7, 7, 50}, 131072, 2, 2},
    };
    for (const auto& c : cases) {
        FileLayout layout;
        layout.model = c.model;
        layout.newestSlot = c.newestSlot;
        layout.hasOldestByte = c.oldest[1] != 0;
        layout.oldest = c.oldest;
        auto d = DecodeFile(layout);
        ASSERT_EQ(d->check, Ok) << c.what;
        EXPECT_EQ(d->h.capacity, c.capacity) << c.what;
        EXPECT_EQ(d->h.newestIndex, c.newestSlot) << c.what;
        EXPECT_EQ(d->h.oldestIndex, c.oldestIndex) << c.what;
        EXPECT_EQ(d->h.totalRecords, c.totalRecords) << c.what;
    }
}

TEST(DecodeHistoryHeader, ReadsModelAndRangesOfBothTables) {
    FileLayout layout;
    layout.channelCount = 10;
    layout.present.assign(10, 1);
    layout.ranges.assign(10, {-1000, 2, 1000, 1});
    layout.ranges[9] = {-1, 3, 32767, 0};
    auto d = DecodeFile(layout);
    ASSERT_EQ(d->check, Ok);
    EXPECT_STREQ(d->h.model, "ZT330");
    EXPECT_FLOAT_EQ(d->h.rangeLow[0].Value(), -10.0f);
    EXPECT_EQ(d->h.rangeHigh[0].Decimals(), 1);
    EXPECT_FLOAT_EQ(d->h.rangeLow[9].Value(), -0.001f);
    EXPECT_FLOAT_EQ(d->h.rangeHigh[9].Value(), 32767.0f);
}

// Distinct samples per slot so that a wrong slot shows, whatever the channel.
std::uint8_t SlotPattern(int ch, std::uint32_t s) {
    return static_cast<std::uint8_t>((s * 13 + s / 256 + static_cast<std::uint32_t>(ch)) % 251);
}

TEST(BuildWindow, CutsTheWindowAtBothEndsAcrossTheSeamAndAtSteps) {
    const struct {
        const char* what;
        int records;  // 0: a wrapped ring
        std::uint32_t newestSlot;
        int start, step, wantStart, wantCount;
        void (*more)(FileLayout&) = nullptr;
    } cases[] = {
        {"wrapped: the window crosses the seam", 0, 10, 0, 1, 0, 1200},
        {"wrapped, newest slot at the end", 0, 131071, 0, 1, 0, 1200},
        {"wrapped, window ending on slot 0", 0, 1199, 0, 1, 0, 1200},
        {"wrapped, the oldest record", 0, 10, 131071, 1, 131071, 1},
        {"wrapped, a short last window", 0, 10, 131072 - 1000, 1, 131072 - 1000, 1000},
        {"one record", 1, 0, 0, 1, 0, 1},
        {"start far beyond the end", 5, 4, 2000000000, 1, 4, 1},
        {"negative start", 5, 4, -3, 1, 0, 5},
        {"step 0 taken as 1", 900, 300, 0, 0, 0, 900},
        {"ZT552 seam, channel 2 absent", 0, 3, 0, 1, 0, 1200,
         [](FileLayout& s) {
             s.model = "ZT552", s.present = {1, 0, 1};
         }},
        {"5000 records at step 7", 5000, 4999, 0, 7, 0, 715},
        {"wrapped at step 110", 0, 10, 0, 110, 0, 1192},
        {"wrapped at step 100", 0, 10, 0, 100, 0, 1200},
        {"wrapped near the oldest at step 110", 0, 10, 131000, 110, 131000, 1},
        {"step: start beyond the end", 50, 60, 70, 3, 49, 1},
        {"step: negative start", 50, 60, -10, 3, 0, 17},
        {"huge step", 50, 60, 0, 2147483647, 0, 1},
        {"step across the seam, absent channels", 2000, 100, 30, 2, 30, 985,
         [](FileLayout& s) { s.channelCount = 6, s.present = {1, 0, 1, 1, 0, 1}; }},
    };
    for (const auto& c : cases) {
        FileLayout layout;
        layout.sample = SlotPattern;
        layout.newestSlot = c.newestSlot;
        layout.hasOldestByte = c.records != 0;
        layout.oldest = PackTime(MakeLocalTime(2004, 5, 6, 7, 8, 9) - 10 * (c.records - 1));
        if (c.more) c.more(layout);
        auto d = DecodeFile(layout);
        ASSERT_EQ(d->check, Ok) << c.what;
        HistoryData& h = d->h;
        h.window.fill(0x55);
        h.windowStart = c.start;
        h.windowStep = c.step;
        EXPECT_EQ(BuildWindow(h), 1);
        EXPECT_EQ(h.windowStart, c.wantStart) << c.what;
        EXPECT_EQ(h.windowCount, c.wantCount) << c.what;
        // Sample i is the record start + i * step back; the rest of each row and the rows of
        // absent channels keep the fill.
        const std::uint32_t n = h.capacity;
        int mismatches = 0;
        for (int ch = 0; ch < kMaxChannels; ++ch) {
            for (int i = 0; i < kWindowSamples; ++i) {
                std::uint8_t want = kWindowFill;
                if (BlockOfChannel(h, ch) >= 0 && i < h.windowCount) {
                    const std::int64_t r = h.windowStart + std::int64_t{i} * h.windowStep;
                    want = SlotPattern(
                        ch, static_cast<std::uint32_t>(((c.newestSlot - r) % n + n) % n));
                }
                if (WindowByte(h, ch, i) != want && ++mismatches < 5)
                    ADD_FAILURE() << c.what << ": channel " << ch << " sample " << i;
            }
        }
    }
}

TEST(SampleAccess, StaysInsideTheRingAndTheMapping) {
    HistoryData empty;
    empty.window.fill(1);
    EXPECT_EQ(BuildWindow(empty), 1);
    EXPECT_EQ(empty.windowCount, 0);
    EXPECT_EQ(WindowByte(empty, 0, 0), kWindowFill);
    EXPECT_EQ(SampleBack(empty, 0, 0), 0);

    FileLayout layout;
    layout.sample = SlotPattern;
    layout.present = {1, 0, 1};
    layout.newestSlot = 1;
    layout.hasOldestByte = 0;
    auto d = DecodeFile(layout);
    const HistoryData& h = d->h;
    EXPECT_EQ(SampleBack(h, 2, 2), SlotPattern(2, 131071));
    EXPECT_EQ(SampleAtSlot(h, 0, 131071), SlotPattern(0, 131071));
    const std::pair<int, std::uint32_t> outside[] = {{0, 131072}, {1, 5}, {3, 5}, {-1, 5}};
    for (auto [ch, slot] : outside) EXPECT_EQ(SampleAtSlot(h, ch, slot), 0) << ch << " " << slot;
    // A record changed after decoding (a larger capacity) must not lead outside the mapping.
    HistoryData widened = h;
    widened.capacity = 1u << 20;
    EXPECT_EQ(SampleAtSlot(widened, 2, 131071), 0);
}

TEST(ReadHistoryFile, ReadsRegularFilesOnlyAndReleasesTheEarlierFile) {
    testing::TempDir dir;
    ASSERT_TRUE(testing::WriteBytes(dir / "good.vd", BuildFile(FileLayout())));
    ASSERT_TRUE(testing::WriteBytes(dir / "empty.vd", std::string()));
    ASSERT_EQ(mkfifo((dir / "fifo.vd").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir / "dir.vd").c_str(), 0700), 0);
    HistoryData h;
    for (const char* name : {"empty.vd", "fifo.vd", "dir.vd", "missing.vd"}) {
        ASSERT_EQ(ReadHistoryFile(dir / "good.vd", h), 1);
        EXPECT_EQ(h.file.size(), 256u + 3 * 131072);
        EXPECT_EQ(ReadHistoryFile(dir / name, h), 0) << name;
        EXPECT_TRUE(h.file.empty()) << name;
    }
    // Bytes beyond the largest file cannot belong to any ring: they are not read.
    std::vector<std::uint8_t> huge = BuildFile(FileLayout());
    huge.resize(kMaxHistoryFileSize + 10, 1);
    ASSERT_TRUE(testing::WriteBytes(dir / "huge.vd", huge));
    ASSERT_EQ(ReadHistoryFile(dir / "huge.vd", h), 1);
    EXPECT_EQ(h.file.size(), kMaxHistoryFileSize);
    ReleaseHistoryFile(h);
    EXPECT_TRUE(h.file.empty());
}

// Another program may truncate or rewrite the file while it is open (a card pulled, a copy over
// it): the window and the records come from the program's own copy all the same.
TEST(ReadHistoryFile, TheOpenFileSurvivesTruncationOnDisk) {
    testing::TempDir dir;
    FileLayout layout;
    layout.hasOldestByte = 0;
    const std::vector<std::uint8_t> bytes = BuildFile(layout);
    ASSERT_TRUE(testing::WriteBytes(dir / "f.vd", bytes));
    HistoryData h;
    ASSERT_EQ(ReadHistoryFile(dir / "f.vd", h), 1);
    ASSERT_EQ(DecodeHistoryHeader(ByteSpan(h.file), h), Ok);
    ASSERT_EQ(truncate((dir / "f.vd").c_str(), 100), 0);
    h.windowStart = 5000;
    h.windowStep = 7;
    BuildWindow(h);
    EXPECT_EQ(h.windowCount, kWindowSamples);
    EXPECT_EQ(WindowByte(h, 1, 3), bytes[256 + 131072 + RingSub(0, 5000 + 21, 131072)]);
    for (std::uint32_t r = 0; r < static_cast<std::uint32_t>(h.totalRecords); r += 97) {
        ASSERT_EQ(SampleBack(h, 2, r), bytes[256 + 2 * 131072 + RingSub(0, r, 131072)]) << r;
    }
}

}  // namespace
}  // namespace vardo
