#include "link/upload_plan.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

constexpr VTime kNewest = 1'000'000'200;  // the grid of every interval passes through it

TEST(UploadPlan, SpanChecksInOrder) {
    const VTime oldest = kNewest - 1000;
    const struct {
        VTime start, end;
        SpanCheck result;
    } cases[] = {
        {oldest, kNewest, SpanCheck::Ok},
        {kNewest - 10, kNewest - 10, SpanCheck::Ok},
        {kNewest - 10, kNewest - 11, SpanCheck::Reversed},
        {oldest - 1, oldest - 2, SpanCheck::Reversed},  // reversal is reported first
        {oldest - 1, kNewest + 1, SpanCheck::StartOutOfRange},
        {oldest, kNewest + 1, SpanCheck::EndOutOfRange},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckSpan(c.start, c.end, oldest, kNewest), c.result) << c.start << " " << c.end;
    }
}

TEST(UploadPlan, SpanSnapsOntoRecordGridAndNeverTakesTheNewest) {
    auto at = [](int h, int m, int s) { return MakeLocalTime(2026, 3, 1, h, m, s); };
    const VTime newest = at(11, 0, 0);
    const struct {
        VTime start, end;
        int interval;
        VTime alignedStart, alignedEnd;
    } cases[] = {
        {at(10, 0, 5), at(10, 0, 35), 10, at(10, 0, 10), at(10, 0, 30)},
        {at(10, 0, 5), at(10, 0, 40), 10, at(10, 0, 10), at(10, 0, 30)},
        {at(10, 0, 10), at(10, 0, 10), 10, at(10, 0, 10), at(10, 0, 0)},
        {at(10, 0, 0), newest, 1, at(10, 0, 0), at(10, 59, 59)},
        {at(9, 58, 1), at(10, 1, 59), 240, at(10, 0, 0), at(10, 0, 0)},
    };
    for (const auto& c : cases) {
        const AlignedSpan s = AlignToGrid(c.start, c.end, newest, c.interval);
        EXPECT_EQ(s.start, c.alignedStart) << FormatTime(c.start);
        EXPECT_EQ(s.end, c.alignedEnd) << FormatTime(c.end);
    }
}

// The end's slot follows the write pointer back across the seam; blocks of 64 from the start
// take every record once. The whole memory is one record short of the ring.
TEST(UploadPlan, BlocksCoverEveryRecordOnceEndingWhereThePointerSays) {
    EXPECT_EQ(OldestRecordTime(kNewest, 10, 131072), kNewest - 10 * 131071);
    const struct {
        VTime back;  // records from the aligned end to the newest
        std::int64_t records;
        std::uint32_t pointer, capacity, endIndex, blocks;
    } cases[] = {
        {1, 11, 255, 65536, 254, 1},
        {255, 11, 255, 65536, 0, 1},
        {256, 11, 255, 65536, 65535, 1},
        {1, 11, 65535, 65536, 65534, 1},
        {1, 1, 25855, 65536, 25854, 1},
        {1, 64, 25855, 65536, 25854, 1},
        {1, 65, 25855, 65536, 25854, 2},
        {1, 130, 25855, 65536, 25854, 3},
        {1, 65535, 25855, 65536, 25854, 1024},
        {1, 131071, 0x1FFFF, 131072, 0x1FFFE, 2048},
        {1, 0, 255, 65536, 254, 0},
    };
    for (const auto& c : cases) {
        const VTime end = kNewest - 10 * c.back;
        const UploadPlan plan =
            PlanBlocks({end - 10 * (c.records - 1), end}, kNewest, 10, c.pointer, c.capacity);
        EXPECT_EQ(plan.lastRecord, c.records - 1) << c.records;
        EXPECT_EQ(plan.blocks, c.blocks) << c.records;
        if (c.records > 0) {
            EXPECT_EQ(plan.endIndex, c.endIndex) << c.back;
        }
        std::int64_t total = 0;
        for (std::uint32_t b = 0, index = plan.startIndex; b < plan.blocks; ++b) {
            total += plan.RecordsInBlock(index);
            index = (index + 64) % c.capacity;
        }
        EXPECT_EQ(total, c.records);
    }
}

TEST(UploadPlan, BlockCrossingTheRingEndIsReadInTwoPieces) {
    const struct {
        std::uint32_t index, first, second;
    } cases[] = {{0, 64, 0}, {65472, 64, 0}, {65473, 63, 1}, {65535, 1, 63}, {65536, 0, 0}};
    for (const auto& c : cases) {
        const BlockPieces p = SplitBlock(c.index, 65536);
        EXPECT_EQ(p.firstLength, c.first) << c.index;
        EXPECT_EQ(p.secondLength, c.second) << c.index;
    }
}

}  // namespace
}  // namespace vardo
