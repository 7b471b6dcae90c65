// Adding a full 12-channel file of 131072 records into a fresh archive: the goal is half a
// second into SQLite and a second into a local PostgreSQL server (its URL in VARDO_TEST_PG_URL,
// as scripts/with-postgres sets it; without it only SQLite is measured).
// Adding a day of a 12-channel recorder at ten seconds to an archive that holds one day of it
// and to one that holds a year: an add compares and merges only what is held in its own span, so
// the two should cost the same.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "archive/history_add.h"
#include "archive_fill.h"
#include "support/history_file_builder.h"

namespace {

using namespace vardo;

const testing::DecodedFile& FullFile() {
    static const std::unique_ptr<testing::DecodedFile> file =
        testing::DecodeFile(testing::FullFileLayout());
    return *file;
}

void AddOnce(benchmark::State& state, const std::string& url) {
    ArchiveOpen open = OpenArchive(url, true);
    if (open.status != ArchiveStatus::Ok) {
        state.SkipWithError(("archive: " + open.error).c_str());
        return;
    }
    HistoryAddRequest request;
    request.path = "/data/08@2004-05-06_07-08-09.vd";
    state.ResumeTiming();
    const HistoryAddResult r = AddHistoryFile(*open.store, FullFile().h, request);
    state.PauseTiming();
    if (r.result != HistoryAdd::Added || r.counts.added != 131072)
        state.SkipWithError(("add: " + r.error).c_str());
}

void BM_AddFullFileToSqlite(benchmark::State& state) {
    testing::TempDir dir;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AddOnce(state, "sqlite:" + dir / ("Archive" + std::to_string(round++) + ".db"));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_AddFullFileToSqlite)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

bool Sql(const std::string& url, const std::string& sql) {
    PGconn* c = PQconnectdb(url.c_str());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult* r = PQexec(c, sql.c_str());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
    }
    PQfinish(c);
    return ok;
}

// A database of its own on the server of VARDO_TEST_PG_URL, dropped at the end.
class PostgresDatabase {
  public:
    explicit PostgresDatabase(const std::string& name) {
        const char* base = vardo::bench::TestPostgresUrl(noServer_);
        if (base == nullptr) return;
        base_ = base;
        const std::string head = base_.substr(0, base_.find('/', base_.find("://") + 3));
        const std::string tail =
            base_.find('?') != std::string::npos ? base_.substr(base_.find('?')) : "";
        name_ = name + std::to_string(getpid());
        if (Sql(base_, "CREATE DATABASE " + name_)) url_ = head + "/" + name_ + tail;
    }
    ~PostgresDatabase() {
        if (!url_.empty() && !Sql(base_, "DROP DATABASE " + name_ + " WITH (FORCE)"))
            std::fprintf(stderr, "database %s was left on the server\n", name_.c_str());
    }
    PostgresDatabase(const PostgresDatabase&) = delete;
    PostgresDatabase& operator=(const PostgresDatabase&) = delete;
    // Empty without a server or when the database could not be made.
    const std::string& url() const { return url_; }
    std::string why() const { return base_.empty() ? noServer_ : "cannot create a database"; }

  private:
    std::string noServer_;
    std::string base_;
    std::string name_;
    std::string url_;
};

void BM_AddFullFileToPostgres(benchmark::State& state) {
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            PostgresDatabase db("vardo_bench" + std::to_string(round++) + "_");
            if (db.url().empty()) {
                state.SkipWithError(db.why().c_str());
                break;
            }
            AddOnce(state, db.url());
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_AddFullFileToPostgres)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

// An archive holding the first days of a recorder, to which each iteration adds the next day.
struct HeldDays {
    explicit HeldDays(const std::string& where, std::int64_t days)
        : url(where), store(vardo::bench::OpenOrFail(where)), next(days * kDay) {
        vardo::bench::AddTenSecondRecords(*store, kKey, config, start, 0, next, 7 * kDay);
    }
    static constexpr std::int64_t kDay = vardo::bench::kDayOfTenSeconds;
    inline static const RecorderKey kKey{"", 3, "ZT772"};
    std::string url;
    std::unique_ptr<ArchiveStore> store;
    const RecordConfig config = vardo::bench::TenSecondConfig(12);
    const VTime start = MakeLocalTime(2025, 1, 1, 0, 0, 0);
    std::int64_t next;
};

void AddDays(benchmark::State& state, HeldDays& held) {
    for (auto _ : state) {
        vardo::bench::AddTenSecondRecords(*held.store, HeldDays::kKey, held.config, held.start,
                                          held.next, held.next + HeldDays::kDay, HeldDays::kDay);
        held.next += HeldDays::kDay;
    }
    state.SetItemsProcessed(state.iterations() * HeldDays::kDay);
}

// A day added to an archive holding one day, and to one holding a year.
void HeldDaysArgs(benchmark::internal::Benchmark* b) {
    b->ArgName("held_days")->Arg(1)->Arg(365);
    b->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);
}

void BM_AddDayToSqlite(benchmark::State& state) {
    static testing::TempDir dir;
    static std::map<std::int64_t, std::unique_ptr<HeldDays>> held;
    const std::int64_t days = state.range(0);
    auto& h = held[days];
    if (!h) h = std::make_unique<HeldDays>("sqlite:" + dir / (std::to_string(days) + ".db"), days);
    AddDays(state, *h);
}
BENCHMARK(BM_AddDayToSqlite)->Apply(HeldDaysArgs);

void BM_AddDayToPostgres(benchmark::State& state) {
    static std::map<std::int64_t,
                    std::pair<std::unique_ptr<PostgresDatabase>, std::unique_ptr<HeldDays>>>
        held;
    const std::int64_t days = state.range(0);
    auto& [db, h] = held[days];
    if (!db) db = std::make_unique<PostgresDatabase>("vardo_days" + std::to_string(days) + "_");
    if (db->url().empty()) {
        state.SkipWithError(db->why().c_str());
        return;
    }
    if (!h) h = std::make_unique<HeldDays>(db->url(), days);
    AddDays(state, *h);
}
BENCHMARK(BM_AddDayToPostgres)->Apply(HeldDaysArgs);

}  // namespace

BENCHMARK_MAIN();
