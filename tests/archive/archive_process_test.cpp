// The archive when things go wrong around an add: a killed adder, an archive it may not write,
// a disk that fills, a server that drops the connection.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "archive_engines.h"

namespace vardo::testing {
namespace {

class ArchiveProcessTest : public ::testing::TestWithParam<Engine> {
  protected:
    ArchivePlace place{GetParam()};
};

// What the archive holds, in a form two states compare by.
struct Held {
    std::int64_t records = 0;
    std::size_t sources = 0;
    std::int64_t lodRecords = 0;
    bool operator==(const Held&) const = default;
};

Held HeldIn(const std::string& url) {
    Held h;
    ArchiveOpen open = OpenArchive(url, false);
    EXPECT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    if (!open.store) return h;
    std::vector<RecorderSummary> recorders;
    EXPECT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
    for (const RecorderSummary& r : recorders) {
        EXPECT_EQ(open.store->ReadRecords(r.id, r.first, r.last,
                                          [&](std::span<const ArchivedRecord> chunk) {
                                              h.records += static_cast<std::int64_t>(chunk.size());
                                              return true;
                                          }),
                  ArchiveStatus::Ok);
        std::vector<LodBlock> blocks;
        EXPECT_EQ(open.store->ReadLod(r.id, 0, r.first, r.last, blocks), ArchiveStatus::Ok);
        for (const LodBlock& b : blocks) h.lodRecords += b.records;
    }
    std::vector<SourceInfo> sources;
    EXPECT_EQ(open.store->Sources(sources), ArchiveStatus::Ok);
    h.sources = sources.size();
    return h;
}

// Records and level-0 blocks' records of the first recorder's whole span, as one read of pieces
// gives them: -1 when the read fails.
std::int64_t PiecesHeld(ArchiveStore& store) {
    std::vector<RecorderSummary> recorders;
    if (store.Recorders(recorders) != ArchiveStatus::Ok || recorders.empty()) return -1;
    const TimeStretch all{recorders[0].first, recorders[0].last};
    PieceRequest request;
    request.blocks[0].push_back(all);
    request.records.push_back(all);
    Pieces pieces;
    if (store.ReadPieces(recorders[0].id, request, pieces) != ArchiveStatus::Ok) return -1;
    auto n = static_cast<std::int64_t>(pieces.records.size());
    for (const LodBlock& b : pieces.blocks[0]) n += b.records;
    return n;
}

// An archive of one file of 50 records, closed again: what an add that goes wrong must leave.
Held HoldFiftyRecords(ArchivePlace& place) {
    SpanFile small;
    small.count = 50;
    {
        ArchiveOpen open = OpenArchive(place.url(), true);
        EXPECT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        if (open.store) EXPECT_EQ(AddSpan(*open.store, small).result, HistoryAdd::Added);
    }
    return HeldIn(place.url());
}

SpanFile Big() {
    SpanFile f;
    f.channels = 12;
    f.first = 0;
    f.count = 131072;
    return f;
}

// Killed at several moments of a big add, the archive is either as before or holds all of it.
TEST_P(ArchiveProcessTest, AKilledAddLeavesTheArchiveAsBefore) {
    const Held before = HoldFiftyRecords(place);
    ASSERT_EQ(before.records, 50);
    auto big = MakeSpanFile(Big());
    int killedMidway = 0;
    for (int delayMs : {20, 80, 200, 400}) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ArchiveOpen open = OpenArchive(place.url(), true);
            if (open.status != ArchiveStatus::Ok) _exit(2);
            HistoryAddRequest request;
            request.path = "/data/07@big.vd";
            (void)!write(ready[1], "x", 1);
            const HistoryAddResult r = AddHistoryFile(*open.store, big->h, request);
            _exit(r.result == HistoryAdd::Added ? 0 : 3);
        }
        close(ready[1]);
        char c = 0;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const Held after = HeldIn(place.url());
        if (WIFSIGNALED(status)) {
            ++killedMidway;
            EXPECT_EQ(after, before) << delayMs;
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << delayMs;
            EXPECT_EQ(after.records, 131072) << delayMs;
            break;
        }
    }
    EXPECT_GT(killedMidway, 0);
    // The archive takes the next add as if nothing had happened.
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    HistoryAddRequest request;
    request.path = "/data/07@big.vd";
    const HistoryAddResult r = AddHistoryFile(*open.store, big->h, request);
    ASSERT_EQ(r.result, HistoryAdd::Added) << r.error;
    EXPECT_EQ(r.counts.added + r.counts.same + r.counts.conflicts, 131072);
    EXPECT_EQ(HeldIn(place.url()).lodRecords, 131072);
}

