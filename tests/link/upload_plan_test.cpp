#include "link/upload_plan.h"

#include <gtest/gtest.h>

namespace vardo {
namespace {

constexpr VTime kNewest = 1'000'000'200;  // the grid of every interval passes through it

TEST(UploadPlan, SpanChecksInOrder) {
    const VTime oldest = kNewest - 1000;
    struct Case {
        VTime start, end;
        SpanCheck result;
    };
    const Case cases[] = {
        {oldest, kNewest, SpanCheck::Ok},
        {kNewest - 10, kNewest - 10, SpanCheck::Ok},
        {kNewest - 10, kNewest - 11, SpanCheck::Reversed},
        {oldest - 1, oldest - 2, SpanCheck::Reversed},  // reversal is reported first
        {oldest - 1, kNewest, SpanCheck::StartOutOfRange},
        {oldest - 1, kNewest + 1, SpanCheck::StartOutOfRange},
        {oldest, kNewest + 1, SpanCheck::EndOutOfRange},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSpan(c.start, c.end, oldest, kNewest), c.result) << c.start << " " << c.end;
    }
}

TEST(UploadPlan, SpanSnapsOntoRecordGridAndNeverTakesTheNewest) {
    const VTime newest = MakeLocalTime(2026, 3, 1, 11, 0, 0);
    auto at = [](int h, int m, int s) { return MakeLocalTime(2026, 3, 1, h, m, s); };
    struct Case {
        VTime start, end;
        int interval;
        VTime alignedStart, alignedEnd;
    };
    const Case cases[] = {
        {at(10, 0, 5), at(10, 0, 35), 10, at(10, 0, 10), at(10, 0, 30)},
        {at(10, 0, 5), at(10, 0, 40), 10, at(10, 0, 10), at(10, 0, 30)},
        {at(10, 0, 10), at(10, 0, 10), 10, at(10, 0, 10), at(10, 0, 0)},
        {at(10, 0, 0), newest, 10, at(10, 0, 0), at(10, 59, 50)},
        {at(10, 0, 0), newest, 1, at(10, 0, 0), at(10, 59, 59)},
        {at(9, 58, 1), at(10, 1, 59), 240, at(10, 0, 0), at(10, 0, 0)},
        {at(10, 0, 1), at(10, 0, 1), 5, at(10, 0, 5), at(10, 0, 0)},
    };
    for (const Case& c : cases) {
        const AlignedSpan s = AlignToGrid(c.start, c.end, newest, c.interval);
        EXPECT_EQ(s.start, c.alignedStart) << FormatTime(c.start);
        EXPECT_EQ(s.end, c.alignedEnd) << FormatTime(c.end);
    }
}

TEST(UploadPlan, WholeMemoryIsCapacityMinusOneRecords) {
    const std::uint32_t k = 131072;
    const VTime oldest = OldestRecordTime(kNewest, 10, k);
    EXPECT_EQ(oldest, kNewest - 10 * 131071);
    const AlignedSpan span = AlignToGrid(oldest, kNewest, kNewest, 10);
    const UploadPlan plan = PlanBlocks(span, kNewest, 10, 0x1FFFF, k);
    EXPECT_EQ(plan.lastRecord, 131070);  // 131071 records
    EXPECT_EQ(plan.blocks, 2048u);
    EXPECT_EQ(plan.endIndex, 0x1FFFEu);
    EXPECT_EQ(plan.startIndex, 0u);
}

TEST(UploadPlan, EndIndexFollowsWritePointerBackAcrossTheSeam) {
    const std::uint32_t k = 65536;
    struct Case {
        VTime end;  // aligned
        std::uint32_t pointer;
        std::uint32_t endIndex;
    };
    const Case cases[] = {
        {kNewest - 10, 255, 254},
        {kNewest - 2550, 255, 0},
        {kNewest - 2560, 255, 65535},
        {kNewest - 10, 65535, 65534},
    };
    for (const Case& c : cases) {
        const UploadPlan plan = PlanBlocks({c.end - 100, c.end}, kNewest, 10, c.pointer, k);
        EXPECT_EQ(plan.endIndex, c.endIndex) << c.end;
        EXPECT_EQ(plan.lastRecord, 10);
    }
}

TEST(UploadPlan, BlocksCoverEveryRecordOnceAndStopAtTheEnd) {
    const std::uint32_t k = 65536;
    struct Case {
        std::int64_t records;
        std::uint32_t blocks;
    };
    for (const Case c : {Case{1, 1}, Case{64, 1}, Case{65, 2}, Case{130, 3}, Case{65535, 1024}}) {
        const VTime end = kNewest - 10;
        const AlignedSpan span{end - 10 * (c.records - 1), end};
        const UploadPlan plan = PlanBlocks(span, kNewest, 10, 100 * 256 + 255, k);
        EXPECT_EQ(plan.blocks, c.blocks) << c.records;
        std::int64_t total = 0;
        std::uint32_t index = plan.startIndex;
        for (std::uint32_t b = 0; b < plan.blocks; ++b) {
            total += plan.RecordsInBlock(index);
            index = (index + 64) % k;
        }
        EXPECT_EQ(total, c.records);
    }
}

TEST(UploadPlan, EmptySpanReadsNothing) {
    const AlignedSpan span = AlignToGrid(kNewest - 100, kNewest - 100, kNewest, 10);
    const UploadPlan plan = PlanBlocks(span, kNewest, 10, 255, 65536);
    EXPECT_EQ(plan.lastRecord, -1);
    EXPECT_EQ(plan.blocks, 0u);
}

TEST(UploadPlan, BlockCrossingTheRingEndIsReadInTwoPieces) {
    struct Case {
        std::uint32_t index;
        std::uint32_t first, second;
    };
    const Case cases[] = {
        {0, 64, 0}, {65472, 64, 0}, {65473, 63, 1}, {65535, 1, 63}, {65536, 0, 0},
    };
    for (const Case& c : cases) {
        const BlockPieces p = SplitBlock(c.index, 65536);
        EXPECT_EQ(p.firstLength, c.first) << c.index;
        EXPECT_EQ(p.secondLength, c.second) << c.index;
    }
}

}  // namespace
}  // namespace vardo
