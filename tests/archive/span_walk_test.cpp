// The merged walk and the envelope of a recorder's span on both engines, against what the added
// files say: overlapping files held once, a gap, and a change of configuration.

#include <gtest/gtest.h>

#include <random>

#include "archive/span_envelope.h"
#include "archive/span_export.h"
#include "archive/span_walk.h"
#include "archive_engines.h"
#include "datalist/channel_stats.h"
#include "datalist/row_walk.h"

namespace vardo::testing {
namespace {

// What the archive must hold: per record index, its samples and its configuration.
struct Expected {
    VTime time;
    const RecordConfig* config;
    std::array<std::uint8_t, kMaxChannels> samples{};
};

class SpanWalkTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
        spike = 1 + static_cast<std::int64_t>(random() % 40000);
        const std::int64_t s = spike;
        a.count = 40000;
        a.channels = 4;
        a.sample = [s](int ch, std::int64_t i) {
            return static_cast<std::uint8_t>(i == s ? 255 : 60 + (i * 7 + ch * 13) % 90);
        };
        b = a;  // overlapping A's end with the same bytes, then going on
        b.first = 39000;
        b.count = 2000;
        c.first = 41100;  // after a gap of 100 records, other channels, range and decimals
        c.count = 3000;
        c.channels = 2;
        c.highInteger = 2000;
        c.highDecimals = 2;
        c.sample = [](int ch, std::int64_t i) { return static_cast<std::uint8_t>(i * 31 + ch); };

        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        store = std::move(open.store);
        for (const SpanFile* f : {&a, &b, &c})
            ASSERT_EQ(AddSpan(*store, *f).result, HistoryAdd::Added);
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
        ASSERT_EQ(recorders.size(), 1u);
        recorder = recorders[0].id;
        ASSERT_EQ(configs.Load(*store, recorder), ArchiveStatus::Ok);
        ASSERT_EQ(configs.Size(), 2);

        configA = ConfigOfHistory(MakeSpanFile(a)->h);
        configC = ConfigOfHistory(MakeSpanFile(c)->h);
        for (const auto& [f, config] : {std::pair{&b, &configA}, std::pair{&c, &configC}}) {
            for (std::int64_t i = (f == &b ? 0 : f->first); i < f->first + f->count; ++i) {
                Expected e{TimeOf(i), config, {}};
                for (int ch = 0; ch < f->channels; ++ch) e.samples[ch] = f->sample(ch, i);
                held.push_back(e);
            }
        }
    }

    // The rows a listing must give, by the range rules applied to the expected records.
    std::vector<const Expected*> Listing(const SpanBounds& bounds, int step, bool ascending) const {
        std::vector<const Expected*> in;
        for (const Expected& e : held) {
            if (e.time <= bounds.to && (bounds.newestCount || e.time >= bounds.from))
                in.push_back(&e);
        }
        if (bounds.newestCount && static_cast<std::int64_t>(in.size()) > bounds.count)
            in.erase(in.begin(), in.end() - bounds.count);
        if (!ascending) std::reverse(in.begin(), in.end());
        std::vector<const Expected*> out;
        for (std::size_t i = 0; i < in.size(); i += static_cast<std::size_t>(step))
            out.push_back(in[i]);
        return out;
    }

    ArchivePlace place{GetParam()};
    std::unique_ptr<ArchiveStore> store;
    std::int64_t recorder = 0;
    SpanConfigs configs;
    SpanFile a, b, c;
    RecordConfig configA, configC;
    std::int64_t spike = 0;
    std::vector<Expected> held;
};