// An archive the user may only read: the add fails with the engine's reason, what was held
// stays, and reading still works.
TEST_P(ArchiveProcessTest, AnArchiveThatCannotBeWrittenRefusesTheAddAndKeepsItsRecords) {
    {
        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        ASSERT_EQ(AddSpan(*open.store, SpanFile{}).result, HistoryAdd::Added);
    }
    const Held before = HeldIn(place.url());
    std::string reader;
    if (GetParam() == Engine::Sqlite) {
        ASSERT_EQ(chmod(place.dir().path().c_str(), 0755), 0);
        ASSERT_EQ(chmod((place.dir() / "Archive.db").c_str(), 0444), 0);
    } else {
        reader = "reader" + std::to_string(getpid());
        ASSERT_TRUE(place.Sql("CREATE ROLE " + reader +
                              " LOGIN; GRANT SELECT ON ALL TABLES IN SCHEMA public TO " + reader));
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string url = place.url();
        if (GetParam() == Engine::Sqlite) {
            // Root writes whatever the permissions say: the add runs as nobody.
            if (geteuid() == 0 && setuid(65534) != 0) _exit(9);
        } else {
            url = url.substr(0, url.find("user=")) + "user=" + reader;
        }
        ArchiveOpen open = OpenArchive(url, true);
        if (open.status != ArchiveStatus::Ok) _exit(open.store == nullptr ? 4 : 5);
        SpanFile more;
        more.first = 1000;
        const HistoryAddResult r = AddSpan(*open.store, more);
        if (r.result != HistoryAdd::Failed || r.error.empty()) _exit(6);
        std::vector<SourceInfo> sources;
        _exit(open.store->Sources(sources) == ArchiveStatus::Ok && sources.size() == 1 ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    // SQLite may refuse at the open already when it cannot set its journal up (4).
    EXPECT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 4) << WEXITSTATUS(status);
    if (GetParam() == Engine::Sqlite) chmod((place.dir() / "Archive.db").c_str(), 0644);
    EXPECT_EQ(HeldIn(place.url()), before);
    if (!reader.empty()) place.Sql("DROP OWNED BY " + reader + "; DROP ROLE " + reader);
}

// The disk fills part-way through an add (a file size limit stands in for it: the tests may run
// as root, whom a full file system's reserve does not stop): the add fails with the engine's
// reason, what was held stays, and once there is room the same file adds in full.
TEST_P(ArchiveProcessTest, AFullDiskFailsTheAddAndLosesNothing) {
    if (GetParam() != Engine::Sqlite) GTEST_SKIP() << "a server's disk is the server's";
    const Held before = HoldFiftyRecords(place);
    struct stat held {};
    ASSERT_EQ(stat((place.dir() / "Archive.db").c_str(), &held), 0);
    auto big = MakeSpanFile(Big());
    HistoryAddRequest request;
    request.path = "/data/07@big.vd";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        // Room for a quarter of a megabyte more than the archive holds; the add needs several.
        const auto room = static_cast<rlim_t>(held.st_size + 256 * 1024);
        const rlimit limit{room, room};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        ArchiveOpen open = OpenArchive(place.url(), true);
        if (open.status != ArchiveStatus::Ok) _exit(3);
        const HistoryAddResult r = AddHistoryFile(*open.store, big->h, request);
        std::fprintf(stderr, "the add that ran out of room said: %s\n", r.error.c_str());
        if (r.result != HistoryAdd::Failed || r.error.empty()) _exit(4);
        std::vector<SourceInfo> sources;
        _exit(open.store->Sources(sources) == ArchiveStatus::Ok && sources.size() == 1 ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(HeldIn(place.url()), before);

    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    const HistoryAddResult r = AddHistoryFile(*open.store, big->h, request);
    ASSERT_EQ(r.result, HistoryAdd::Added) << r.error;
    EXPECT_EQ(r.counts.added + r.counts.same + r.counts.conflicts, 131072);
    EXPECT_EQ(HeldIn(place.url()).lodRecords, 131072);
}

// A server that drops the connection fails the add it was in; the next add connects again.
TEST_P(ArchiveProcessTest, TheNextAddWorksAfterTheServerDroppedTheConnection) {
    if (GetParam() == Engine::Sqlite) GTEST_SKIP() << "an embedded file has no connection";
    ArchiveOpen open = OpenArchive(place.url(), true);
    ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
    ASSERT_EQ(AddSpan(*open.store, SpanFile{}).result, HistoryAdd::Added);
    ASSERT_EQ(PiecesHeld(*open.store), 200);
    ASSERT_TRUE(
        place.Sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                  "current_database() AND pid <> pg_backend_pid()"));
    SpanFile more;
    more.first = 1000;
    HistoryAddResult r = AddSpan(*open.store, more);
    EXPECT_EQ(r.result, HistoryAdd::Failed);
    EXPECT_FALSE(r.error.empty());
    r = AddSpan(*open.store, more);
    ASSERT_EQ(r.result, HistoryAdd::Added) << r.error;
    EXPECT_EQ(r.counts.added, 100);
    EXPECT_EQ(HeldIn(place.url()).records, 200);
    // The new connection's reads are made anew.
    EXPECT_EQ(PiecesHeld(*open.store), 400) << open.store->LastError();
}

// A closed store's connection serves the next store of the archive, reads of pieces included; one
// the server dropped while it waited does not fail that open.
TEST_P(ArchiveProcessTest, AStoreOpensAfterTheServerDroppedTheClosedOnesConnection) {
    if (GetParam() == Engine::Sqlite) GTEST_SKIP() << "an embedded file has no connection";
    {
        ArchiveOpen open = OpenArchive(place.url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        ASSERT_EQ(AddSpan(*open.store, SpanFile{}).result, HistoryAdd::Added);
        ASSERT_EQ(PiecesHeld(*open.store), 200);
    }
    for (const bool dropped : {false, true}) {
        SCOPED_TRACE(dropped ? "dropped" : "kept");
        if (dropped)
            ASSERT_TRUE(
                place.Sql("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                          "current_database() AND pid <> pg_backend_pid()"));
        ArchiveOpen open = OpenArchive(place.url(), false);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok) << open.store->LastError();
        ASSERT_EQ(recorders.size(), 1u);
        EXPECT_EQ(recorders[0].records, 100);
        EXPECT_EQ(PiecesHeld(*open.store), 200) << open.store->LastError();
    }
}

// Behind a pooler that hands each transaction to any server connection and clears it after, as
// PgBouncer does in transaction mode, the statements a store prepares are gone by their use: its
// reads of pieces go on as whole queries and give what a connection of the server's own gives.
TEST_P(ArchiveProcessTest, BehindAPoolerReadsOfPiecesGiveWhatTheServerGives) {
    if (GetParam() == Engine::Sqlite) GTEST_SKIP() << "an embedded file has no connection";
    const char* pooler = std::getenv("VARDO_TEST_PGBOUNCER_URL");
    if (pooler == nullptr || *pooler == '\0') GTEST_SKIP() << "no PgBouncer: run scripts/setup";
    const Held held = HoldFiftyRecords(place);
    ArchiveOpen pooled = OpenArchive(place.UrlThrough(pooler), false);
    ASSERT_EQ(pooled.status, ArchiveStatus::Ok) << pooled.error;
    for (int read = 0; read < 2; ++read)
        EXPECT_EQ(PiecesHeld(*pooled.store), 2 * held.records) << pooled.store->LastError();
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveProcessTest, ::testing::ValuesIn(kEngines),
                         EngineParamName);

}  // namespace
}  // namespace vardo::testing
