#include "history/history_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "../support/history_file_builder.h"
#include "history/ring.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CapacityOf;
using testing::FileSpec;

// Decodes bytes held in memory as if they were the mapping.
struct Decoded {
    std::vector<std::uint8_t> bytes;
    HistoryData h;
    HeaderCheck check = HeaderCheck::Damaged;
};

std::unique_ptr<Decoded> Decode(std::vector<std::uint8_t> bytes) {
    auto d = std::make_unique<Decoded>();
    d->bytes = std::move(bytes);
    d->check = DecodeHistoryHeader(ByteSpan(d->bytes), d->h);
    if (d->check == HeaderCheck::Ok) {
        d->h.view = d->bytes.data();
        d->h.viewSize = d->bytes.size();
    }
    return d;
}

// The slot r records back from newest, by plain modular arithmetic.
std::uint32_t SlotBack(std::uint32_t newest, std::int64_t r, std::uint32_t capacity) {
    return static_cast<std::uint32_t>(
        ((static_cast<std::int64_t>(newest) - r) % capacity + capacity) % capacity);
}

TEST(Ring, StepsAcrossTheSeam) {
    struct Case {
        std::uint32_t a, b, n, sub, add;
    };
    const Case cases[] = {
        {5, 7, 10, 8, 2},
        {3, 3, 10, 0, 6},
        {12, 1, 10, 0, 0},
        {8, 3, 10, 5, 1},
        {9, 0, 10, 9, 9},
        {0, 1, 131072, 131071, 1},
        {131071, 1, 131072, 131070, 0},
        {0, 131071, 131072, 1, 131071},
        {5, 10, 10, 0, 0},
        {65535, 65535, 65536, 0, 65534},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RingSub(c.a, c.b, c.n), c.sub) << c.a << " - " << c.b << " in " << c.n;
        EXPECT_EQ(RingAdd(c.a, c.b, c.n), c.add) << c.a << " + " << c.b << " in " << c.n;
    }
}

