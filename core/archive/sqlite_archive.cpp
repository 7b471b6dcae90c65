#include "archive/sqlite_archive.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>

#include "archive/archive_rows.h"
#include "archive/archive_schema.h"
#include "history/ring.h"

namespace vardo {

namespace {

// Two programs adding at once wait for each other this long before an add gives up.
constexpr int kBusyTimeoutMs = 30000;
constexpr std::size_t kChunk = 4096;

// A statement kept prepared for the life of the store, lent to one read at a time.
struct KeptStmt {
    sqlite3_stmt* s = nullptr;
    bool lent = false;
};

class Stmt {
  public:
    Stmt(sqlite3* db, const char* sql) { rc_ = sqlite3_prepare_v3(db, sql, -1, 0, &s_, nullptr); }
    // Borrows a kept statement; handing it back resets it, so that no read transaction stays
    // open behind a read that stopped early and the next use starts from its first row.
    explicit Stmt(KeptStmt& kept) : s_(kept.s), kept_(&kept), rc_(SQLITE_OK) { kept.lent = true; }
    ~Stmt() {
        if (kept_ == nullptr) {
            sqlite3_finalize(s_);
            return;
        }
        Reset();
        kept_->lent = false;
    }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    bool ok() const { return rc_ == SQLITE_OK && s_ != nullptr; }
    sqlite3_stmt* get() const { return s_; }
    void Int(int i, std::int64_t v) { sqlite3_bind_int64(s_, i, v); }
    void Null(int i) { sqlite3_bind_null(s_, i); }
    void Text(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void Blob(int i, const std::vector<std::uint8_t>& v) {
        sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int Step() { return sqlite3_step(s_); }
    void Reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    std::int64_t ColInt(int i) const { return sqlite3_column_int64(s_, i); }
    std::optional<std::int64_t> ColOpt(int i) const {
        if (sqlite3_column_type(s_, i) == SQLITE_NULL) return std::nullopt;
        return sqlite3_column_int64(s_, i);
    }
    std::string ColText(int i) const {
        const auto* p = sqlite3_column_text(s_, i);
        return p != nullptr ? std::string(reinterpret_cast<const char*>(p),
                                          static_cast<std::size_t>(sqlite3_column_bytes(s_, i)))
                            : std::string();
    }
    std::span<const std::uint8_t> ColBlob(int i) const {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s_, i));
        const int n = sqlite3_column_bytes(s_, i);
        return p != nullptr && n > 0 ? std::span<const std::uint8_t>(p, static_cast<std::size_t>(n))
                                     : std::span<const std::uint8_t>();
    }