TEST_P(SpanWalkTest, ListsEachHeldRecordOnceInOrderWithItsOwnConfiguration) {
    const VTime kMin = std::numeric_limits<VTime>::min();
    const VTime kMax = std::numeric_limits<VTime>::max();
    struct Case {
        SpanBounds bounds;
        int step;
        bool ascending;
    } cases[] = {
        {{false, kMin, kMax, 0}, 1, true},
        {{false, kMin, kMax, 0}, 1, false},  // more than one backward chunk
        {{false, kMin, kMax, 0}, 7, false},
        {{true, 0, kMax, 200}, 1, false},
        {{true, 0, TimeOf(41050), 200}, 3, true},              // up to a time in the gap
        {{true, 0, TimeOf(-1), 200}, 1, true},                 // before the first record: none
        {{false, TimeOf(40990), TimeOf(41110), 0}, 2, false},  // across the gap
        {{false, TimeOf(5) + 1, TimeOf(5) + 9, 0}, 1, true},   // between two records: none
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(::testing::Message() << k.bounds.from << ".." << k.bounds.to << " step "
                                          << k.step << (k.ascending ? " oldest" : " newest"));
        const std::vector<const Expected*> want = Listing(k.bounds, k.step, k.ascending);
        std::size_t i = 0;
        const ArchiveStatus status = WalkSpan(
            *store, recorder, configs, k.bounds, k.step, k.ascending, [&](const SpanRow& row) {
                EXPECT_LT(i, want.size());
                if (i >= want.size()) return false;
                EXPECT_EQ(row.number, static_cast<std::int64_t>(i) + 1);
                EXPECT_EQ(row.record->time, want[i]->time);
                EXPECT_GE(row.config, 0);
                if (row.config >= 0) {
                    const RecordConfig& got = configs.At(row.config);
                    EXPECT_EQ(got.channelCount, want[i]->config->channelCount);
                    for (int ch = 0; ch < got.channelCount; ++ch) {
                        EXPECT_EQ(row.record->samples[ch], want[i]->samples[ch]);
                        EXPECT_EQ(RecordValue(got, ch, row.record->samples[ch]),
                                  RecordValue(*want[i]->config, ch, want[i]->samples[ch]));
                    }
                }
                ++i;
                return !::testing::Test::HasFailure();
            });
        ASSERT_EQ(status, ArchiveStatus::Ok);
        ASSERT_EQ(i, want.size());
    }

    // Columns: the widest configuration listed; with nothing listed, the recorder's widest.
    int channels = 0;
    const SpanBounds onlyC{false, TimeOf(41100), TimeOf(42000), 0};
    ASSERT_EQ(SpanChannelCount(*store, recorder, configs, onlyC, 1, channels), ArchiveStatus::Ok);
    EXPECT_EQ(channels, 2);
    const SpanBounds both{false, TimeOf(40999), TimeOf(42000), 0};
    ASSERT_EQ(SpanChannelCount(*store, recorder, configs, both, 1, channels), ArchiveStatus::Ok);
    EXPECT_EQ(channels, 4);
    const SpanBounds none{false, TimeOf(41001), TimeOf(41099), 0};
    ASSERT_EQ(SpanChannelCount(*store, recorder, configs, none, 1, channels), ArchiveStatus::Ok);
    EXPECT_EQ(channels, 4);
}

// Per column, by a plain scan of the records the files hold.
void ExpectEnvelope(const SpanWalkTest& t, const std::vector<Expected>& held, const Envelope& got,
                    VTime from, VTime to, int n) {
    ASSERT_EQ(got.columns.size(), static_cast<std::size_t>(n));
    std::vector<EnvelopeColumn> want(static_cast<std::size_t>(n));
    int channels = 0;
    for (const Expected& e : held) {
        if (e.time < from || e.time > to) continue;
        channels = std::max(channels, e.config->channelCount);
        EnvelopeColumn& col = want[static_cast<std::size_t>(
            static_cast<__int128>(e.time - from) * n / (static_cast<__int128>(to) - from + 1))];
        col.TakeTimes(e.time, e.time, 1);
        for (int ch = 0; ch < e.config->channelCount; ++ch)
            col.TakeValue(ch, RecordValue(*e.config, ch, e.samples[ch]),
                          e.config->high[ch].Decimals());
    }
    (void)t;
    if (channels > 0) {
        EXPECT_EQ(got.channels, channels);
    }
    for (int i = 0; i < n; ++i) {
        const EnvelopeColumn& g = got.columns[static_cast<std::size_t>(i)];
        const EnvelopeColumn& w = want[static_cast<std::size_t>(i)];
        ASSERT_EQ(g.records, w.records) << "column " << i;
        ASSERT_EQ(g.present, w.present) << "column " << i;
        if (w.records == 0) continue;
        ASSERT_EQ(g.first, w.first) << "column " << i;
        ASSERT_EQ(g.last, w.last) << "column " << i;
        for (int ch = 0; ch < kMaxChannels; ++ch) {
            if (!w.Has(ch)) continue;
            ASSERT_EQ(EnvelopeValueText(g.min[ch], g.minDecimals[ch]),
                      EnvelopeValueText(w.min[ch], w.minDecimals[ch]))
                << "column " << i << " channel " << ch;
            ASSERT_EQ(EnvelopeValueText(g.max[ch], g.maxDecimals[ch]),
                      EnvelopeValueText(w.max[ch], w.maxDecimals[ch]))
                << "column " << i << " channel " << ch;
        }
    }
}

