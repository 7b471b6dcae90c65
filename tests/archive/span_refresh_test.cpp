// A span left open while a collector adds to its recorder: the next window shows what was added,
// under a configuration the span had not seen, exactly as a span opened afterwards shows it.

#include "app/archive_span.h"
#include "archive_engines.h"

namespace vardo::testing {
namespace {

class SpanRefreshTest : public ::testing::TestWithParam<Engine> {};

ArchiveSpan OpenWhole(const std::string& url) {
    ArchiveSpan span;
    ArchiveOpen open = OpenArchive(url, false);
    EXPECT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    std::vector<RecorderSummary> recorders;
    EXPECT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
    EXPECT_EQ(span.Open(std::move(open.store), recorders.at(0), TimeOf(0), TimeOf(2999)),
              ArchiveStatus::Ok);
    return span;
}

void ExpectSameColumns(const Envelope& got, const Envelope& want) {
    ASSERT_EQ(got.columns.size(), want.columns.size());
    EXPECT_EQ(got.channels, want.channels);
    for (std::size_t c = 0; c < got.columns.size(); ++c) {
        const EnvelopeColumn& g = got.columns[c];
        const EnvelopeColumn& w = want.columns[c];
        ASSERT_EQ(g.records, w.records) << "column " << c;
        EXPECT_EQ(g.first, w.first);
        EXPECT_EQ(g.last, w.last);
        EXPECT_EQ(g.present, w.present);
        EXPECT_EQ(g.min, w.min);
        EXPECT_EQ(g.max, w.max);
        EXPECT_EQ(g.minDecimals, w.minDecimals);
    }
}

TEST_P(SpanRefreshTest, AnOpenSpanShowsWhatWasAddedSinceAsANewSpanDoes) {
    ArchivePlace place(GetParam());
    {
        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        ASSERT_EQ(AddSpan(*open.store, FourChannels()).result, HistoryAdd::Added);
    }
    ArchiveSpan open = OpenWhole(place.url());
    for (int columns : {300, 37}) ASSERT_EQ(open.BuildWindow(columns), ArchiveStatus::Ok);
    EXPECT_EQ(open.envelope.columns.back().records, 0);

    {
        ArchiveOpen collector = OpenArchive(place.url(), false);
        ASSERT_EQ(collector.status, ArchiveStatus::Ok) << collector.error;
        ASSERT_EQ(AddSpan(*collector.store, TwoChannelsAfterAGap()).result, HistoryAdd::Added);
    }
    ArchiveSpan fresh = OpenWhole(place.url());
    for (int columns : {300, 37}) {
        ASSERT_EQ(open.BuildWindow(columns), ArchiveStatus::Ok);
        ASSERT_EQ(fresh.BuildWindow(columns), ArchiveStatus::Ok);
        ExpectSameColumns(open.envelope, fresh.envelope);
    }
    EXPECT_EQ(open.Configs().Size(), 2);
    EXPECT_GT(open.envelope.columns.back().records, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, SpanRefreshTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
