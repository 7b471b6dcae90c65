// Counting a span's records and finding the record of a rank from the summaries, against a count
// over every record, on both engines: records at uneven times with gaps of every size, so that
// spans cut blocks of every level at their ends, and two configurations.

#include <algorithm>
#include <random>

#include "archive/span_rank.h"
#include "archive_engines.h"

namespace vardo::testing {
namespace {

RecordConfig Channels(int n) {
    RecordConfig c;
    c.intervalCode = 3;
    c.channelCount = n;
    c.present = static_cast<std::uint16_t>((1u << n) - 1);
    for (int ch = 0; ch < n; ++ch) c.high[static_cast<std::size_t>(ch)] = MakeDecimal(1000, 1);
    return c;
}

class SpanRankTest : public ::testing::TestWithParam<Engine> {};

TEST_P(SpanRankTest, CountsAndRanksEqualThoseOverEveryRecord) {
    std::mt19937_64 rng(20261207);
    std::vector<VTime> times;
    VTime t = TimeBase() + 37;
    while (times.size() < 5000) {
        times.push_back(t);
        // Mostly 10 s apart, now and then a gap of minutes, hours or days.
        const std::uint64_t kind = rng() % 100;
        t += kind < 85   ? 10
             : kind < 95 ? 1 + static_cast<VTime>(rng() % 600)
             : kind < 99 ? 3600 + static_cast<VTime>(rng() % 20000)
                         : 300000 + static_cast<VTime>(rng() % 300000);
    }
    ArchivePlace place(GetParam());
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    for (int half = 0; half < 2; ++half) {
        std::vector<OfferedRecord> records;
        for (std::size_t i = half * times.size() / 2; i < (half + 1) * times.size() / 2; ++i) {
            OfferedRecord r;
            r.time = times[i];
            r.samples.fill(static_cast<std::uint8_t>(i));
            records.push_back(r);
        }
        SourceInfo source;
        source.how = kSourceFile;
        AddCounts counts;
        ASSERT_EQ(
            open.store->Add({"", 3, "ZT772"}, Channels(half == 0 ? 4 : 2), records, source, counts),
            ArchiveStatus::Ok);
    }
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
    const std::int64_t id = recorders.at(0).id;

    const VTime lo = times.front() - 1000;
    const VTime hi = times.back() + 1000;
    for (int trial = 0; trial < 120; ++trial) {
        VTime from = lo + static_cast<VTime>(rng() % static_cast<std::uint64_t>(hi - lo));
        // Short spans inside one block, and long ones across every level.
        const VTime width = trial % 3 == 0 ? static_cast<VTime>(rng() % 200)
                                           : static_cast<VTime>(rng() % (hi - lo));
        VTime to = std::min(hi, from + width);
        if (trial == 0) from = lo, to = hi;
        const auto first = std::lower_bound(times.begin(), times.end(), from);
        const auto last = std::upper_bound(times.begin(), times.end(), to);
        const auto n = static_cast<std::int64_t>(last - first);

        SpanCount count;
        ASSERT_EQ(CountSpanRecords(*open.store, id, from, to, count), ArchiveStatus::Ok);
        ASSERT_EQ(count.records, n) << from << ".." << to;
        if (n > 0) {
            EXPECT_EQ(count.first, *first);
            EXPECT_EQ(count.last, *(last - 1));
        }
        std::vector<std::int64_t> ranks = {0, n - 1, n, n / 2};
        for (int k = 0; k < 4 && n > 0; ++k)
            ranks.push_back(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(n)));
        for (const std::int64_t k : ranks) {
            bool found = false;
            VTime at = 0;
            ASSERT_EQ(RecordTimeAtRank(*open.store, id, from, to, k, found, at), ArchiveStatus::Ok);
            ASSERT_EQ(found, k >= 0 && k < n) << "rank " << k << " of " << n;
            if (found) {
                EXPECT_EQ(at, first[k]) << "rank " << k << " in " << from << ".." << to;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SpanRankTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