TEST_P(SpanWalkTest, EnvelopeEqualsAScanOfEveryRecordAndShowsTheSpike) {
    struct Span {
        VTime from, to;
        int n;
    };
    std::vector<Span> spans = {
        {TimeOf(0), TimeOf(44099), 1},
        {TimeOf(0), TimeOf(44099), 1200},
        {TimeOf(41100) - 5000, TimeOf(41100) + 4999,
         2},  // a column starts at the new configuration
        {TimeOf(41000) - 3000, TimeOf(41000) + 2999, 2},  // a column starts in the gap
        {TimeOf(41001), TimeOf(41099), 3},                // only the gap
        {TimeOf(-100), TimeOf(44199), 100000},
    };
    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    for (int i = 0; i < 30; ++i) {
        const VTime from = TimeOf(-10) + static_cast<VTime>(random() % 450000);
        const VTime to = from + static_cast<VTime>(random() % (i % 3 == 0 ? 5000 : 450000));
        spans.push_back({from, to, 1 + static_cast<int>(random() % (i % 2 == 0 ? 3000 : 40))});
    }
    PieceCache cache;  // shared by every span, as an open span's zoom and scroll steps share it
    for (const Span& s : spans) {
        SCOPED_TRACE(::testing::Message() << s.from << ".." << s.to << " in " << s.n);
        Envelope e;
        ASSERT_EQ(SpanEnvelope(*store, recorder, configs, s.from, s.to, s.n, e), ArchiveStatus::Ok);
        ExpectEnvelope(*this, held, e, s.from, s.to, s.n);
        Envelope cached;
        ASSERT_EQ(SpanEnvelope(*store, recorder, configs, s.from, s.to, s.n, cached, &cache),
                  ArchiveStatus::Ok);
        ExpectEnvelope(*this, held, cached, s.from, s.to, s.n);
    }
    EXPECT_GT(cache.Held(), 0u);

    Envelope whole;
    ASSERT_EQ(SpanEnvelope(*store, recorder, configs, TimeOf(0), TimeOf(44099), 1200, whole),
              ArchiveStatus::Ok);
    const EnvelopeColumn& col =
        whole.columns[EnvelopeColumnOf(TimeOf(spike), TimeOf(0), TimeOf(44099), 1200)];
    EXPECT_EQ(EnvelopeValueText(col.max[0], col.maxDecimals[0]), "100.0");
}

TEST_P(SpanWalkTest, StatisticsOfOneConfigurationEqualThoseOfItsFile) {
    // Records 0 .. 39999 are file A's alone, as A holds them.
    const auto file = MakeSpanFile(a);
    const HistoryData& h = file->h;
    for (const auto& [from, to, step] :
         {std::tuple{TimeOf(0), TimeOf(39999), 1}, std::tuple{TimeOf(100), TimeOf(30000), 13}}) {
        const StatResult want = RecordStats(h, from, to, step);
        SpanStatResult got;
        std::vector<std::int64_t> heard;
        ASSERT_EQ(SpanStats(*store, recorder, configs, {false, from, to, 0}, step, got,
                            [&heard](std::int64_t taken) {
                                heard.push_back(taken);
                                return true;
                            }),
                  ArchiveStatus::Ok);
        EXPECT_EQ(heard.size(), static_cast<std::size_t>((to - from) / 10 / step + 1) / 8192);
        EXPECT_EQ(got.stats.newest, want.newest);
        EXPECT_EQ(got.stats.oldest, want.oldest);
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_EQ(SpanStatCells(got, ch), StatCells(h, want, ch)) << "channel " << ch;
    }
}

