// The store on both engines: what an add holds, counts and summarises.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "archive/archive_rows.h"
#include "archive/archive_segments.h"
#include "archive_engines.h"
#include "history/ring.h"

namespace vardo::testing {
namespace {

class ArchiveStoreTest : public ::testing::TestWithParam<Engine> {
  protected:
    std::unique_ptr<ArchiveStore> Open(bool create = true) {
        ArchiveOpen open = OpenArchive(place.url(), create);
        EXPECT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        return std::move(open.store);
    }
    ArchivePlace place{GetParam()};
};

struct Counts {
    std::int64_t added, same, conflicts;
};

struct Segment {
    std::string model;
    std::int64_t first, count;  // record indexes
    int channels;
};

struct OverlapCase {
    const char* name;
    std::vector<std::pair<SpanFile, int>> files;  // file and address
    std::vector<Counts> counts;                   // of each add, in order
    std::vector<Segment> segments;
};

SpanFile Span(std::int64_t first, std::int64_t count) {
    SpanFile f;
    f.first = first;
    f.count = count;
    return f;
}

SpanFile Changed(SpanFile f) {
    f.sample = [](int ch, std::int64_t i) { return static_cast<std::uint8_t>(i * 5 + ch + 1); };
    return f;
}

SpanFile Model(SpanFile f, const char* model, int channels) {
    f.model = model;
    f.channels = channels;
    return f;
}

SpanFile Ranged(SpanFile f, int highInteger, int decimals) {
    f.highInteger = highInteger;
    f.highDecimals = decimals;
    return f;
}

const OverlapCase kOverlapCases[] = {
    {"identical overlap",
     {{Span(0, 100), 7}, {Span(50, 100), 7}},
     {{100, 0, 0}, {50, 50, 0}},
     {{"ZT330", 0, 150, 3}}},
    {"conflicting overlap keeps what is held",
     {{Span(0, 100), 7}, {Changed(Span(60, 100)), 7}},
     {{100, 0, 0}, {60, 0, 40}},
     {{"ZT330", 0, 160, 3}}},
    {"a gap starts a new segment",
     {{Span(0, 100), 7}, {Span(102, 10), 7}},
     {{100, 0, 0}, {10, 0, 0}},
     {{"ZT330", 0, 100, 3}, {"ZT330", 102, 10, 3}}},
    {"a change of configuration starts a new segment",
     {{Span(0, 100), 7}, {Ranged(Span(100, 20), 2000, 1), 7}, {Ranged(Span(120, 5), 2000, 1), 7}},
     {{100, 0, 0}, {20, 0, 0}, {5, 0, 0}},
     {{"ZT330", 0, 100, 3}, {"ZT330", 100, 25, 3}}},
    {"the same address with two models",
     {{Span(0, 100), 7}, {Model(Span(0, 100), "ZT772", 12), 7}},
     {{100, 0, 0}, {100, 0, 0}},
     {{"ZT330", 0, 100, 3}, {"ZT772", 0, 100, 12}}},
    {"a re-add changes nothing",
     {{Span(0, 100), 7}, {Span(0, 100), 7}, {Span(10, 20), 7}},
     {{100, 0, 0}, {0, 100, 0}, {0, 20, 0}},
     {{"ZT330", 0, 100, 3}}},
};

TEST_P(ArchiveStoreTest, OverlappingFilesMergeOnceAndCountConflicts) {
    for (const OverlapCase& c : kOverlapCases) {
        ArchivePlace fresh(GetParam());
        ArchiveOpen open = OpenArchive(fresh.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << c.name << open.error;
        ArchiveStore& store = *open.store;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const HistoryAddResult r = AddSpan(store, c.files[i].first, c.files[i].second);
            ASSERT_EQ(r.result, HistoryAdd::Added) << c.name << r.error;
            EXPECT_EQ(r.counts.added, c.counts[i].added) << c.name << " add " << i;
            EXPECT_EQ(r.counts.same, c.counts[i].same) << c.name << " add " << i;
            EXPECT_EQ(r.counts.conflicts, c.counts[i].conflicts) << c.name << " add " << i;
        }
        std::vector<ArchiveSegment> segments;
        ASSERT_EQ(ListSegments(store, segments), ArchiveStatus::Ok) << c.name;
        ASSERT_EQ(segments.size(), c.segments.size()) << c.name;
        for (std::size_t i = 0; i < segments.size(); ++i) {
            EXPECT_EQ(segments[i].recorder.model, c.segments[i].model) << c.name;
            EXPECT_EQ(segments[i].start, TimeOf(c.segments[i].first)) << c.name;
            EXPECT_EQ(segments[i].end, TimeOf(c.segments[i].first + c.segments[i].count - 1))
                << c.name;
            EXPECT_EQ(segments[i].records, c.segments[i].count) << c.name;
            EXPECT_EQ(segments[i].config.channelCount, c.segments[i].channels) << c.name;
        }
        std::vector<SourceInfo> sources;
        ASSERT_EQ(store.Sources(sources), ArchiveStatus::Ok);
        EXPECT_EQ(sources.size(), c.files.size()) << c.name;
    }
}

// Every held record carries the bytes of the add that first brought it, whatever came after.
TEST_P(ArchiveStoreTest, HeldRecordsKeepTheirFirstBytesAndConfiguration) {
    auto store = Open();
    const SpanFile first = Span(0, 100);
    const SpanFile second = Ranged(Changed(Span(50, 100)), 500, 2);
    ASSERT_EQ(AddSpan(*store, first).result, HistoryAdd::Added);
    ASSERT_EQ(AddSpan(*store, second).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 1u);
    EXPECT_EQ(recorders[0].records, 150);
    EXPECT_EQ(recorders[0].first, TimeOf(0));
    EXPECT_EQ(recorders[0].last, TimeOf(149));
    std::vector<std::pair<std::int64_t, RecordConfig>> configs;
    ASSERT_EQ(store->Configs(recorders[0].id, configs), ArchiveStatus::Ok);
    ASSERT_EQ(configs.size(), 2u);
    std::map<std::int64_t, RecordConfig> byId(configs.begin(), configs.end());
    std::int64_t seen = 0;
    ASSERT_EQ(store->ReadRecords(recorders[0].id, TimeOf(0), TimeOf(149),
                                 [&](std::span<const ArchivedRecord> chunk) {
                                     for (const ArchivedRecord& r : chunk) {
                                         const std::int64_t i = (r.time - TimeBase()) / 10;
                                         EXPECT_EQ(i, seen);
                                         const SpanFile& from = i < 100 ? first : second;
                                         const RecordConfig& c = byId.at(r.config);
                                         EXPECT_EQ(c.high[0].Decimals(), from.highDecimals);
                                         for (int ch = 0; ch < 3; ++ch)
                                             EXPECT_EQ(r.samples[ch], from.sample(ch, i)) << i;
                                         ++seen;
                                     }
                                     return true;
                                 }),
              ArchiveStatus::Ok);
    EXPECT_EQ(seen, 150);

    std::vector<ArchivedRecord> last;
    ASSERT_EQ(store->ReadLast(recorders[0].id, TimeOf(120), 5, last), ArchiveStatus::Ok);
    ASSERT_EQ(last.size(), 5u);
    EXPECT_EQ(last.front().time, TimeOf(116));
    EXPECT_EQ(last.back().time, TimeOf(120));
    std::optional<VTime> newest;
    ASSERT_EQ(store->Newest({"", 7, "ZT330"}, newest), ArchiveStatus::Ok);
    EXPECT_EQ(newest, TimeOf(149));
    ASSERT_EQ(store->Newest({"elsewhere", 7, "ZT330"}, newest), ArchiveStatus::Ok);
    EXPECT_FALSE(newest.has_value());
}

// The summaries agree with the records at every level, across adds that share blocks.
TEST_P(ArchiveStoreTest, LevelOfDetailBlocksHoldEveryRecordsExtremes) {
    auto store = Open();
    SpanFile a = Span(0, 3000);
    a.sample = [](int ch, std::int64_t i) {
        return static_cast<std::uint8_t>((i * 37 + ch) % 251);
    };
    ASSERT_EQ(AddSpan(*store, a).result, HistoryAdd::Added);
    ASSERT_EQ(AddSpan(*store, Ranged(Changed(Span(2990, 500)), 3000, 2)).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 1u);
    std::vector<std::pair<std::int64_t, RecordConfig>> configs;
    ASSERT_EQ(store->Configs(recorders[0].id, configs), ArchiveStatus::Ok);
    const std::map<std::int64_t, RecordConfig> byId(configs.begin(), configs.end());
    for (int level = 0; level < static_cast<int>(kLodShifts.size()); ++level) {
        std::map<std::int64_t, LodBlock> expected;
        ASSERT_EQ(store->ReadRecords(recorders[0].id, TimeOf(0), TimeOf(4000),
                                     [&](std::span<const ArchivedRecord> chunk) {
                                         for (const ArchivedRecord& r : chunk) {
                                             std::array<LodLevel, kLodShifts.size()> one;
                                             OfferedRecord o{r.time, r.samples};
                                             AccumulateLod(byId.at(r.config), {&o, 1}, one);
                                             auto& b = one[level].begin()->second;
                                             auto [it, made] =
                                                 expected.try_emplace(LodBlockOf(r.time, level), b);
                                             if (!made) MergeLod(it->second, b);
                                         }
                                         return true;
                                     }),
                  ArchiveStatus::Ok);
        std::vector<LodBlock> blocks;
        ASSERT_EQ(store->ReadLod(recorders[0].id, level, TimeOf(0), TimeOf(3489), blocks),
                  ArchiveStatus::Ok);
        ASSERT_EQ(blocks.size(), expected.size()) << level;
        std::int64_t total = 0;
        for (const LodBlock& b : blocks) {
            const LodBlock& e = expected.at(LodBlockOf(b.start, level));
            EXPECT_EQ(b.first, e.first);
            EXPECT_EQ(b.last, e.last);
            EXPECT_EQ(b.records, e.records);
            EXPECT_EQ(b.present, 0b111);
            for (int ch = 0; ch < 3; ++ch) {
                EXPECT_EQ(b.min[ch], e.min[ch]) << level << " " << b.start;
                EXPECT_EQ(b.max[ch], e.max[ch]) << level << " " << b.start;
                EXPECT_EQ(b.minDecimals[ch], e.minDecimals[ch]);
                EXPECT_EQ(b.maxDecimals[ch], e.maxDecimals[ch]);
            }
            total += b.records;
        }
        EXPECT_EQ(total, 3490) << level;
    }
}

TEST_P(ArchiveStoreTest, ReadingNeverMakesAnArchive) {
    ArchiveOpen open = OpenArchive(place.url(), false);
    EXPECT_EQ(open.status, ArchiveStatus::Missing);
    EXPECT_EQ(open.store, nullptr);
    EXPECT_TRUE(FileNames(place.dir().path()).empty());
    // Still nothing there for the next reader either.
    EXPECT_EQ(OpenArchive(place.url(), false).status, ArchiveStatus::Missing);
    auto store = Open(true);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(OpenArchive(place.url(), false).status, ArchiveStatus::Ok);
}

TEST_P(ArchiveStoreTest, AForeignArchiveIsRefusedAsDamaged) {
    if (GetParam() == Engine::Sqlite) {
        for (const std::string bytes :
             {std::string("not a database, just text\n"), std::string(4096, '\xff')}) {
            ASSERT_TRUE(WriteBytes(place.dir() / "Archive.db", bytes));
            for (bool create : {false, true}) {
                ArchiveOpen open = OpenArchive(place.url(), create);
                EXPECT_EQ(open.status, ArchiveStatus::Damaged) << open.error;
                EXPECT_FALSE(open.error.empty());
            }
            EXPECT_EQ(ReadText(place.dir() / "Archive.db"), bytes);
        }
        std::remove((place.dir() / "Archive.db").c_str());
        const std::string foreign = "sqlite3 " + place.dir() / "Archive.db" +
                                    " 'CREATE TABLE t (x); INSERT INTO t VALUES (1);'";
        ASSERT_EQ(std::system(foreign.c_str()), 0);
    } else {
        ASSERT_TRUE(place.Sql("CREATE TABLE t (x integer); INSERT INTO t VALUES (1)"));
    }
    for (bool create : {false, true}) {
        ArchiveOpen open = OpenArchive(place.url(), create);
        EXPECT_EQ(open.status, ArchiveStatus::Damaged) << open.error;
    }
}

TEST_P(ArchiveStoreTest, ANewerSchemaIsRefused) {
    { auto store = Open(); }
    ASSERT_TRUE(place.Sql("UPDATE schema_version SET version = 99"));
    for (bool create : {false, true}) {
        ArchiveOpen open = OpenArchive(place.url(), create);
        EXPECT_EQ(open.status, ArchiveStatus::Damaged);
        EXPECT_NE(open.error.find("99"), std::string::npos) << open.error;
    }
}

// What the documented view gives a plant's SQL user: the value the data list prints.
TEST_P(ArchiveStoreTest, TheViewGivesEngineeringValues) {
    auto store = Open();
    ASSERT_EQ(AddSpan(*store, Ranged(Span(0, 3), 2500, 1), 9, "north").result, HistoryAdd::Added);
    const std::string query =
        "SELECT site, address, model, channel, raw, value, decimals FROM record_values "
        "WHERE channel = 2 ORDER BY t";
    std::string out;
    if (GetParam() == Engine::Sqlite) {
        const std::string command = "sqlite3 -separator ' ' " + place.dir() / "Archive.db" + " \"" +
                                    query + "\" > " + place.dir() / "out.txt";
        ASSERT_EQ(std::system(command.c_str()), 0);
        out = ReadText(place.dir() / "out.txt");
    } else {
        PGconn* c = PQconnectdb(place.url().c_str());
        PGresult* r = PQexec(c, query.c_str());
        ASSERT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << PQerrorMessage(c);
        for (int i = 0; i < PQntuples(r); ++i) {
            for (int j = 0; j < PQnfields(r); ++j)
                out += std::string(j ? " " : "") + PQgetvalue(r, i, j);
            out += "\n";
        }
        PQclear(r);
        PQfinish(c);
    }
    // Samples 40, 43, 46 of 0.0..250.0; the engines print doubles to different lengths.
    std::istringstream rows(out);
    for (int raw : {40, 43, 46}) {
        std::string site, model;
        int address = 0, channel = 0, stored = 0, decimals = 0;
        double value = 0;
        ASSERT_TRUE(rows >> site >> address >> model >> channel >> stored >> value >> decimals)
            << out;
        EXPECT_EQ(site + " " + std::to_string(address) + " " + model, "north 9 ZT330");
        EXPECT_EQ(channel, 2);
        EXPECT_EQ(stored, raw);
        EXPECT_NEAR(value, 250.0 * raw / 255.0, 1e-9);
        EXPECT_EQ(decimals, 1);
    }
    std::string more;
    EXPECT_FALSE(rows >> more) << out;
}

// A store keeps its reads ready between calls: a read that stopped early or that another read's
// callback made must leave the next read whole, and must not pin what the store sees.
TEST_P(ArchiveStoreTest, ReadsStayWholeAfterEarlyStopsNestingAndAnotherProgramsAdd) {
    std::unique_ptr<ArchiveStore> store = Open();
    ASSERT_EQ(AddSpan(*store, Span(0, 10000)).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 1u);
    const std::int64_t id = recorders[0].id;
    const auto count = [&](VTime from, VTime to, std::int64_t stopAfter) {
        std::int64_t n = 0;
        EXPECT_EQ(store->ReadRecords(id, from, to,
                                     [&](std::span<const ArchivedRecord> chunk) {
                                         n += static_cast<std::int64_t>(chunk.size());
                                         return n < stopAfter;
                                     }),
                  ArchiveStatus::Ok);
        return n;
    };
    EXPECT_EQ(count(TimeOf(0), TimeOf(9999), 1), 4096);  // stopped after the first chunk
    // The server engine reads a span through one cursor per connection: no span within a span.
    const bool spanInSpan = GetParam() == Engine::Sqlite;
    std::int64_t inner = 0;
    std::vector<LodBlock> blocks;
    std::vector<ArchivedRecord> some;
    EXPECT_EQ(store->ReadRecords(
                  id, TimeOf(0), TimeOf(9999),
                  [&](std::span<const ArchivedRecord>) {
                      if (spanInSpan) inner += count(TimeOf(100), TimeOf(199), 1000);
                      EXPECT_EQ(store->ReadLod(id, 0, TimeOf(0), TimeOf(9999), blocks),
                                ArchiveStatus::Ok);
                      EXPECT_EQ(store->ReadLast(id, TimeOf(9), 5, some), ArchiveStatus::Ok);
                      return true;
                  }),
              ArchiveStatus::Ok);
    EXPECT_EQ(inner, spanInSpan ? 3 * 100 : 0);  // three chunks, each reading a hundred records
    EXPECT_EQ(some.size(), 5u);
    EXPECT_FALSE(blocks.empty());
    EXPECT_EQ(count(TimeOf(0), TimeOf(9999), 1), 4096);
    // Another program adds while this store has read and stopped early; this one sees the add.
    ASSERT_EQ(AddSpan(*Open(), Span(10000, 50)).result, HistoryAdd::Added);
    EXPECT_EQ(count(TimeOf(0), TimeOf(20000), 1 << 30), 10050);
    std::vector<ArchivedRecord> last;
    ASSERT_EQ(store->ReadLast(id, TimeOf(20000), 3, last), ArchiveStatus::Ok);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last.back().time, TimeOf(10049));
}

// A long request is read in two halves at once from its second read on: whether on one connection
// or two, each block once and in order, also one that stretches on both sides of the cut meet.
TEST_P(ArchiveStoreTest, PiecesAreWhatTheirStretchesReadOneByOneEachOnceInOrder) {
    std::unique_ptr<ArchiveStore> store = Open();
    ASSERT_EQ(AddSpan(*store, Span(0, 5000)).result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(store->Recorders(recorders), ArchiveStatus::Ok);
    const std::int64_t id = recorders.at(0).id;
    const auto check = [&](const std::vector<TimeStretch>& stretches) {
        PieceRequest request;
        for (auto& level : request.blocks) level = stretches;
        request.records = stretches;
        Pieces got;
        ASSERT_EQ(store->ReadPieces(id, request, got), ArchiveStatus::Ok);
        std::vector<ArchivedRecord> records;
        for (const TimeStretch& t : stretches)
            ASSERT_EQ(store->ReadRecords(id, t.from, t.to,
                                         [&](std::span<const ArchivedRecord> chunk) {
                                             records.insert(records.end(), chunk.begin(),
                                                            chunk.end());
                                             return true;
                                         }),
                      ArchiveStatus::Ok);
        ASSERT_EQ(got.records.size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(got.records[i].time, records[i].time);
            EXPECT_EQ(got.records[i].samples, records[i].samples);
        }
        for (int level = 0; level < static_cast<int>(kLodShifts.size()); ++level) {
            std::map<VTime, std::int64_t> want;  // block start -> records, each block once
            for (const TimeStretch& t : stretches) {
                std::vector<LodBlock> blocks;
                ASSERT_EQ(store->ReadLod(id, level, t.from, t.to, blocks), ArchiveStatus::Ok);
                for (const LodBlock& b : blocks) want[b.start] = b.records;
            }
            std::map<VTime, std::int64_t> seen;
            for (std::size_t i = 0; i < got.blocks[level].size(); ++i) {
                const LodBlock& b = got.blocks[level][i];
                if (i > 0) EXPECT_LT(got.blocks[level][i - 1].start, b.start) << level;
                seen[b.start] = b.records;
            }
            EXPECT_EQ(seen, want) << level;
        }
    };
    // Stretches that share a block at every level, one before the records, one inside a block.
    check({{TimeOf(-500), TimeOf(-400)},
           {TimeOf(10), TimeOf(20)},
           {TimeOf(21), TimeOf(700)},
           {TimeOf(3000), TimeOf(3001)}});
    std::vector<TimeStretch> many;
    for (std::size_t i = 0; i < kSplitStretches; ++i)
        many.push_back({TimeOf(4 * static_cast<std::int64_t>(i)),
                        TimeOf(4 * static_cast<std::int64_t>(i)) + 15});
    check(many);
    check(many);
}

// Two reads at once count as one state only when nothing was committed while they ran.
TEST_P(ArchiveStoreTest, ReadsAtOnceAreOneStateOrAreToBeReadAgain) {
    std::unique_ptr<ArchiveStore> store = Open();
    ASSERT_EQ(AddSpan(*store, Span(0, 100)).result, HistoryAdd::Added);
    const auto read = [](ArchiveStore& s) {
        std::vector<RecorderSummary> recorders;
        return s.Recorders(recorders);
    };
    const auto readWhileAnotherAdds = [&](ArchiveStore& s) {
        EXPECT_EQ(AddSpan(*Open(), Span(100, 10)).result, HistoryAdd::Added);
        return read(s);
    };
    ArchiveStatus status = ArchiveStatus::Failed;
    EXPECT_FALSE(store->ReadAtOnce(read, read, status));  // the first long read runs on one
    EXPECT_EQ(status, ArchiveStatus::Ok);
    EXPECT_TRUE(store->ReadAtOnce(read, read, status));
    EXPECT_FALSE(store->ReadAtOnce(read, readWhileAnotherAdds, status));
    EXPECT_EQ(status, ArchiveStatus::Ok);
    EXPECT_TRUE(store->ReadAtOnce(read, read, status));
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveStoreTest, ::testing::ValuesIn(kEngines), EngineParamName);

// What the server's planner believes a table holds (its last analysis) and what it does hold.
std::pair<std::int64_t, std::int64_t> PlannedAndHeld(const std::string& url, const char* table) {
    PGconn* c = PQconnectdb(url.c_str());
    const std::string query = std::string("SELECT (SELECT reltuples FROM pg_class WHERE oid = '") +
                              table + "'::regclass)::bigint, (SELECT count(*) FROM " + table + ")";
    PGresult* r = PQexec(c, query.c_str());
    std::pair<std::int64_t, std::int64_t> out{-2, -2};
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1)
        out = {std::stoll(PQgetvalue(r, 0, 0)), std::stoll(PQgetvalue(r, 0, 1))};
    else
        ADD_FAILURE() << PQerrorMessage(c);
    PQclear(r);
    PQfinish(c);
    return out;
}

// The first read after a large add must be planned on what the add brought: a year's envelope
// planned on the statistics of an empty archive scanned every block once per stretch. Adds that
// grow a table by a tenth or more leave it analysed; smaller ones leave it to autovacuum, so that
// an add into a large archive costs no more than into a small one.
TEST(PostgresArchiveStatistics, AnAddThatGrowsATableByATenthLeavesItAnalysed) {
    ArchivePlace place(Engine::Postgres);
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    const struct {
        std::int64_t first, count;
        bool analysed;
    } adds[] = {{0, 1000, true}, {1000, 1000, true}, {2000, 10, false}, {2010, 250, true}};
    for (const auto& add : adds) {
        ASSERT_EQ(AddSpan(*open.store, Span(add.first, add.count)).result, HistoryAdd::Added);
        for (const char* table : {"records", "lod"}) {
            const auto [planned, held] = PlannedAndHeld(place.url(), table);
            if (add.analysed) {
                EXPECT_EQ(planned, held) << table << " after the add at " << add.first;
            } else {
                EXPECT_NE(planned, held) << table << " after the add at " << add.first;
            }
        }
    }
}

}  // namespace
}  // namespace vardo::testing
