#pragma once
// The archive tests run every case against both engines: a fresh SQLite file in a temporary
// folder, and a fresh database on the PostgreSQL server scripts/with-postgres started (its URL
// in VARDO_TEST_PG_URL; without it the PostgreSQL cases fail, they are not optional).

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/history_file_builder.h"
#include "archive/archive_store.h"
#include "archive/history_add.h"
#include "base/vardo_time.h"

namespace vardo::testing {

enum class Engine { Sqlite, Postgres };

inline const char* EngineName(Engine e) {
    return e == Engine::Sqlite ? "Sqlite" : "Postgres";
}

inline std::string EngineParamName(const ::testing::TestParamInfo<Engine>& info) {
    return EngineName(info.param);
}

inline const char* PostgresBaseUrl() {
    const char* url = std::getenv("VARDO_TEST_PG_URL");
    return url != nullptr && *url != '\0' ? url : nullptr;
}

// base with its database (the URI's path) replaced by db.
inline std::string WithDatabase(const std::string& base, const std::string& db) {
    const std::size_t scheme = base.find("://");
    const std::size_t slash = base.find('/', scheme + 3);
    const std::size_t query = base.find('?', scheme + 3);
    const std::string head =
        base.substr(0, slash != std::string::npos && slash < query ? slash : query);
    const std::string tail = query != std::string::npos ? base.substr(query) : "";
    return head + "/" + db + tail;
}

inline bool PgCommand(const std::string& url, const std::string& sql) {
    PGconn* c = PQconnectdb(url.c_str());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult* r = PQexec(c, sql.c_str());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        PQclear(r);
    }
    PQfinish(c);
    return ok;
}

// A place for one archive, not yet made: a path in a temporary folder, or an empty database
// dropped at the end.
class ArchivePlace {
  public:
    explicit ArchivePlace(Engine engine) : engine_(engine) {
        if (engine == Engine::Sqlite) {
            url_ = "sqlite:" + dir_ / "Archive.db";
            return;
        }
        const char* base = PostgresBaseUrl();
        if (base == nullptr) {
            ADD_FAILURE() << "VARDO_TEST_PG_URL is not set: run the tests under "
                             "scripts/with-postgres";
            url_ = "postgresql:///vardo_missing_server?host=/nonexistent";
            return;
        }
        static std::atomic<int> serial{0};
        db_ = "vardo_t" + std::to_string(::getpid()) + "_" + std::to_string(serial++);
        if (!PgCommand(base, "CREATE DATABASE " + db_)) ADD_FAILURE() << "cannot create " << db_;
        base_ = base;
        url_ = WithDatabase(base, db_);
    }
    ~ArchivePlace() {
        if (!db_.empty()) PgCommand(base_, "DROP DATABASE IF EXISTS " + db_ + " WITH (FORCE)");
    }
    ArchivePlace(const ArchivePlace&) = delete;
    ArchivePlace& operator=(const ArchivePlace&) = delete;

    const std::string& url() const { return url_; }
    // The archive's database on the server of another base URL (a pooler in front of it).
    std::string UrlThrough(const std::string& base) const { return WithDatabase(base, db_); }
    Engine engine() const { return engine_; }
    const TempDir& dir() const { return dir_; }
    // Runs SQL in the archive's database, as another program would, beside the store.
    bool Sql(const std::string& sql) const {
        if (engine_ == Engine::Postgres) return PgCommand(url_, sql);
        sqlite3* db = nullptr;
        bool ok = sqlite3_open((dir_ / "Archive.db").c_str(), &db) == SQLITE_OK &&
                  sqlite3_busy_timeout(db, 5000) == SQLITE_OK &&
                  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }

  private:
    Engine engine_;
    TempDir dir_;
    std::string url_;
    std::string base_;
    std::string db_;
};

inline const std::vector<Engine> kEngines = {Engine::Sqlite, Engine::Postgres};

// A history file of count records interval code 3 (10 s) apart, the first index records after
// the tests' time base, samples a function of the record's index (so that files overlapping in
// time agree where their functions do).
struct SpanFile {
    std::string model = "ZT330";
    std::int64_t first = 0;
    std::int64_t count = 100;
    int channels = 3;
    int highDecimals = 1;  // upper range end 100.0 by default
    int highInteger = 1000;
    std::function<std::uint8_t(int ch, std::int64_t index)> sample = [](int ch, std::int64_t i) {
        return static_cast<std::uint8_t>((i * 3 + ch * 40) & 0xFF);
    };
};

// A recorder's two files with a change between: 2000 records of four channels, then after a gap
// of 100 records 900 of two channels with another range and decimals.
inline SpanFile FourChannels() {
    SpanFile a;
    a.count = 2000;
    a.channels = 4;
    return a;
}
inline SpanFile TwoChannelsAfterAGap() {
    SpanFile c;
    c.first = 2100;
    c.count = 900;
    c.channels = 2;
    c.highInteger = 2000;
    c.highDecimals = 2;
    return c;
}

inline VTime TimeBase() {
    return MakeLocalTime(2024, 3, 1, 0, 0, 0);
}

inline VTime TimeOf(std::int64_t index) {
    return TimeBase() + index * 10;
}

inline std::unique_ptr<DecodedFile> MakeSpanFile(const SpanFile& f) {
    FileLayout layout;
    layout.model = f.model;
    layout.channelCount = f.channels;
    layout.present = std::vector<int>(static_cast<std::size_t>(f.channels), 1);
    layout.intervalCode = 3;
    layout.hasOldestByte = 1;
    layout.oldest = PackTime(TimeOf(f.first));
    layout.newest = PackTime(TimeOf(f.first + f.count - 1));
    layout.newestSlot = static_cast<std::uint32_t>(f.first + f.count - 1);
    for (int k = 0; k < f.channels; ++k)
        layout.ranges.push_back({0, 0, f.highInteger, f.highDecimals});
    const auto sample = f.sample;
    layout.sample = [sample](int ch, std::uint32_t slot) { return sample(ch, slot); };
    return DecodeFile(layout);
}

inline HistoryAddResult AddSpan(ArchiveStore& store, const SpanFile& f, int address = 7,
                                const std::string& site = "") {
    auto d = MakeSpanFile(f);
    EXPECT_EQ(d->check, HeaderCheck::Ok);
    HistoryAddRequest request;
    request.path = "/data/" + std::to_string(address) + "@span.vd";
    request.address = address;
    request.site = site;
    return AddHistoryFile(store, d->h, request);
}

}  // namespace vardo::testing