  private:
    sqlite3_stmt* s_ = nullptr;
    KeptStmt* kept_ = nullptr;
    int rc_ = SQLITE_ERROR;
};

// The reads kept prepared: the envelope of a span makes thousands of small ones, and preparing
// each anew cost more than running it.
enum class Read {
    Recorders,
    ConfigIds,
    Config,
    ConfigChannels,
    Records,
    Last,
    Newest,
    Lod,
    Sources,
    LastAdd,
    Count,
};

bool IsDamageCode(int rc) {
    const int primary = rc & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

// The columns t, config_id, c1..c12 from column first on.
void FetchRecord(const Stmt& s, FetchedRecord& out) {
    out.time = s.ColInt(0);
    out.config = s.ColInt(1);
    for (int k = 0; k < kMaxChannels; ++k)
        out.samples[static_cast<std::size_t>(k)] = s.ColOpt(2 + k);
}

// The columns block, first, last, count, present, channels.
FetchedLod FetchLod(const Stmt& s) {
    return {s.ColInt(0), s.ColInt(1), s.ColInt(2), s.ColInt(3), s.ColInt(4), s.ColBlob(5)};
}

// Several statements under one read transaction: one snapshot, and one lock and cache check
// instead of one per statement, which cost more than the short reads themselves. Inside a
// transaction already (a read made from another's callback) it leaves that one be.
class ReadTransaction {
  public:
    explicit ReadTransaction(sqlite3* db) : db_(db) {
        began_ = sqlite3_get_autocommit(db) != 0 &&
                 sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ReadTransaction() {
        if (began_ && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

  private:
    sqlite3* db_;
    bool began_ = false;
};

constexpr const char* kLodSql =
    "SELECT block, first, last, count, present, channels FROM lod "
    "WHERE recorder_id = ? AND level = ? AND block >= ? AND block <= ? ORDER BY block";
constexpr const char* kRecordsSql =
    "SELECT t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM records "
    "WHERE recorder_id = ? AND t >= ? AND t <= ? ORDER BY t";

class SqliteArchive final : public ArchiveStore {
  public:
    SqliteArchive(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    ~SqliteArchive() override {
        for (KeptStmt& k : kept_) sqlite3_finalize(k.s);
        sqlite3_close_v2(db_);
    }

    std::string LastError() const override { return error_; }

    ArchiveStatus Add(const RecorderKey& recorder, const RecordConfig& config,
                      std::span<const OfferedRecord> records, const SourceInfo& source,
                      AddCounts& counts) override;
    ArchiveStatus Recorders(std::vector<RecorderSummary>& out) override;
    ArchiveStatus Configs(std::int64_t recorder,
                          std::vector<std::pair<std::int64_t, RecordConfig>>& out) override;
    ArchiveStatus ReadRecords(
        std::int64_t recorder, VTime from, VTime to,
        const std::function<bool(std::span<const ArchivedRecord>)>& onChunk) override;
    ArchiveStatus ReadLast(std::int64_t recorder, VTime to, std::int64_t count,
                           std::vector<ArchivedRecord>& out) override;
    ArchiveStatus Newest(const RecorderKey& recorder, std::optional<VTime>& out) override;
    ArchiveStatus ReadLod(std::int64_t recorder, int level, VTime from, VTime to,
                          std::vector<LodBlock>& out) override;
    ArchiveStatus StreamPieces(std::int64_t recorder, const PieceRequest& request,
                               PieceSink& sink) override;
    ArchiveStatus Sources(std::vector<SourceInfo>& out) override;
    ArchiveStatus LastAdd(std::int64_t& out) override;
    ArchiveStatus StateMark(std::string& out) override;

    // Gives the schema to a new file, or checks and migrates an existing one.
    ArchiveStatus Prepare(bool create);

  protected:
    ArchiveOpen OpenAgain() const override { return OpenSqliteArchive(path_, false); }

  private:
    ArchiveStatus Fail(int rc) {
        error_ = sqlite3_errmsg(db_);
        if (IsDamageCode(rc)) return ArchiveStatus::Damaged;
        return ArchiveStatus::Failed;
    }
    ArchiveStatus Damaged(const std::string& why) {
        error_ = why;
        return ArchiveStatus::Damaged;
    }
    int Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    void Rollback() { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }
    ArchiveStatus AddInTransaction(const RecorderKey& recorder, const RecordConfig& config,
                                   std::span<const OfferedRecord> records, const SourceInfo& source,
                                   AddCounts& counts);
    ArchiveStatus ConfigId(const RecordConfig& config, std::int64_t& id);
    ArchiveStatus UpdateLod(std::int64_t recorder, const RecordConfig& config,
                            std::span<const OfferedRecord> added);
    ArchiveStatus ReadRecordRows(Stmt& s, RecordDecoder& decoder,
                                 const std::function<bool(const ArchivedRecord&)>& take);
    RecordDecoder Decoder() {
        return RecordDecoder([this](std::int64_t id, RecordConfig& c) { return ConfigOf(id, c); });
    }
    // Hands the blocks of level that s (bound to one stretch) yields to take, those starting at
    // or before after (the last block handed over) left out.
    template <class Take>
    ArchiveStatus LodRows(Stmt& s, int level, std::optional<VTime>& after, Take take);
    ArchiveStatus ConfigOf(std::int64_t id, RecordConfig& out);
    // The kept statement of a read, prepared at its first use. A read made from inside another
    // read's callback while the kept one is lent gets a statement of its own.
    Stmt Use(Read read, const char* sql);

    sqlite3* db_;
    std::string path_;
    std::string error_;
    std::array<KeptStmt, static_cast<std::size_t>(Read::Count)> kept_{};
};

Stmt SqliteArchive::Use(Read read, const char* sql) {
    KeptStmt& kept = kept_[static_cast<std::size_t>(read)];
    if (kept.lent) return Stmt(db_, sql);
    if (kept.s == nullptr && sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &kept.s,
                                                nullptr) != SQLITE_OK) {
        sqlite3_finalize(kept.s);
        kept.s = nullptr;
        return Stmt(db_, sql);
    }
    return Stmt(kept);
}

ArchiveStatus SqliteArchive::Prepare(bool create) {
    int tables = 0;
    {
        Stmt s(db_, "SELECT count(*) FROM sqlite_master");
        if (!s.ok()) return Fail(sqlite3_errcode(db_));
        const int rc = s.Step();
        if (rc != SQLITE_ROW) return Fail(rc);
        tables = static_cast<int>(s.ColInt(0));
    }
    if (tables == 0) {
        if (!create) {
            error_.clear();
            return ArchiveStatus::Missing;
        }
        if (int rc = Exec("PRAGMA journal_mode=WAL"); rc != SQLITE_OK) return Fail(rc);
        if (int rc = Exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) return Fail(rc);
        // Another program may have made the schema while this one waited for the lock.
        Stmt again(db_, "SELECT count(*) FROM sqlite_master");
        int rc = again.ok() ? again.Step() : sqlite3_errcode(db_);
        if (rc != SQLITE_ROW) {
            Rollback();
            return Fail(rc);
        }
        if (again.ColInt(0) == 0) {
            rc = Exec(schema::kSqliteV1);
            if (rc != SQLITE_OK) {
                const ArchiveStatus status = Fail(rc);
                Rollback();
                return status;
            }
        }
        rc = Exec("COMMIT");
        if (rc != SQLITE_OK) {
            const ArchiveStatus status = Fail(rc);
            Rollback();
            return status;
        }
    }
    Stmt s(db_, "SELECT version FROM schema_version");
    if (!s.ok()) return Damaged("no schema_version table: not an archive of this program");
    const int rc = s.Step();
    if (rc != SQLITE_ROW) return Damaged("schema_version holds no version");
    const std::int64_t version = s.ColInt(0);
    // Later schema versions append their migration steps here, each in its own transaction.
    if (version != kArchiveSchemaVersion) {
        return Damaged("schema version " + std::to_string(version) + ", this program reads " +
                       std::to_string(kArchiveSchemaVersion));
    }
    if (create && sqlite3_db_readonly(db_, "main") == 0) {
        if (int wal = Exec("PRAGMA journal_mode=WAL"); wal != SQLITE_OK) return Fail(wal);
    }
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::Add(const RecorderKey& recorder, const RecordConfig& config,
                                 std::span<const OfferedRecord> records, const SourceInfo& source,
                                 AddCounts& counts) {
    counts = {};
    if (int rc = Exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) return Fail(rc);
    AddCounts made;
    const ArchiveStatus status = AddInTransaction(recorder, config, records, source, made);
    if (status != ArchiveStatus::Ok) {
        Rollback();
        return status;
    }
    if (int rc = Exec("COMMIT"); rc != SQLITE_OK) {
        const ArchiveStatus failed = Fail(rc);
        Rollback();
        return failed;
    }
    counts = made;
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ConfigId(const RecordConfig& config, std::int64_t& id) {
    const std::string signature = ConfigSignature(config);
    Stmt find(db_, "SELECT id FROM configs WHERE signature = ?");
    if (!find.ok()) return Fail(sqlite3_errcode(db_));
    find.Text(1, signature);
    int rc = find.Step();
    if (rc == SQLITE_ROW) {
        id = find.ColInt(0);
        return ArchiveStatus::Ok;
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    const StoredConfig stored = EncodeConfig(config);
    Stmt insert(db_,
                "INSERT INTO configs (interval_code, interval_seconds, channel_count, present, "
                "signature) VALUES (?, ?, ?, ?, ?)");
    if (!insert.ok()) return Fail(sqlite3_errcode(db_));
    insert.Int(1, stored.intervalCode);
    insert.Int(2,
               IsValidIntervalCode(config.intervalCode) ? IntervalTable[config.intervalCode] : 0);
    insert.Int(3, stored.channelCount);
    insert.Int(4, stored.present);
    insert.Text(5, signature);
    if (rc = insert.Step(); rc != SQLITE_DONE) return Fail(rc);
    id = sqlite3_last_insert_rowid(db_);
    Stmt channel(db_,
                 "INSERT INTO config_channels (config_id, channel, low_integer, low_decimals, "
                 "high_integer, high_decimals, low, high) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!channel.ok()) return Fail(sqlite3_errcode(db_));
    const RecordConfig n = NormalizedConfig(config);
    for (const auto& [number, r] : stored.channels) {
        const int k = static_cast<int>(number - 1);
        channel.Int(1, id);
        channel.Int(2, number);
        channel.Int(3, r.lowInteger);
        channel.Int(4, r.lowDecimals);
        channel.Int(5, r.highInteger);
        channel.Int(6, r.highDecimals);
        sqlite3_bind_double(channel.get(), 7, static_cast<double>(n.low[k].Value()));
        sqlite3_bind_double(channel.get(), 8, static_cast<double>(n.high[k].Value()));
        if (rc = channel.Step(); rc != SQLITE_DONE) return Fail(rc);
        channel.Reset();
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::AddInTransaction(const RecorderKey& recorder,
                                              const RecordConfig& rawConfig,
                                              std::span<const OfferedRecord> records,
                                              const SourceInfo& source, AddCounts& counts) {
    const RecordConfig config = NormalizedConfig(rawConfig);
    std::int64_t recorderId = 0;
    {
        Stmt insert(db_, "INSERT OR IGNORE INTO recorders (site, address, model) VALUES (?, ?, ?)");
        if (!insert.ok()) return Fail(sqlite3_errcode(db_));
        insert.Text(1, recorder.site);
        insert.Int(2, recorder.address);
        insert.Text(3, recorder.model);
        if (int rc = insert.Step(); rc != SQLITE_DONE) return Fail(rc);
        Stmt find(db_, "SELECT id FROM recorders WHERE site = ? AND address = ? AND model = ?");
        if (!find.ok()) return Fail(sqlite3_errcode(db_));
        find.Text(1, recorder.site);
        find.Int(2, recorder.address);
        find.Text(3, recorder.model);
        if (int rc = find.Step(); rc != SQLITE_ROW) return Fail(rc);
        recorderId = find.ColInt(0);
    }
    std::int64_t configId = 0;
    if (ArchiveStatus s = ConfigId(config, configId); s != ArchiveStatus::Ok) return s;

    Stmt insert(db_,
                "INSERT INTO records (recorder_id, t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, "
                "c9, c10, c11, c12) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                "ON CONFLICT DO NOTHING");
    Stmt held(db_,
              "SELECT c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM records "
              "WHERE recorder_id = ? AND t = ?");
    if (!insert.ok() || !held.ok()) return Fail(sqlite3_errcode(db_));
    std::vector<OfferedRecord> added;
    added.reserve(records.size());
    for (const OfferedRecord& r : records) {
        insert.Int(1, recorderId);
        insert.Int(2, r.time);
        insert.Int(3, configId);
        for (int k = 0; k < kMaxChannels; ++k) {
            if (config.Has(k)) {
                insert.Int(4 + k, r.samples[k]);
            } else {
                insert.Null(4 + k);
            }
        }
        if (int rc = insert.Step(); rc != SQLITE_DONE) return Fail(rc);
        insert.Reset();
        if (sqlite3_changes(db_) == 1) {
            added.push_back(r);
            continue;
        }
        held.Int(1, recorderId);
        held.Int(2, r.time);
        if (int rc = held.Step(); rc != SQLITE_ROW) return Fail(rc);
        bool same = true;
        for (int k = 0; k < kMaxChannels && same; ++k) {
            const auto stored = held.ColOpt(k);
            same = config.Has(k) ? stored && *stored == r.samples[k] : !stored;
        }
        held.Reset();
        ++(same ? counts.same : counts.conflicts);
    }
    counts.added = static_cast<std::int64_t>(added.size());
    if (!added.empty()) {
        Stmt link(db_,
                  "INSERT OR IGNORE INTO recorder_configs (recorder_id, config_id) VALUES (?, ?)");
        if (!link.ok()) return Fail(sqlite3_errcode(db_));
        link.Int(1, recorderId);
        link.Int(2, configId);
        if (int rc = link.Step(); rc != SQLITE_DONE) return Fail(rc);
        if (ArchiveStatus s = UpdateLod(recorderId, config, added); s != ArchiveStatus::Ok)
            return s;
    }
    Stmt log(db_,
             "INSERT INTO sources (recorder_id, added_at, how, path, size, sha256, device, host, "
             "version, added, same, conflicts) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!log.ok()) return Fail(sqlite3_errcode(db_));
    log.Int(1, recorderId);
    log.Int(2, source.addedAt);
    log.Text(3, source.how);
    log.Text(4, source.path);
    log.Int(5, source.size);
    log.Text(6, source.sha256);
    log.Text(7, source.device);
    log.Text(8, source.host);
    log.Text(9, source.version);
    log.Int(10, counts.added);
    log.Int(11, counts.same);
    log.Int(12, counts.conflicts);
    if (int rc = log.Step(); rc != SQLITE_DONE) return Fail(rc);
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::UpdateLod(std::int64_t recorder, const RecordConfig& config,
                                       std::span<const OfferedRecord> added) {
    std::array<LodLevel, kLodShifts.size()> levels;
    AccumulateLod(config, added, levels);
    Stmt held(db_, kLodSql);
    Stmt put(db_,
             "INSERT OR REPLACE INTO lod (recorder_id, level, block, first, last, count, present, "
             "channels) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!held.ok() || !put.ok()) return Fail(sqlite3_errcode(db_));
    // Inside the add's transaction: the records just inserted and the finer levels just written
    // are read back with the rest.
    const LodSource source{[&](VTime from, VTime to, std::vector<ArchivedRecord>& out) {
                               return ReadRecords(
                                   recorder, from, to, [&](std::span<const ArchivedRecord> chunk) {
                                       out.insert(out.end(), chunk.begin(), chunk.end());
                                       return true;
                                   });
                           },
                           [&](std::int64_t id, RecordConfig& out) { return ConfigOf(id, out); },
                           [&](int level, VTime from, VTime to, std::vector<LodBlock>& out) {
                               return ReadLod(recorder, level, from, to, out);
                           }};
    std::vector<std::int64_t> resum;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        LodLevel& fresh = levels[level];
        if (fresh.empty()) continue;
        held.Int(1, recorder);
        held.Int(2, static_cast<std::int64_t>(level));
        held.Int(3, fresh.begin()->first);
        held.Int(4, fresh.rbegin()->first);
        int rc = 0;
        resum.clear();
        while ((rc = held.Step()) == SQLITE_ROW) {
            LodBlock b;
            const FetchedLod row = FetchLod(held);
            if (!DecodeLodRow(row, static_cast<int>(level), b))
                return Damaged("a level-of-detail row does not decode");
            if (!FoldHeldBlock(fresh, row.block, b)) resum.push_back(row.block);
        }
        if (rc != SQLITE_DONE) return Fail(rc);
        held.Reset();
        if (ArchiveStatus s = ResumLodBlocks(levels, static_cast<int>(level), resum, source);
            s != ArchiveStatus::Ok)
            return s;
        for (const auto& [block, merged] : fresh) {
            put.Int(1, recorder);
            put.Int(2, static_cast<std::int64_t>(level));
            put.Int(3, block);
            put.Int(4, merged.first);
            put.Int(5, merged.last);
            put.Int(6, merged.records);
            put.Int(7, merged.present);
            put.Blob(8, EncodeLodChannels(merged));
            if (int done = put.Step(); done != SQLITE_DONE) return Fail(done);
            put.Reset();
        }
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ConfigOf(std::int64_t id, RecordConfig& out) {
    Stmt c =
        Use(Read::Config, "SELECT interval_code, channel_count, present FROM configs WHERE id = ?");
    Stmt ch = Use(Read::ConfigChannels,
                  "SELECT channel, low_integer, low_decimals, high_integer, high_decimals "
                  "FROM config_channels WHERE config_id = ? ORDER BY channel LIMIT 64");
    if (!c.ok() || !ch.ok()) return Fail(sqlite3_errcode(db_));
    c.Int(1, id);
    int rc = c.Step();
    if (rc == SQLITE_DONE) return Damaged("configuration " + std::to_string(id) + " is missing");
    if (rc != SQLITE_ROW) return Fail(rc);
    StoredConfig stored;
    stored.intervalCode = c.ColInt(0);
    stored.channelCount = c.ColInt(1);
    stored.present = c.ColInt(2);
    ch.Int(1, id);
    while ((rc = ch.Step()) == SQLITE_ROW) {
        stored.channels.push_back(
            {ch.ColInt(0), {ch.ColInt(1), ch.ColInt(2), ch.ColInt(3), ch.ColInt(4)}});
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    if (!DecodeConfig(stored, out))
        return Damaged("configuration " + std::to_string(id) + " does not decode");
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::Recorders(std::vector<RecorderSummary>& out) {
    out.clear();
    // The coarsest level's blocks sum every held record: far fewer rows than the records. CROSS
    // JOIN keeps the recorders outside: without statistics the planner scanned all of lod.
    Stmt s =
        Use(Read::Recorders,
            "SELECT r.id, r.site, r.address, r.model, min(l.first), max(l.last), sum(l.count), "
            "(SELECT max(c.channel_count) FROM recorder_configs rc JOIN configs c "
            "ON c.id = rc.config_id WHERE rc.recorder_id = r.id) "
            "FROM recorders r CROSS JOIN lod l ON l.recorder_id = r.id AND l.level = ? "
            "GROUP BY r.id ORDER BY r.site, r.address, r.model");
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    s.Int(1, static_cast<std::int64_t>(kLodShifts.size() - 1));
    int rc = 0;
    while ((rc = s.Step()) == SQLITE_ROW) {
        RecorderSummary r;
        r.id = s.ColInt(0);
        r.key.site = s.ColText(1);
        r.key.address = static_cast<int>(std::clamp<std::int64_t>(s.ColInt(2), -1, 1 << 20));
        r.key.model = s.ColText(3);
        r.first = s.ColInt(4);
        r.last = s.ColInt(5);
        r.records = s.ColInt(6);
        const std::int64_t channels = s.ColInt(7);
        if (channels < 1 || channels > kMaxChannels || r.records < 1 || r.first > r.last)
            return Damaged("recorder " + std::to_string(r.id) + " does not decode");
        r.channelCount = static_cast<int>(channels);
        out.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::Configs(std::int64_t recorder,
                                     std::vector<std::pair<std::int64_t, RecordConfig>>& out) {
    out.clear();
    std::vector<std::int64_t> ids;
    {
        Stmt s =
            Use(Read::ConfigIds,
                "SELECT config_id FROM recorder_configs WHERE recorder_id = ? ORDER BY config_id");
        if (!s.ok()) return Fail(sqlite3_errcode(db_));
        s.Int(1, recorder);
        int rc = 0;
        while ((rc = s.Step()) == SQLITE_ROW) ids.push_back(s.ColInt(0));
        if (rc != SQLITE_DONE) return Fail(rc);
    }
    for (std::int64_t id : ids) {
        RecordConfig c;
        if (ArchiveStatus st = ConfigOf(id, c); st != ArchiveStatus::Ok) return st;
        out.emplace_back(id, c);
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ReadRecordRows(
    Stmt& s, RecordDecoder& decoder, const std::function<bool(const ArchivedRecord&)>& take) {
    FetchedRecord row;
    ArchivedRecord r;
    int rc = 0;
    while ((rc = s.Step()) == SQLITE_ROW) {
        FetchRecord(s, row);
        if (ArchiveStatus st = decoder.Decode(row, r); st != ArchiveStatus::Ok)
            return decoder.Why().empty() ? st : Damaged(decoder.Why());
        if (!take(r)) return ArchiveStatus::Ok;
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    return ArchiveStatus::Ok;
}

template <class Take>
ArchiveStatus SqliteArchive::LodRows(Stmt& s, int level, std::optional<VTime>& after, Take take) {
    int rc = 0;
    LodBlock b;
    while ((rc = s.Step()) == SQLITE_ROW) {
        if (!DecodeLodRow(FetchLod(s), level, b))
            return Damaged("a level-of-detail row does not decode");
        if (after && *after >= b.start) continue;
        after = b.start;
        take(b);
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ReadRecords(
    std::int64_t recorder, VTime from, VTime to,
    const std::function<bool(std::span<const ArchivedRecord>)>& onChunk) {
    Stmt s = Use(Read::Records, kRecordsSql);
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    s.Int(1, recorder);
    s.Int(2, from);
    s.Int(3, to);
    std::vector<ArchivedRecord> chunk;
    chunk.reserve(kChunk);
    bool more = true;
    RecordDecoder decoder = Decoder();
    const ArchiveStatus st = ReadRecordRows(s, decoder, [&](const ArchivedRecord& r) {
        chunk.push_back(r);
        if (chunk.size() < kChunk) return true;
        more = onChunk(chunk);
        chunk.clear();
        return more;
    });
    if (st != ArchiveStatus::Ok) return st;
    if (more && !chunk.empty()) onChunk(chunk);
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ReadLast(std::int64_t recorder, VTime to, std::int64_t count,
                                      std::vector<ArchivedRecord>& out) {
    out.clear();
    Stmt s =
        Use(Read::Last,
            "SELECT t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM records "
            "WHERE recorder_id = ? AND t <= ? ORDER BY t DESC LIMIT ?");
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    s.Int(1, recorder);
    s.Int(2, to);
    s.Int(3, std::max<std::int64_t>(count, 0));
    RecordDecoder decoder = Decoder();
    const ArchiveStatus st = ReadRecordRows(s, decoder, [&](const ArchivedRecord& r) {
        out.push_back(r);
        return true;
    });
    if (st != ArchiveStatus::Ok) return st;
    std::reverse(out.begin(), out.end());
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::Newest(const RecorderKey& recorder, std::optional<VTime>& out) {
    out.reset();
    Stmt s = Use(Read::Newest,
                 "SELECT x.t FROM records x JOIN recorders r ON r.id = x.recorder_id "
                 "WHERE r.site = ? AND r.address = ? AND r.model = ? ORDER BY x.t DESC LIMIT 1");
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    s.Text(1, recorder.site);
    s.Int(2, recorder.address);
    s.Text(3, recorder.model);
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
        out = s.ColInt(0);
    } else if (rc != SQLITE_DONE) {
        return Fail(rc);
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::ReadLod(std::int64_t recorder, int level, VTime from, VTime to,
                                     std::vector<LodBlock>& out) {
    out.clear();
    if (level < 0 || level >= static_cast<int>(kLodShifts.size()) || from > to)
        return ArchiveStatus::Ok;
    Stmt s = Use(Read::Lod, kLodSql);
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    s.Int(1, recorder);
    s.Int(2, level);
    s.Int(3, LodBlockOf(from, level));
    s.Int(4, LodBlockOf(to, level));
    std::optional<VTime> after;
    return LodRows(s, level, after, [&](const LodBlock& b) { out.push_back(b); });
}

ArchiveStatus SqliteArchive::StreamPieces(std::int64_t recorder, const PieceRequest& request,
                                          PieceSink& sink) {
    const ReadTransaction snapshot(db_);
    Stmt lod = Use(Read::Lod, kLodSql);
    if (!lod.ok()) return Fail(sqlite3_errcode(db_));
    for (int level = 0; level < static_cast<int>(kLodShifts.size()); ++level) {
        std::optional<VTime> after;
        for (const TimeStretch& t : request.blocks[static_cast<std::size_t>(level)]) {
            if (t.from > t.to) continue;
            lod.Int(1, recorder);
            lod.Int(2, level);
            lod.Int(3, LodBlockOf(t.from, level));
            lod.Int(4, LodBlockOf(t.to, level));
            if (ArchiveStatus st =
                    LodRows(lod, level, after, [&](const LodBlock& b) { sink.Block(level, b); });
                st != ArchiveStatus::Ok)
                return st;
            lod.Reset();
        }
    }
    Stmt records = Use(Read::Records, kRecordsSql);
    if (!records.ok()) return Fail(sqlite3_errcode(db_));
    RecordDecoder decoder = Decoder();
    std::vector<ArchivedRecord> chunk;
    chunk.reserve(kChunk);
    for (const TimeStretch& t : request.records) {
        records.Int(1, recorder);
        records.Int(2, t.from);
        records.Int(3, t.to);
        const ArchiveStatus st = ReadRecordRows(records, decoder, [&](const ArchivedRecord& r) {
            chunk.push_back(r);
            if (chunk.size() == kChunk) {
                sink.Records(chunk);
                chunk.clear();
            }
            return true;
        });
        if (st != ArchiveStatus::Ok) return st;
        records.Reset();
    }
    if (!chunk.empty()) sink.Records(chunk);
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus SqliteArchive::Sources(std::vector<SourceInfo>& out) {
    out.clear();
    Stmt s = Use(Read::Sources,
                 "SELECT added_at, how, path, size, sha256, device, host, version, "
                 "coalesce(recorder_id, 0), added + same + conflicts FROM sources ORDER BY id");
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    int rc = 0;
    while ((rc = s.Step()) == SQLITE_ROW) {
        SourceInfo i;
        i.addedAt = s.ColInt(0);
        i.how = s.ColText(1);
        i.path = s.ColText(2);
        i.size = s.ColInt(3);
        i.sha256 = s.ColText(4);
        i.device = s.ColText(5);
        i.host = s.ColText(6);
        i.version = s.ColText(7);
        i.recorder = s.ColInt(8);
        i.records = s.ColInt(9);
        out.push_back(std::move(i));
    }
    if (rc != SQLITE_DONE) return Fail(rc);
    return ArchiveStatus::Ok;
}

// Adds commit one at a time, each with the next source id, and nothing else writes.
ArchiveStatus SqliteArchive::StateMark(std::string& out) {
    std::int64_t last = 0;
    const ArchiveStatus status = LastAdd(last);
    out = std::to_string(last);
    return status;
}

ArchiveStatus SqliteArchive::LastAdd(std::int64_t& out) {
    out = 0;
    Stmt s = Use(Read::LastAdd, "SELECT coalesce(max(id), 0) FROM sources");
    if (!s.ok()) return Fail(sqlite3_errcode(db_));
    const int rc = s.Step();
    if (rc != SQLITE_ROW) return Fail(rc);
    out = s.ColInt(0);
    return ArchiveStatus::Ok;
}

}  // namespace

ArchiveOpen OpenSqliteArchive(const std::string& path, bool create) {
    ArchiveOpen result;
    struct stat st {};
    if (!create && ::stat(path.c_str(), &st) != 0) {
        result.status = ArchiveStatus::Missing;
        return result;
    }
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create) flags |= SQLITE_OPEN_CREATE;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK && !create) {
        // A reading command over an archive it may not write.
        sqlite3_close_v2(db);
        db = nullptr;
        rc =
            sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    }
    if (rc != SQLITE_OK) {
        result.status = ArchiveStatus::Unavailable;
        result.error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return result;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // An envelope reads a few thousand scattered blocks; with the default cache of 2 MB every
    // zoom step read them from the file again. The cache grows only as pages are read.
    (void)sqlite3_exec(db, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    auto store = std::make_unique<SqliteArchive>(db, path);
    result.status = store->Prepare(create);
    if (result.status == ArchiveStatus::Failed) result.status = ArchiveStatus::Unavailable;
    if (result.status != ArchiveStatus::Ok) {
        result.error = store->LastError();
        return result;
    }
    result.store = std::move(store);
    return result;
}

}  // namespace vardo
