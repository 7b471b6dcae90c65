// Adding a full 12-channel file of 131072 records into a fresh archive: the goal is half a
// second into SQLite and a second into a local PostgreSQL server (its URL in VARDO_TEST_PG_URL,
// as scripts/with-postgres sets it; without it only SQLite is measured).

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "archive/history_add.h"
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

void BM_AddFullFileToPostgres(benchmark::State& state) {
    const char* base = std::getenv("VARDO_TEST_PG_URL");
    if (base == nullptr || *base == '\0') {
        state.SkipWithError("VARDO_TEST_PG_URL is not set (scripts/with-postgres)");
        return;
    }
    const std::string url = base;
    const std::string head = url.substr(0, url.find('/', url.find("://") + 3));
    const std::string tail = url.find('?') != std::string::npos ? url.substr(url.find('?')) : "";
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string db =
            "vardo_bench" + std::to_string(getpid()) + "_" + std::to_string(round++);
        if (!Sql(url, "CREATE DATABASE " + db)) {
            state.SkipWithError("cannot create a database");
            break;
        }
        AddOnce(state, head + "/" + db + tail);
        Sql(url, "DROP DATABASE " + db + " WITH (FORCE)");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_AddFullFileToPostgres)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
