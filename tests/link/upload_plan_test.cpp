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

TEST(UploadPlan, WholeMemoryIsCapacityMinusOneRecords) {
    const VTime oldest = OldestRecordTime(kNewest, 10, 131072);
    EXPECT_EQ(oldest, kNewest - 10 * 131071);
    const UploadPlan plan =
        PlanBlocks(AlignToGrid(oldest, kNewest, kNewest, 10), kNewest, 10, 0x1FFFF, 131072);
    EXPECT_EQ(plan.lastRecord, 131070);  // 131071 records
    EXPECT_EQ(plan.blocks, 2048u);
    EXPECT_EQ(plan.endIndex, 0x1FFFEu);
    EXPECT_EQ(plan.startIndex, 0u);
}

TEST(UploadPlan, EndIndexFollowsWritePointerBackAcrossTheSeam) {
    const struct {
        VTime end;  // aligned
        std::uint32_t pointer, endIndex;
    } cases[] = {
        {kNewest - 10, 255, 254},
        {kNewest - 2550, 255, 0},
        {kNewest - 2560, 255, 65535},
        {kNewest - 10, 65535, 65534},
    };
    for (const auto& c : cases) {
        const UploadPlan plan = PlanBlocks({c.end - 100, c.end}, kNewest, 10, c.pointer, 65536);
        EXPECT_EQ(plan.endIndex, c.endIndex) << c.end;
        EXPECT_EQ(plan.lastRecord, 10);
    }
}

TEST(UploadPlan, BlocksCoverEveryRecordOnceAndStopAtTheEnd) {
    const std::uint32_t k = 65536;
    for (const auto& [records, blocks] : {std::pair<std::int64_t, std::uint32_t>{0, 0},
                                          {1, 1},
                                          {64, 1},
                                          {65, 2},
                                          {130, 3},
                                          {65535, 1024}}) {
        const VTime end = kNewest - 10;
        const UploadPlan plan =
            PlanBlocks({end - 10 * (records - 1), end}, kNewest, 10, 100 * 256 + 255, k);
        EXPECT_EQ(plan.lastRecord, records - 1);
        EXPECT_EQ(plan.blocks, blocks) << records;
        std::int64_t total = 0;
        for (std::uint32_t b = 0, index = plan.startIndex; b < plan.blocks; ++b) {
            total += plan.RecordsInBlock(index);
            index = (index + 64) % k;
        }
        EXPECT_EQ(total, records);
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