TEST(HistoryData, BlocksFollowPresentChannelsOnly) {
    struct Case {
        int channelCount;
        std::array<int, 12> enabled;
        int present;
        std::array<int, 12> blocks;
    };
    const Case cases[] = {
        {3, {1, 1, 1}, 3, {0, 1, 2, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {3, {1, 0, 1}, 2, {0, -1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {6, {1, 0, 1, 1, 0, 1}, 4, {0, -1, 1, 2, -1, 3, -1, -1, -1, -1, -1, -1}},
        // flags above the channel count are ignored
        {2,
         {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         1,
         {-1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
        {12, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        // a count beyond the tables is never trusted past twelve
        {200, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Case& c : cases) {
        HistoryData h;
        h.channelCount = static_cast<std::uint8_t>(c.channelCount);
        h.channelEnabled = c.enabled;
        EXPECT_EQ(PresentChannelCount(h), c.present);
        for (int ch = 0; ch < 12; ++ch) EXPECT_EQ(BlockOfChannel(h, ch), c.blocks[ch]) << ch;
        EXPECT_EQ(BlockOfChannel(h, -1), -1);
        EXPECT_EQ(BlockOfChannel(h, 12), -1);
    }
}

TEST(DecodeHistoryHeader, RefusesFilesThatBreakTheLimits) {
    struct Case {
        const char* what;
        std::function<void(FileSpec&)> spec;
        std::function<void(std::vector<std::uint8_t>&)> bytes;
        HeaderCheck expected;
    };
    const auto none = [](std::vector<std::uint8_t>&) {};
    const auto same = [](FileSpec&) {};
    const Case cases[] = {
        {"well-formed", same, none, HeaderCheck::Ok},
        {"model ZZ330", [](FileSpec& s) { s.model = "ZZ330"; }, none, HeaderCheck::UnknownFormat},
        {"model zt330", [](FileSpec& s) { s.model = "zt330"; }, none, HeaderCheck::UnknownFormat},
        {"empty file", same, [](auto& b) { b.clear(); }, HeaderCheck::UnknownFormat},
        {"one byte Z", same, [](auto& b) { b.resize(1); }, HeaderCheck::UnknownFormat},
        {"header cut at 255", same, [](auto& b) { b.resize(255); }, HeaderCheck::Damaged},
        {"data one byte short", same, [](auto& b) { b.pop_back(); }, HeaderCheck::Damaged},
        {"data one byte long", same, [](auto& b) { b.push_back(0); }, HeaderCheck::Ok},
        {"newest year 100", [](FileSpec& s) { s.newest[0] = 100; }, none, HeaderCheck::Damaged},
        {"newest month 0", [](FileSpec& s) { s.newest[1] = 0; }, none, HeaderCheck::Damaged},
        {"newest month 13", [](FileSpec& s) { s.newest[1] = 13; }, none, HeaderCheck::Damaged},
        {"newest day 0", [](FileSpec& s) { s.newest[2] = 0; }, none, HeaderCheck::Damaged},
        {"newest day 32", [](FileSpec& s) { s.newest[2] = 32; }, none, HeaderCheck::Damaged},
        {"newest hour 24", [](FileSpec& s) { s.newest[3] = 24; }, none, HeaderCheck::Damaged},
        {"newest minute 60", [](FileSpec& s) { s.newest[4] = 60; }, none, HeaderCheck::Damaged},
        {"newest second 60", [](FileSpec& s) { s.newest[5] = 60; }, none, HeaderCheck::Damaged},
        {"newest 2099-12-31 23:59:59",
         [](FileSpec& s) { s.newest = s.oldest = {99, 12, 31, 23, 59, 59}; }, none,
         HeaderCheck::Ok},
        {"day 31 of February carries",
         [](FileSpec& s) { s.newest = s.oldest = {4, 2, 31, 0, 0, 0}; }, none, HeaderCheck::Ok},
        {"oldest invalid with flag 1", [](FileSpec& s) { s.oldest[3] = 24; }, none,
         HeaderCheck::Damaged},
        {"oldest invalid with flag 0",
         [](FileSpec& s) {
             s.hasOldestByte = 0;
             s.oldest = {255, 255, 255, 255, 255, 255};
         },
         none, HeaderCheck::Ok},
        {"oldest invalid with flag 2",
         [](FileSpec& s) {
             s.hasOldestByte = 2;
             s.oldest = {255, 255, 255, 255, 255, 255};
         },
         none, HeaderCheck::Ok},
        {"13 channels",
         [](FileSpec& s) {
             s.channelCount = 13;
             s.present.assign(12, 1);
         },
         [](auto& b) { b.resize(256 + 13 * 131072); }, HeaderCheck::Damaged},
        {"255 channels", [](FileSpec& s) { s.channelCount = 255; },
         [](auto& b) { b.resize(256 + 12 * 131072); }, HeaderCheck::Damaged},
        {"12 channels",
         [](FileSpec& s) {
             s.channelCount = 12;
             s.present.assign(12, 1);
         },
         none, HeaderCheck::Ok},
        {"interval code 9", [](FileSpec& s) { s.intervalCode = 9; }, none, HeaderCheck::Damaged},
        {"interval code 255", [](FileSpec& s) { s.intervalCode = 255; }, none,
         HeaderCheck::Damaged},
        {"interval code 8", [](FileSpec& s) { s.intervalCode = 8; }, none, HeaderCheck::Ok},
        {"newest slot = capacity", [](FileSpec& s) { s.newestSlot = 131072; }, none,
         HeaderCheck::Damaged},
        {"newest slot 2^24-1", [](FileSpec& s) { s.newestSlot = 0xFFFFFF; }, none,
         HeaderCheck::Damaged},
        {"newest slot = capacity - 1", [](FileSpec& s) { s.newestSlot = 131071; }, none,
         HeaderCheck::Ok},
        {"ZT552 slot 65536",
         [](FileSpec& s) {
             s.model = "ZT552";
             s.newestSlot = 65536;
         },
         none, HeaderCheck::Damaged},
        {"ZT552 holds 65536 per channel", [](FileSpec& s) { s.model = "ZT552"; }, none,
         HeaderCheck::Ok},
        {"ZT552 sized like ZT330 is fine", [](FileSpec& s) { s.model = "ZT552"; },
         [](auto& b) { b.resize(256 + 3 * 131072); }, HeaderCheck::Ok},
        {"ZT330 sized like ZT552", [](FileSpec& s) { s.capacity = 65536; }, none,
         HeaderCheck::Damaged},
        {"oldest 20 s after newest", [](FileSpec& s) { s.oldest = {4, 5, 6, 7, 8, 29}; }, none,
         HeaderCheck::Damaged},
        {"oldest a whole ring back",
         [](FileSpec& s) {
             s.oldest = PackTime(MakeLocalTime(2004, 5, 6, 7, 8, 9) - 10 * 131072);
             s.newestSlot = 5;
         },
         none, HeaderCheck::Damaged},
        {"oldest a ring minus one back",
         [](FileSpec& s) {
             s.oldest = PackTime(MakeLocalTime(2004, 5, 6, 7, 8, 9) - 10 * 131071);
             s.newestSlot = 5;
         },
         none, HeaderCheck::Ok},
        {"oldest years back", [](FileSpec& s) { s.oldest = {0, 1, 1, 0, 0, 0}; }, none,
         HeaderCheck::Damaged},
        {"absent channels need no block",
         [](FileSpec& s) {
             s.present = {0, 1, 0};
         },
         none, HeaderCheck::Ok},
        {"flags above the count need no block",
         [](FileSpec& s) {
             s.channelCount = 2;
             s.present = {1, 1, 1, 1};
         },
         none, HeaderCheck::Ok},
        {"no channels", [](FileSpec& s) { s.channelCount = 0; }, none, HeaderCheck::Ok},
    };
    for (const Case& c : cases) {
        FileSpec spec;
        c.spec(spec);
        std::vector<std::uint8_t> bytes = BuildFile(spec);
        c.bytes(bytes);
        HistoryData h;
        EXPECT_EQ(DecodeHistoryHeader(ByteSpan(bytes), h), c.expected) << c.what;
    }
}

TEST(DecodeHistoryHeader, DerivesRingPositionsAndRecordCount) {
    struct Case {
        const char* what;
        std::function<void(FileSpec&)> spec;
        std::uint32_t capacity, oldestIndex;
        int totalRecords;
    };
    const Case cases[] = {
        {"wrapped, newest slot 10",
         [](FileSpec& s) {
             s.hasOldestByte = 0;
             s.newestSlot = 10;
         },
         131072, 11, 131072},
        {"wrapped, newest slot at the end",
         [](FileSpec& s) {
             s.hasOldestByte = 0;
             s.newestSlot = 131071;
         },
         131072, 0, 131072},
        {"wrapped ZT772",
         [](FileSpec& s) {
             s.model = "ZT772";
             s.hasOldestByte = 0;
             s.newestSlot = 0;
         },
         65536, 1, 65536},
        {"one record", [](FileSpec& s) { s.newestSlot = 77; }, 131072, 77, 1},
        {"five records from slot 0",
         [](FileSpec& s) {
             s.newestSlot = 4;
             s.oldest = {4, 5, 6, 7, 7, 29};
         },
         131072, 0, 5},
        {"five records across the seam",
         [](FileSpec& s) {
             s.newestSlot = 2;
             s.oldest = {4, 5, 6, 7, 7, 29};
         },
         131072, 131070, 5},
        {"unknown model ZT999", [](FileSpec& s) { s.model = "ZT999"; }, 131072, 0, 1},
        {"a part interval rounds down",
         [](FileSpec& s) {
             s.newestSlot = 3;
             s.oldest = {4, 5, 6, 7, 7, 50};  // 19 s at 10 s: one record back
         },
         131072, 2, 2},
    };
    for (const Case& c : cases) {
        FileSpec spec;
        c.spec(spec);
        auto d = Decode(BuildFile(spec));
        ASSERT_EQ(d->check, HeaderCheck::Ok) << c.what;
        EXPECT_EQ(d->h.capacity, c.capacity) << c.what;
        EXPECT_EQ(d->h.oldestIndex, c.oldestIndex) << c.what;
        EXPECT_EQ(d->h.totalRecords, c.totalRecords) << c.what;
        EXPECT_EQ(d->h.newestIndex, spec.newestSlot) << c.what;
    }
}

TEST(DecodeHistoryHeader, ReadsTimesRangesAndFlags) {
    FileSpec spec;
    spec.channelCount = 10;
    spec.present = {1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1};
    spec.hasOldestByte = 0;
    spec.intervalCode = 2;  // 5 s
    spec.ranges.assign(12, {0, 0, 1000, 1});
    spec.ranges[0] = {-1000, 2, 1000, 2};
    spec.ranges[9] = {-1, 3, 32767, 0};
    auto d = Decode(BuildFile(spec));
    ASSERT_EQ(d->check, HeaderCheck::Ok);
    const HistoryData& h = d->h;
    EXPECT_STREQ(h.model, "ZT330");
    EXPECT_EQ(h.channelCount, 10);
    EXPECT_EQ(h.intervalCode, 2);
    EXPECT_EQ(h.sampleWidth, 1);
    EXPECT_EQ(h.newestTime, MakeLocalTime(2004, 5, 6, 7, 8, 9));
    EXPECT_EQ(h.oldestTime, h.newestTime - 5 * 131071);
    EXPECT_FLOAT_EQ(h.rangeLow[0].Value(), -10.0f);
    EXPECT_EQ(h.rangeHigh[0].Decimals(), 2);
    EXPECT_FLOAT_EQ(h.rangeLow[9].Value(), -0.001f);
    EXPECT_FLOAT_EQ(h.rangeHigh[9].Value(), 32767.0f);
    EXPECT_FLOAT_EQ(h.rangeHigh[8].Value(), 100.0f);
    EXPECT_EQ(h.channelEnabled[1], 0);
    EXPECT_EQ(h.channelEnabled[9], 0);
    EXPECT_EQ(h.channelEnabled[11], 1);
}

struct WindowCase {
    const char* what;
    std::function<void(FileSpec&)> spec;
    int windowStart, windowStep;
    int expectedStart, expectedCount;
};

// Every window sample is the record start + i * step places back; the rest of the rows and the
// rows of absent channels keep the fill.
void ExpectWindow(const WindowCase& c) {
    FileSpec spec;
    c.spec(spec);
    auto d = Decode(BuildFile(spec));
    ASSERT_EQ(d->check, HeaderCheck::Ok) << c.what;
    HistoryData& h = d->h;
    std::fill(h.window.begin(), h.window.end(), 0x55);
    h.windowStart = c.windowStart;
    h.windowStep = c.windowStep;
    EXPECT_EQ(BuildWindow(h), 1);
    EXPECT_EQ(h.windowStart, c.expectedStart) << c.what;
    EXPECT_EQ(h.windowCount, c.expectedCount) << c.what;
    const std::uint32_t capacity = CapacityOf(spec);
    int mismatches = 0;
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        const bool present = ch < spec.channelCount &&
                             static_cast<std::size_t>(ch) < spec.present.size() &&
                             spec.present[ch] != 0;
        for (int i = 0; i < kWindowSamples; ++i) {
            std::uint8_t expected = kWindowFill;
            if (present && i < h.windowCount) {
                const std::int64_t r = h.windowStart + static_cast<std::int64_t>(i) * h.windowStep;
                expected = spec.sample(ch, SlotBack(spec.newestSlot, r, capacity));
                EXPECT_EQ(SampleBack(h, ch, static_cast<std::uint32_t>(r)), expected);
            }
            if (WindowByte(h, ch, i) != expected && ++mismatches < 5) {
                ADD_FAILURE() << c.what << ": channel " << ch << " sample " << i;
            }
        }
    }
}

// Distinct samples per slot so that a wrong slot shows, whatever the channel.
std::uint8_t SlotPattern(int ch, std::uint32_t s) {
    return static_cast<std::uint8_t>((s * 13 + s / 256 + static_cast<std::uint32_t>(ch)) % 251);
}

// A file of n records written from slot 0 at 10-second intervals ending at 2004-05-06 07:08:09.
std::function<void(FileSpec&)> Records(int n, std::uint32_t newestSlot) {
    return [n, newestSlot](FileSpec& s) {
        s.sample = SlotPattern;
        s.newestSlot = newestSlot;
        s.oldest = PackTime(MakeLocalTime(2004, 5, 6, 7, 8, 9) - 10 * (n - 1));
    };
}

std::function<void(FileSpec&)> Wrapped(std::uint32_t newestSlot) {
    return [newestSlot](FileSpec& s) {
        s.sample = SlotPattern;
        s.hasOldestByte = 0;
        s.newestSlot = newestSlot;
    };
}

TEST(BuildWindow, StepOne) {
    const WindowCase cases[] = {
        {"wrapped, newest slot 10: samples 10, 11 cross the seam", Wrapped(10), 0, 1, 0, 1200},
        {"wrapped, newest slot at the end", Wrapped(131071), 0, 1, 0, 1200},
        {"wrapped, window reaching back over the seam", Wrapped(500), 0, 1, 0, 1200},
        {"wrapped, window ending on slot 0", Wrapped(1199), 0, 1, 0, 1200},
        {"wrapped, window starting on slot 0", Wrapped(0), 0, 1, 0, 1200},
        {"wrapped, the oldest records", Wrapped(10), 131071, 1, 131071, 1},
        {"wrapped, the last full window", Wrapped(10), 131072 - 1200, 1, 131072 - 1200, 1200},
        {"wrapped, a short last window", Wrapped(10), 131072 - 1000, 1, 131072 - 1000, 1000},
        {"one record", Records(1, 0), 0, 1, 0, 1},
        {"start beyond the end", Records(5, 4), 5, 1, 4, 1},
        {"start far beyond the end", Records(5, 4), 2000000000, 1, 4, 1},
        {"negative start", Records(5, 4), -3, 1, 0, 5},
        {"3000 records from 2500", Records(3000, 2999), 2500, 1, 2500, 500},
        {"records across the seam", Records(900, 300), 0, 1, 0, 900},
        {"step 0 taken as 1", Records(900, 300), 0, 0, 0, 900},
        {"ZT552 ring seam",
         [](FileSpec& s) {
             Wrapped(3)(s);
             s.model = "ZT552";
         },
         0, 1, 0, 1200},
    };
    for (const WindowCase& c : cases) ExpectWindow(c);
}

TEST(BuildWindow, Steps) {
    const WindowCase cases[] = {
        {"5000 records at step 7", Records(5000, 4999), 0, 7, 0, 715},
        {"wrapped at step 110", Wrapped(10), 0, 110, 0, 1192},
        {"wrapped at step 100", Wrapped(10), 0, 100, 0, 1200},
        {"wrapped near the oldest at step 110", Wrapped(10), 131000, 110, 131000, 1},
        {"start beyond the end", Records(50, 60), 70, 3, 49, 1},
        {"negative start", Records(50, 60), -10, 3, 0, 17},
        {"huge step", Records(50, 60), 0, 2147483647, 0, 1},
        {"one record", Records(1, 5), 0, 9, 0, 1},
        {"step across the seam", Records(2000, 100), 30, 2, 30, 985},
    };
    for (const WindowCase& c : cases) ExpectWindow(c);
}

TEST(BuildWindow, AbsentChannelKeepsFill) {
    ExpectWindow({"channels 1 and 3 of 3",
                  [](FileSpec& s) {
                      Wrapped(10)(s);
                      s.present = {1, 0, 1};
                  },
                  0, 1, 0, 1200});
    ExpectWindow({"channels 2 and 5 absent of 6, step 3",
                  [](FileSpec& s) {
                      Wrapped(10)(s);
                      s.channelCount = 6;
                      s.present = {1, 0, 1, 1, 0, 1};
                  },
                  0, 3, 0, 1200});
}

TEST(BuildWindow, WithoutAFileFillsOnly) {
    HistoryData h;
    h.window.fill(1);
    EXPECT_EQ(BuildWindow(h), 1);
    EXPECT_EQ(h.windowCount, 0);
    EXPECT_EQ(WindowByte(h, 0, 0), kWindowFill);
    EXPECT_EQ(SampleBack(h, 0, 0), 0);
}

TEST(SampleAccess, StaysInsideTheMapping) {
    FileSpec spec;
    spec.sample = SlotPattern;
    spec.present = {1, 0, 1};
    spec.newestSlot = 1;
    spec.hasOldestByte = 0;
    auto d = Decode(BuildFile(spec));
    ASSERT_EQ(d->check, HeaderCheck::Ok);
    const HistoryData& h = d->h;
    EXPECT_EQ(SampleBack(h, 2, 0), SlotPattern(2, 1));
    EXPECT_EQ(SampleBack(h, 2, 2), SlotPattern(2, 131071));
    EXPECT_EQ(SampleAtSlot(h, 0, 131071), SlotPattern(0, 131071));
    EXPECT_EQ(SampleAtSlot(h, 0, 131072), 0);
    EXPECT_EQ(SampleAtSlot(h, 1, 5), 0);  // absent
    EXPECT_EQ(SampleAtSlot(h, 3, 5), 0);  // beyond the count
    EXPECT_EQ(SampleAtSlot(h, -1, 5), 0);
    // A record changed after decoding (a larger capacity) must not lead outside the mapping.
    HistoryData widened = h;
    widened.capacity = 1u << 20;
    EXPECT_EQ(SampleAtSlot(widened, 2, 131071), 0);
}

TEST(MapHistoryFile, MapsRegularFilesOnly) {
    testing::TempDir dir;
    FileSpec spec;
    ASSERT_TRUE(testing::WriteBytes(dir / "good.vd", BuildFile(spec)));
    ASSERT_TRUE(testing::WriteBytes(dir / "empty.vd", {}));
    ASSERT_EQ(mkfifo((dir / "fifo.vd").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((dir / "dir.vd").c_str(), 0700), 0);

    HistoryData h;
    ASSERT_EQ(MapHistoryFile(dir / "good.vd", h), 1);
    EXPECT_EQ(h.viewSize, 256u + 3 * 131072);
    EXPECT_GE(h.hFile, 0);
    EXPECT_EQ(DecodeHistoryHeader(ByteSpan(h.view, h.viewSize), h), HeaderCheck::Ok);
    const char* refused[] = {"empty.vd", "fifo.vd", "dir.vd", "missing.vd"};
    for (const char* name : refused) {
        EXPECT_EQ(MapHistoryFile(dir / name, h), 0) << name;
        // the earlier file is released first
        EXPECT_EQ(h.view, nullptr) << name;
        EXPECT_EQ(h.hFile, -1) << name;
    }
    ASSERT_EQ(MapHistoryFile(dir / "good.vd", h), 1);
    ReleaseHistoryFile(h);
    EXPECT_EQ(h.view, nullptr);
    EXPECT_EQ(h.viewSize, 0u);
    EXPECT_EQ(h.hFile, -1);
}

}  // namespace
}  // namespace vardo
