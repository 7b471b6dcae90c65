// The envelope keeps, of equal extremes, the decimals of the earliest record, however the store
// hands over the blocks and records of a column.

#include <gtest/gtest.h>

#include <random>

#include "archive/span_envelope.h"
#include "archive_engines.h"

namespace vardo::testing {
namespace {

class SpanEnvelopeTest : public ::testing::TestWithParam<Engine> {};

// Two files meeting at record 1000 that give every record the same value, 20.0 and 20.00: a
// column across the seam must print the decimals of whichever file comes first in time, also
// when the older file was added last.
TEST_P(SpanEnvelopeTest, EqualExtremesKeepTheEarliestRecordsDecimals) {
    ArchivePlace place(GetParam());
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    ArchiveStore& store = *open.store;
    SpanFile one;
    one.count = 1000;
    one.channels = 2;
    one.sample = [](int, std::int64_t) { return std::uint8_t{51}; };
    SpanFile two = one;
    two.first = 1000;
    two.highInteger = 10000;
    two.highDecimals = 2;
    // Recorder 7 holds one then two, recorders 8 and 9 two's range first; 9 had it added last.
    SpanFile first8 = two;
    first8.first = 0;
    SpanFile then8 = one;
    then8.first = 1000;
    for (const auto& [file, address] :
         {std::pair{&one, 7}, std::pair{&two, 7}, std::pair{&first8, 8}, std::pair{&then8, 8},
          std::pair{&then8, 9}, std::pair{&first8, 9}})
        ASSERT_EQ(AddSpan(store, *file, address).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store.Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 3u);

    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    for (const RecorderSummary& r : recorders) {
        SpanConfigs configs;
        ASSERT_EQ(configs.Load(store, r.id), ArchiveStatus::Ok);
        ASSERT_EQ(configs.Size(), 2);
        ASSERT_EQ(RecordValue(configs.At(0), 0, 51), RecordValue(configs.At(1), 0, 51));
        const std::string early = r.key.address == 7 ? "20.0" : "20.00";
        const std::string late = r.key.address == 7 ? "20.00" : "20.0";
        struct Span {
            VTime from, to;
            int n;
        };
        std::vector<Span> spans = {{TimeOf(0), TimeOf(1999), 1},
                                   {TimeOf(0), TimeOf(1999), 7},
                                   {TimeOf(0), TimeOf(1999), 1200},
                                   {TimeOf(500), TimeOf(1499), 2}};
        // A column that opens with the block holding the seam, at each fine level.
        for (const int shift : {kLodShifts[0], kLodShifts[1], kLodShifts[2]}) {
            const VTime size = VTime{1} << shift;
            spans.push_back(
                {TimeOf(1000) - ((TimeOf(1000) % size) + size) % size, TimeOf(1999), 1});
        }
        for (int i = 0; i < 40; ++i) {
            const VTime from = TimeOf(0) + static_cast<VTime>(random() % 10000);
            spans.push_back({from, TimeOf(1000) + static_cast<VTime>(random() % 10000),
                             1 + static_cast<int>(random() % 5)});
        }
        PieceCache cache;
        for (const Span& s : spans) {
            SCOPED_TRACE(::testing::Message()
                         << r.key.address << ": " << s.from << ".." << s.to << " in " << s.n);
            for (PieceCache* c : {static_cast<PieceCache*>(nullptr), &cache}) {
                Envelope e;
                ASSERT_EQ(SpanEnvelope(store, r.id, configs, s.from, s.to, s.n, e, c),
                          ArchiveStatus::Ok);
                for (int i = 0; i < s.n; ++i) {
                    const EnvelopeColumn& col = e.columns[static_cast<std::size_t>(i)];
                    if (col.records == 0) continue;
                    const std::string want = col.first < TimeOf(1000) ? early : late;
                    for (int ch = 0; ch < 2; ++ch) {
                        EXPECT_EQ(EnvelopeValueText(col.min[ch], col.minDecimals[ch]), want)
                            << "column " << i;
                        EXPECT_EQ(EnvelopeValueText(col.max[ch], col.maxDecimals[ch]), want)
                            << "column " << i;
                    }
                }
            }
        }
    }
}

// A file added into the span of what a block already holds: the earliest of equal extremes may
// be an added record or a held one on either side of it, and a column over the block (at every
// level, and over the records themselves) must print that record's decimals. Records are 10 s
// apart from a time aligned to 512 s, so all of them lie in one block of every level above 0.
TEST_P(SpanEnvelopeTest, EqualExtremesKeepTheEarliestRecordsDecimalsWhereAnAddInterleaves) {
    const auto file = [](std::int64_t first, std::int64_t count, int decimals,
                         std::function<std::uint8_t(std::int64_t)> sample) {
        SpanFile f;
        f.first = first;
        f.count = count;
        f.channels = 1;
        f.highInteger = decimals == 2 ? 10000 : 1000;  // 100.00 or 100.0
        f.highDecimals = decimals;
        f.sample = [sample](int, std::int64_t i) { return sample(i); };
        return f;
    };
    const auto is = [](std::uint8_t v) { return [v](std::int64_t) { return v; }; };
    const struct {
        const char* what;
        std::vector<SpanFile> adds;
        const char* min;
        const char* max;
    } cases[] = {
        {"added between two held records, equal maxima",
         {file(0, 1, 2, is(0)), file(20, 1, 2, is(51)), file(5, 6, 1, is(51))},
         "0.00",
         "20.0"},
        {"added between two held records, equal minima",
         {file(20, 1, 2, is(51)), file(0, 1, 2, is(255)), file(5, 6, 1, is(51))},
         "20.0",
         "100.00"},
        {"added around a held record that comes first",
         {file(10, 1, 2, is(51)),
          file(0, 31, 1,
               [](std::int64_t i) { return i < 15 ? std::uint8_t{0} : std::uint8_t{51}; })},
         "0.0",
         "20.00"},
    };
    ASSERT_EQ(TimeOf(0) % (VTime{1} << kLodShifts[1]), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ArchivePlace place(GetParam());
        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        for (const SpanFile& f : c.adds)
            ASSERT_EQ(AddSpan(*open.store, f).result, HistoryAdd::Added);
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
        ASSERT_EQ(recorders.size(), 1u);
        SpanConfigs configs;
        ASSERT_EQ(configs.Load(*open.store, recorders[0].id), ArchiveStatus::Ok);
        std::vector<std::pair<VTime, VTime>> spans = {{TimeOf(0), TimeOf(30)}};
        for (std::size_t level = 1; level < kLodShifts.size(); ++level) {
            const VTime size = VTime{1} << kLodShifts[level];
            const VTime start = TimeOf(0) - ((TimeOf(0) % size) + size) % size;
            spans.emplace_back(start, start + size - 1);
        }
        for (const auto& [from, to] : spans) {
            Envelope e;
            ASSERT_EQ(SpanEnvelope(*open.store, recorders[0].id, configs, from, to, 1, e),
                      ArchiveStatus::Ok);
            const EnvelopeColumn& col = e.columns[0];
            EXPECT_EQ(EnvelopeValueText(col.min[0], col.minDecimals[0]), c.min) << to - from;
            EXPECT_EQ(EnvelopeValueText(col.max[0], col.maxDecimals[0]), c.max) << to - from;
        }
    }
}

// A read the store cannot finish, for a row it cannot decode or a table gone, is refused, and
// leaves the store reading as before once the archive is whole again.
TEST_P(SpanEnvelopeTest, AFailedReadLeavesTheStoreReadable) {
    ArchivePlace place(GetParam());
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    ArchiveStore& store = *open.store;
    ASSERT_EQ(AddSpan(store, FourChannels(), 7).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store.Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 1u);
    SpanConfigs configs;
    ASSERT_EQ(configs.Load(store, recorders[0].id), ArchiveStatus::Ok);
    // 300 columns of about a minute: blocks of every level read and records at every edge.
    const auto envelope = [&](Envelope& e) {
        return SpanEnvelope(store, recorders[0].id, configs, TimeOf(0), TimeOf(1999), 300, e);
    };
    Envelope whole;
    ASSERT_EQ(envelope(whole), ArchiveStatus::Ok);
    const struct {
        const char* harm;
        const char* mend;
        ArchiveStatus status;
    } cases[] = {
        {"UPDATE lod SET count = -count WHERE level = 0",
         "UPDATE lod SET count = -count "
         "WHERE level = 0",
         ArchiveStatus::Damaged},
        {"ALTER TABLE records RENAME TO gone", "ALTER TABLE gone RENAME TO records",
         ArchiveStatus::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.harm);
        ASSERT_TRUE(place.Sql(c.harm));
        Envelope e;
        EXPECT_EQ(envelope(e), c.status);
        EXPECT_FALSE(store.LastError().empty());
        ASSERT_TRUE(place.Sql(c.mend));
        ASSERT_EQ(envelope(e), ArchiveStatus::Ok) << store.LastError();
        ASSERT_EQ(e.columns.size(), whole.columns.size());
        for (std::size_t i = 0; i < e.columns.size(); ++i) {
            const EnvelopeColumn& a = e.columns[i];
            const EnvelopeColumn& b = whole.columns[i];
            EXPECT_TRUE(a.records == b.records && a.first == b.first && a.last == b.last &&
                        a.present == b.present && a.min == b.min && a.max == b.max)
                << "column " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SpanEnvelopeTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