TEST_P(SpanWalkTest, StatisticsStoppedPartWayLeaveTheResultAsItWas) {
    SpanStatResult got;
    got.channels = -7;
    std::int64_t asked = 0;
    ASSERT_EQ(SpanStats(*store, recorder, configs, {false, TimeOf(0), TimeOf(44099), 0}, 1, got,
                        [&asked](std::int64_t taken) {
                            asked = taken;
                            return false;
                        }),
              ArchiveStatus::Ok);
    EXPECT_EQ(asked, 8192);
    EXPECT_EQ(got.channels, -7);
}

TEST_P(SpanWalkTest, ExportRowsAreTheListedRecordsChunkAfterChunk) {
    for (const auto& [from, to, step, ascending] :
         {std::tuple{TimeOf(0), TimeOf(44099), 1, true},
          std::tuple{TimeOf(0), TimeOf(44099), 1, false},
          std::tuple{TimeOf(100), TimeOf(43000), 5, false},
          std::tuple{TimeOf(41100), TimeOf(44099), 2, true}}) {
        SCOPED_TRACE(::testing::Message()
                     << "step " << step << (ascending ? " oldest" : " newest"));
        const std::vector<const Expected*> want = Listing({false, from, to, 0}, step, ascending);
        SpanRowSource rows(*store, recorder, configs, from, to, step, ascending);
        ASSERT_EQ(rows.Prepare(), ArchiveStatus::Ok);
        ASSERT_EQ(rows.RowCount(), static_cast<std::int64_t>(want.size()));
        ASSERT_EQ(rows.Columns().size(), from < TimeOf(41000) ? 4u : 2u);
        SpanTexts texts(configs);
        std::size_t i = 0;
        while (const ExportRow* row = rows.Next()) {
            ASSERT_LT(i, want.size());
            ASSERT_EQ(row->number, std::to_string(i + 1));
            ASSERT_EQ(row->time, FormatTime(want[i]->time));
            const RecordConfig& c = *want[i]->config;
            for (std::size_t ch = 0; ch < row->cells.size(); ++ch) {
                const ExportCell& cell = row->cells[ch];
                if (static_cast<int>(ch) >= c.channelCount) {
                    ASSERT_EQ(cell.text, "");
                    continue;
                }
                ASSERT_EQ(cell.text,
                          FormatDecimal(RecordValue(c, static_cast<int>(ch), want[i]->samples[ch]),
                                        c.high[ch].Decimals()));
                ASSERT_EQ(cell.number, std::strtod(std::string(cell.text).c_str(), nullptr) + 0.0);
            }
            ++i;
        }
        EXPECT_EQ(rows.Status(), ArchiveStatus::Ok);
        EXPECT_EQ(i, want.size());
    }
}

// dump's text of a span against the expected records one by one: across the overlap, the gap
// and the change of configuration (empty cells), many chunks, both orders; a refused chunk
// stops it.
TEST_P(SpanWalkTest, RowsTextIsTheListedRecordsOneByOne) {
    const SpanBounds bounds{false, TimeOf(0), TimeOf(44099), 0};
    for (const bool ascending : {true, false}) {
        std::string want;
        std::int64_t number = 0;
        for (const Expected* e : Listing(bounds, 3, ascending)) {
            want += std::to_string(++number) + ";" + FormatTime(e->time);
            const RecordConfig& c = *e->config;
            for (int ch = 0; ch < 4; ++ch) {
                want += ";";
                if (ch < c.channelCount)
                    want +=
                        FormatDecimal(RecordValue(c, ch, e->samples[ch]), c.high[ch].Decimals());
            }
            want += "\n";
        }
        std::string got;
        bool written = false;
        ASSERT_EQ(WriteSpanRowsText(
                      *store, recorder, configs, bounds, 3, ascending, 4, ';',
                      [&got](std::string_view chunk) {
                          got += chunk;
                          return true;
                      },
                      written),
                  ArchiveStatus::Ok);
        EXPECT_TRUE(written);
        EXPECT_EQ(got, want) << ascending;
    }
    int chunks = 0;
    bool written = true;
    EXPECT_EQ(WriteSpanRowsText(
                  *store, recorder, configs, bounds, 1, true, 4, '\t',
                  [&chunks](std::string_view) { return ++chunks < 2; }, written),
              ArchiveStatus::Ok);
    EXPECT_FALSE(written);
    EXPECT_EQ(chunks, 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, SpanWalkTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
