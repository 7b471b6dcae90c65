#include "archive/postgres_archive.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>
#include <mutex>

#include "archive/archive_rows.h"
#include "archive/archive_schema.h"
#include "history/ring.h"

namespace vardo {

namespace {

constexpr int kChunk = 4096;
// The built-in types' fixed OIDs, checked against what a binary result says it holds.
constexpr Oid kByteaOid = 17;
constexpr Oid kInt8Oid = 20;
constexpr Oid kInt2Oid = 21;
constexpr Oid kInt4Oid = 23;
// Every program that makes the schema takes this lock first, so that two first adds at once
// make it once.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7283310417)";

bool ParseInt(std::string_view text, std::int64_t& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

class Result {
  public:
    explicit Result(PGresult* r = nullptr) : r_(r) {}
    ~Result() { PQclear(r_); }
    Result(Result&& o) noexcept : r_(o.r_) { o.r_ = nullptr; }
    Result& operator=(Result&& o) noexcept {
        std::swap(r_, o.r_);
        return *this;
    }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    bool ok() const {
        const auto s = PQresultStatus(r_);
        return r_ != nullptr && (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK);
    }
    int rows() const { return PQntuples(r_); }
    int cols() const { return PQnfields(r_); }
    bool null(int row, int col) const { return PQgetisnull(r_, row, col) != 0; }
    std::string_view text(int row, int col) const {
        return {PQgetvalue(r_, row, col), static_cast<std::size_t>(PQgetlength(r_, row, col))};
    }
    // An integer column in either result format; false for anything else. Binary results skip
    // the server's printing and this side's parsing of every number of a large read.
    bool Int(int row, int col, std::int64_t& out) const {
        const char* v = PQgetvalue(r_, row, col);
        const int n = PQgetlength(r_, row, col);
        if (PQfformat(r_, col) == 0) return ParseInt({v, static_cast<std::size_t>(n)}, out);
        const Oid type = PQftype(r_, col);
        if ((type != kInt2Oid || n != 2) && (type != kInt4Oid || n != 4) &&
            (type != kInt8Oid || n != 8))
            return false;
        std::uint64_t u = 0;
        for (int i = 0; i < n; ++i) u = u << 8 | static_cast<unsigned char>(v[i]);
        const int unused = 64 - 8 * n;  // sign-extends the narrower types
        out = static_cast<std::int64_t>(u << unused) >> unused;
        return true;
    }
    // A bytea column of at most maxBytes bytes in either result format: a binary one is read
    // in place, a text one is decoded into scratch.
    bool Bytes(int row, int col, std::size_t maxBytes, std::vector<std::uint8_t>& scratch,
               std::span<const std::uint8_t>& out) const {
        const auto n = static_cast<std::size_t>(PQgetlength(r_, row, col));
        const char* v = PQgetvalue(r_, row, col);
        if (PQfformat(r_, col) == 0) {
            if (!ParseByteaHex({v, n}, maxBytes, scratch)) return false;
            out = scratch;
            return true;
        }
        if (PQftype(r_, col) != kByteaOid || n > maxBytes) return false;
        out = {reinterpret_cast<const std::uint8_t*>(v), n};
        return true;
    }
    ExecStatusType status() const { return PQresultStatus(r_); }
    const char* message() const { return PQresultErrorMessage(r_); }
    const char* state() const {
        const char* s = PQresultErrorField(r_, PG_DIAG_SQLSTATE);
        return s != nullptr ? s : "";
    }

  private:
    PGresult* r_;
};

void AppendInt(std::string& s, std::int64_t v) {
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    s.append(buffer, end);
}

// A table's columns of one record, as COPY's text format wants them.
void AppendRecordLine(std::string& s, const RecordConfig& config, const OfferedRecord& r) {
    AppendInt(s, r.time);
    for (int k = 0; k < kMaxChannels; ++k) {
        s += '\t';
        if (config.Has(k)) {
            AppendInt(s, r.samples[k]);
        } else {
            s += "\\N";
        }
    }
    s += '\n';
}

// A read of StreamPieces: its name as a prepared statement, and its text.
struct PieceStatement {
    const char* name;
    const char* sql;
};

// Stretches as two PostgreSQL arrays of their first and last values, "{a,b}" and "{c,d}".
void StretchArrays(std::span<const TimeStretch> stretches, int level, std::string& firsts,
                   std::string& lasts) {
    firsts = "{";
    lasts = "{";
    for (const TimeStretch& t : stretches) {
        if (t.from > t.to) continue;
        if (firsts.size() > 1) {
            firsts += ',';
            lasts += ',';
        }
        AppendInt(firsts, level < 0 ? t.from : LodBlockOf(t.from, level));
        AppendInt(lasts, level < 0 ? t.to : LodBlockOf(t.to, level));
    }
    firsts += '}';
    lasts += '}';
}

// A records row's columns, undecoded; false for a row that is not one.
bool FetchRecordRow(const Result& r, int i, FetchedRecord& row) {
    if (r.cols() != 14 || !r.Int(i, 0, row.time) || !r.Int(i, 1, row.config)) return false;
    for (int k = 0; k < kMaxChannels; ++k) {
        auto& sample = row.samples[static_cast<std::size_t>(k)];
        sample.reset();
        if (r.null(i, 2 + k)) continue;
        std::int64_t v = 0;
        if (!r.Int(i, 2 + k, v)) return false;
        sample = v;
    }
    return true;
}

// Each block once and in time order, whatever order a server's plan gave them in.
void InTimeOrder(std::vector<LodBlock>& blocks) {
    const auto earlier = [](const LodBlock& x, const LodBlock& y) { return x.start < y.start; };
    if (!std::is_sorted(blocks.begin(), blocks.end(), earlier))
        std::stable_sort(blocks.begin(), blocks.end(), earlier);
    blocks.erase(
        std::unique(blocks.begin(), blocks.end(),
                    [](const LodBlock& x, const LodBlock& y) { return x.start == y.start; }),
        blocks.end());
}

void IgnoreNotice(void*, const char*) {}

// Connections of the stores this process closed, kept for its next store of the same archive. A
// server process reads what it has read before several times faster than a new one, which first
// maps each shared page it touches: on a virtual machine that made a year's first envelope
// seven times slower. The connection's start is saved too.
class IdleConnections {
  public:
    // A kept connection of url, or none; the server may have dropped it since.
    PGconn* Take(const std::string& url) {
        const std::lock_guard<std::mutex> hold(mutex_);
        Own();
        auto it = kept_.find(url);
        if (it == kept_.end() || it->second.empty()) return nullptr;
        PGconn* c = it->second.back();
        it->second.pop_back();
        return c;
    }
    // Keeps c if it is as a new one would be (connected, no transaction or pipeline open).
    void Give(const std::string& url, PGconn* c) {
        if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE &&
            PQpipelineStatus(c) == PQ_PIPELINE_OFF) {
            const std::lock_guard<std::mutex> hold(mutex_);
            Own();
            std::vector<PGconn*>& kept = kept_[url];
            if (kept.size() < kKept) {
                kept.push_back(c);
                return;
            }
        }
        PQfinish(c);
    }

  private:
    // A child process has its parent's kept connections, whose sockets the parent goes on
    // using: the child must neither use nor end them, only forget them.
    void Own() {
        if (pid_ == ::getpid()) return;
        pid_ = ::getpid();
        kept_.clear();
    }

    static constexpr std::size_t kKept = 2;  // a store's two, or the view's and a worker's
    std::mutex mutex_;
    pid_t pid_ = ::getpid();
    std::map<std::string, std::vector<PGconn*>> kept_;
};

// Never destroyed: a store held by a static object may close after any static is gone, and the
// kept connections end with the process.
IdleConnections& Idle() {
    static auto* idle = new IdleConnections;
    return *idle;
}

class PostgresArchive final : public ArchiveStore {
  public:
    PostgresArchive(PGconn* c, std::string url) : c_(c), url_(std::move(url)) {}
    ~PostgresArchive() override { Idle().Give(url_, c_); }

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

    ArchiveStatus Prepare(bool create);

  protected:
    ArchiveOpen OpenAgain() const override { return OpenPostgresArchive(url_, false); }

  private:
    // binary: results in binary format, for the reads of many rows.
    Result Exec(const char* sql, const std::vector<std::string>& params = {}, bool binary = false) {
        const std::vector<const char*> values = Values(params);
        return Result(PQexecParams(c_, sql, static_cast<int>(values.size()), nullptr, values.data(),
                                   nullptr, nullptr, binary ? 1 : 0));
    }
    // Queues a query of a pipeline, binary results; false when libpq refuses it.
    bool Send(const char* sql, const std::vector<std::string>& params = {}) {
        const std::vector<const char*> values = Values(params);
        return PQsendQueryParams(c_, sql, static_cast<int>(values.size()), nullptr, values.data(),
                                 nullptr, nullptr, 1) == 1;
    }
    // The statements of StreamPieces, made once a connection: parsing and planning them again at
    // every zoom and scroll step made a step take half as long again.
    ArchiveStatus PreparePieces();
    // Queues one of them, as prepared or as a query of its own.
    bool SendPiece(const PieceStatement& statement, const std::vector<std::string>& params) {
        if (pieces_ == Statements::Unnamed) return Send(statement.sql, params);
        const std::vector<const char*> values = Values(params);
        return PQsendQueryPrepared(c_, statement.name, static_cast<int>(values.size()),
                                   values.data(), nullptr, nullptr, 1) == 1;
    }
    static std::vector<const char*> Values(const std::vector<std::string>& params) {
        std::vector<const char*> values;
        for (const std::string& p : params) values.push_back(p.c_str());
        return values;
    }
    ArchiveStatus Fail(const Result& r) {
        // The result's own message: in a pipeline the connection's is the last command's.
        error_ = *r.message() != '\0' ? r.message() : PQerrorMessage(c_);
        while (!error_.empty() && (error_.back() == '\n' || error_.back() == ' '))
            error_.pop_back();
        if (PQstatus(c_) != CONNECTION_OK) return ArchiveStatus::Unavailable;
        return ArchiveStatus::Failed;
    }
    ArchiveStatus Damaged(const std::string& why) {
        error_ = why;
        return ArchiveStatus::Damaged;
    }
    // A server that went away since the last call: connect again before giving up.
    bool Reachable() { return PQstatus(c_) == CONNECTION_OK || Reset(); }
    // Connects again, with this program's settings of a session.
    bool Reset() {
        PQreset(c_);
        if (pieces_ == Statements::Prepared) pieces_ = Statements::Unprepared;
        return PQstatus(c_) == CONNECTION_OK && Settings();
    }
    // Compiling queries cost more than running them, for every read and add of an archive:
    // JIT took a tenth of a second on the recorder list, its cost estimates grown by a year.
    bool Settings() { return Result(PQexec(c_, "SET jit = off")).ok(); }
    void Rollback() {
        if (PQtransactionStatus(c_) != PQTRANS_IDLE) Result(PQexec(c_, "ROLLBACK"));
    }
    ArchiveStatus CopyIn(const char* sql, const std::string& data);
    // lodRows: the level-of-detail rows the add wrote.
    ArchiveStatus AddInTransaction(const RecorderKey& recorder, const RecordConfig& config,
                                   std::span<const OfferedRecord> records, const SourceInfo& source,
                                   AddCounts& counts, std::int64_t& lodRows);
    ArchiveStatus ConfigId(const RecordConfig& config, std::int64_t& id);
    ArchiveStatus UpdateLod(std::int64_t recorder, const RecordConfig& config,
                            std::span<const OfferedRecord> added, std::int64_t& written);
    void RefreshStatistics(std::int64_t records, std::int64_t lodRows);
    ArchiveStatus ConfigOf(std::int64_t id, RecordConfig& out);
    RecordDecoder Decoder() {
        return RecordDecoder([this](std::int64_t id, RecordConfig& c) { return ConfigOf(id, c); });
    }
    ArchiveStatus DecodeRecords(const Result& r, RecordDecoder& decoder,
                                std::vector<ArchivedRecord>& out);
    // Appends the blocks of level among r's rows (block, first, last, count, present, channels),
    // in the order of the rows (InTimeOrder puts them in order).
    ArchiveStatus DecodeLod(const Result& r, int level, std::vector<LodBlock>& out);
    // Appends the held blocks first..last of level, in time order. Never connects again, so that
    // inside an add's transaction a lost connection fails the add rather than write outside it.
    ArchiveStatus LodBlocks(std::int64_t recorder, int level, std::int64_t first, std::int64_t last,
                            std::vector<LodBlock>& out);

    PGconn* c_;
    std::string url_;
    std::string error_;
    // Unnamed: the statements did not last until their use, as behind a pooler that hands each
    // transaction to any server connection; from then on they are sent whole.
    enum class Statements { Unprepared, Prepared, Unnamed };
    Statements pieces_ = Statements::Unprepared;
};

ArchiveStatus PostgresArchive::Prepare(bool create) {
    PQsetNoticeProcessor(c_, IgnoreNotice, nullptr);
    if (!Settings()) return Fail(Result());
    const char* countTables =
        "SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = current_schema()";
    Result tables = Exec(countTables);
    std::int64_t count = 0;
    if (!tables.ok() || tables.rows() != 1 || !ParseInt(tables.text(0, 0), count))
        return Fail(tables);
    if (count == 0) {
        if (!create) {
            error_.clear();
            return ArchiveStatus::Missing;
        }
        Result begin(PQexec(c_, "BEGIN"));
        Result lock(PQexec(c_, kSchemaLock));
        Result again = Exec(countTables);
        if (!begin.ok() || !lock.ok() || !again.ok() || again.rows() != 1) {
            const ArchiveStatus s = Fail(again);
            Rollback();
            return s;
        }
        if (again.text(0, 0) == "0") {
            Result made(PQexec(c_, schema::kPostgresV1));
            if (!made.ok()) {
                const ArchiveStatus s = Fail(made);
                Rollback();
                return s;
            }
        }
        Result commit(PQexec(c_, "COMMIT"));
        if (!commit.ok()) {
            const ArchiveStatus s = Fail(commit);
            Rollback();
            return s;
        }
    }
    Result version = Exec("SELECT version FROM schema_version");
    if (!version.ok()) {
        if (PQstatus(c_) != CONNECTION_OK) return Fail(version);
        return Damaged("no schema_version table: not an archive of this program");
    }
    std::int64_t v = 0;
    if (version.rows() != 1 || !ParseInt(version.text(0, 0), v))
        return Damaged("schema_version holds no version");
    // Later schema versions append their migration steps here, each in its own transaction.
    if (v != kArchiveSchemaVersion) {
        return Damaged("schema version " + std::to_string(v) + ", this program reads " +
                       std::to_string(kArchiveSchemaVersion));
    }
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::Add(const RecorderKey& recorder, const RecordConfig& config,
                                   std::span<const OfferedRecord> records, const SourceInfo& source,
                                   AddCounts& counts) {
    counts = {};
    if (!Reachable()) return Fail(Result());
    Result begin(PQexec(c_, "BEGIN"));
    if (!begin.ok()) return Fail(begin);
    AddCounts made;
    std::int64_t lodRows = 0;
    const ArchiveStatus status = AddInTransaction(recorder, config, records, source, made, lodRows);
    if (status != ArchiveStatus::Ok) {
        Rollback();
        return status;
    }
    Result commit(PQexec(c_, "COMMIT"));
    if (!commit.ok()) {
        const ArchiveStatus failed = Fail(commit);
        Rollback();
        return failed;
    }
    counts = made;
    RefreshStatistics(made.added, lodRows);
    error_.clear();
    return ArchiveStatus::Ok;
}

// The planner knows a table by the statistics of its last analysis, which the server's
// autovacuum takes a minute or more after a change. Until then a table that an add has just
// filled looks as small as it was, and the first read of it (a year's envelope right after the
// year's card was added) was planned as a scan of every block per stretch: minutes instead of
// milliseconds. So a table that an add grew by a tenth or more is analysed at once, on its key
// columns and a small sample (a tenth of the default: enough for sizes and ranges, and under a
// tenth of a second on a year); autovacuum takes the full statistics later. Smaller adds leave it
// all to autovacuum, so that adding a day to a year costs what adding it to a day does. The add
// is committed by now: an analysis that fails, that waits for another's lock, or that the role
// may not run (a warning, not an error) only leaves the statistics to autovacuum, which is why
// nothing of it reaches the add's result.
void PostgresArchive::RefreshStatistics(std::int64_t records, std::int64_t lodRows) {
    if (records <= 0) return;
    Result held = Exec(
        "SELECT (SELECT reltuples FROM pg_class WHERE oid = 'records'::regclass)::bigint, "
        "(SELECT reltuples FROM pg_class WHERE oid = 'lod'::regclass)::bigint");
    std::int64_t heldRecords = 0;
    std::int64_t heldLod = 0;
    if (!held.ok() || held.rows() != 1 || !ParseInt(held.text(0, 0), heldRecords) ||
        !ParseInt(held.text(0, 1), heldLod))
        return;
    // reltuples is -1 for a table never analysed.
    const auto grown = [](std::int64_t written, std::int64_t before) {
        return written > 0 && (before < 0 || written >= before / 10);
    };
    std::string tables;
    if (grown(records, heldRecords)) tables = "records (recorder_id, t)";
    if (grown(lodRows, heldLod))
        tables += (tables.empty() ? "" : ", ") + std::string("lod (recorder_id, level, block)");
    if (tables.empty()) return;
    Result begin(PQexec(c_, "BEGIN"));
    Result sample(PQexec(c_, "SET LOCAL default_statistics_target = 10"));
    Result analysed(PQexec(c_, ("ANALYZE (SKIP_LOCKED) " + tables).c_str()));
    Result commit(PQexec(c_, "COMMIT"));
    Rollback();  // only when the commit did not end the transaction
}

ArchiveStatus PostgresArchive::CopyIn(const char* sql, const std::string& data) {
    Result start(PQexec(c_, sql));
    if (start.status() != PGRES_COPY_IN) return Fail(start);
    constexpr std::size_t kPiece = 1 << 20;
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        const std::size_t n = std::min(kPiece, data.size() - at);
        if (PQputCopyData(c_, data.data() + at, static_cast<int>(n)) != 1) {
            PQputCopyEnd(c_, "the copy was cut short");
            while (PGresult* r = PQgetResult(c_)) PQclear(r);
            return Fail(Result());
        }
    }
    if (PQputCopyEnd(c_, nullptr) != 1) return Fail(Result());
    ArchiveStatus status = ArchiveStatus::Ok;
    while (PGresult* raw = PQgetResult(c_)) {
        Result r(raw);
        if (!r.ok() && status == ArchiveStatus::Ok) status = Fail(r);
    }
    return status;
}

ArchiveStatus PostgresArchive::ConfigId(const RecordConfig& config, std::int64_t& id) {
    const std::string signature = ConfigSignature(config);
    Result found = Exec("SELECT id FROM configs WHERE signature = $1", {signature});
    if (!found.ok()) return Fail(found);
    if (found.rows() == 0) {
        const StoredConfig stored = EncodeConfig(config);
        const int seconds =
            IsValidIntervalCode(config.intervalCode) ? IntervalTable[config.intervalCode] : 0;
        // A program adding the same new configuration at once waits here for the other's
        // commit and then finds its row.
        Result made = Exec(
            "INSERT INTO configs (interval_code, interval_seconds, channel_count, present, "
            "signature) VALUES ($1, $2, $3, $4, $5) ON CONFLICT (signature) DO NOTHING "
            "RETURNING id",
            {std::to_string(stored.intervalCode), std::to_string(seconds),
             std::to_string(stored.channelCount), std::to_string(stored.present), signature});
        if (!made.ok()) return Fail(made);
        if (made.rows() == 1) {
            if (!ParseInt(made.text(0, 0), id)) return Damaged("a configuration id");
            const RecordConfig n = NormalizedConfig(config);
            for (const auto& [number, r] : stored.channels) {
                const int k = static_cast<int>(number - 1);
                Result ch = Exec(
                    "INSERT INTO config_channels (config_id, channel, low_integer, low_decimals, "
                    "high_integer, high_decimals, low, high) VALUES ($1, $2, $3, $4, $5, $6, $7, "
                    "$8)",
                    {std::to_string(id), std::to_string(number), std::to_string(r.lowInteger),
                     std::to_string(r.lowDecimals), std::to_string(r.highInteger),
                     std::to_string(r.highDecimals), FormatDecimal(n.low[k].Value(), 9),
                     FormatDecimal(n.high[k].Value(), 9)});
                if (!ch.ok()) return Fail(ch);
            }
            return ArchiveStatus::Ok;
        }
        found = Exec("SELECT id FROM configs WHERE signature = $1", {signature});
        if (!found.ok()) return Fail(found);
        if (found.rows() != 1) return Damaged("a configuration vanished while it was added");
    }
    if (!ParseInt(found.text(0, 0), id)) return Damaged("a configuration id");
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::AddInTransaction(const RecorderKey& recorder,
                                                const RecordConfig& rawConfig,
                                                std::span<const OfferedRecord> records,
                                                const SourceInfo& source, AddCounts& counts,
                                                std::int64_t& lodRows) {
    const RecordConfig config = NormalizedConfig(rawConfig);
    const std::vector<std::string> key = {recorder.site, std::to_string(recorder.address),
                                          recorder.model};
    Result made = Exec(
        "INSERT INTO recorders (site, address, model) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
        key);
    if (!made.ok()) return Fail(made);
    // The recorder's row, locked: adds to one recorder take turns, so that its level-of-detail
    // blocks are read and written back by one program at a time.
    Result locked = Exec(
        "SELECT id FROM recorders WHERE site = $1 AND address = $2 AND model = $3 FOR UPDATE", key);
    std::int64_t recorderId = 0;
    if (!locked.ok()) return Fail(locked);
    if (locked.rows() != 1 || !ParseInt(locked.text(0, 0), recorderId))
        return Damaged("a recorder id");
    const std::string rid = std::to_string(recorderId);
    std::int64_t configId = 0;
    if (ArchiveStatus s = ConfigId(config, configId); s != ArchiveStatus::Ok) return s;

    // What the recorder holds in the file's span, compared here: the recorder's row is locked,
    // so nothing else adds to it until this add ends, and the new records go in by one COPY
    // without a server-side check per row.
    std::vector<OfferedRecord> added;
    added.reserve(records.size());
    if (!records.empty()) {
        Result held = Exec(
            "SELECT t, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM records "
            "WHERE recorder_id = $1 AND t >= $2 AND t <= $3 ORDER BY t",
            {rid, std::to_string(records.front().time), std::to_string(records.back().time)});
        if (!held.ok()) return Fail(held);
        std::size_t at = 0;
        for (int i = 0; i <= held.rows(); ++i) {
            std::int64_t t = INT64_MAX;
            if (i < held.rows() && !ParseInt(held.text(i, 0), t))
                return Damaged("a record time does not decode");
            while (at < records.size() && records[at].time < t) added.push_back(records[at++]);
            if (at == records.size() || i == held.rows()) break;
            if (records[at].time != t) continue;
            bool same = true;
            for (int k = 0; k < kMaxChannels && same; ++k) {
                std::int64_t v = 0;
                if (held.null(i, 1 + k)) {
                    same = !config.Has(k);
                } else {
                    same = config.Has(k) && ParseInt(held.text(i, 1 + k), v) &&
                           v == records[at].samples[k];
                }
            }
            ++(same ? counts.same : counts.conflicts);
            ++at;
        }
    }
    counts.added = static_cast<std::int64_t>(added.size());
    if (!added.empty()) {
        std::string data;
        data.reserve(added.size() * 64);
        const std::string prefix = rid + "\t" + std::to_string(configId) + "\t";
        for (const OfferedRecord& r : added) {
            data += prefix;
            AppendRecordLine(data, config, r);
        }
        if (ArchiveStatus s = CopyIn("COPY records (recorder_id, config_id, t, c1, c2, c3, c4, c5, "
                                     "c6, c7, c8, c9, c10, c11, c12) FROM STDIN",
                                     data);
            s != ArchiveStatus::Ok)
            return s;
    }

    if (!added.empty()) {
        Result link = Exec(
            "INSERT INTO recorder_configs (recorder_id, config_id) VALUES ($1, $2) "
            "ON CONFLICT DO NOTHING",
            {rid, std::to_string(configId)});
        if (!link.ok()) return Fail(link);
        if (ArchiveStatus s = UpdateLod(recorderId, config, added, lodRows); s != ArchiveStatus::Ok)
            return s;
    }
    Result log = Exec(
        "INSERT INTO sources (recorder_id, added_at, how, path, size, sha256, device, host, "
        "version, added, same, conflicts) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, "
        "$12)",
        {rid, std::to_string(source.addedAt), source.how, source.path, std::to_string(source.size),
         source.sha256, source.device, source.host, source.version, std::to_string(counts.added),
         std::to_string(counts.same), std::to_string(counts.conflicts)});
    if (!log.ok()) return Fail(log);
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::UpdateLod(std::int64_t recorder, const RecordConfig& config,
                                         std::span<const OfferedRecord> added,
                                         std::int64_t& written) {
    written = 0;
    std::array<LodLevel, kLodShifts.size()> levels;
    AccumulateLod(config, added, levels);
    const std::string rid = std::to_string(recorder);
    // Inside the add's transaction, which has copied the records in already. The finer levels
    // are written only at the end: ResumLodBlocks takes the ones this add touched from levels.
    const LodSource source{
        [&](VTime from, VTime to, std::vector<ArchivedRecord>& out) {
            Result r = Exec(
                "SELECT t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM "
                "records WHERE recorder_id = $1 AND t >= $2 AND t <= $3 ORDER BY t",
                {rid, std::to_string(from), std::to_string(to)}, true);
            if (!r.ok()) return Fail(r);
            RecordDecoder decoder = Decoder();
            return DecodeRecords(r, decoder, out);
        },
        [&](std::int64_t id, RecordConfig& out) { return ConfigOf(id, out); },
        [&](int level, VTime from, VTime to, std::vector<LodBlock>& out) {
            out.clear();
            return LodBlocks(recorder, level, LodBlockOf(from, level), LodBlockOf(to, level), out);
        }};
    std::string data;
    for (std::size_t level = 0; level < levels.size(); ++level) {
        if (levels[level].empty()) continue;
        std::vector<LodBlock> blocks;
        if (ArchiveStatus s =
                LodBlocks(recorder, static_cast<int>(level), levels[level].begin()->first,
                          levels[level].rbegin()->first, blocks);
            s != ArchiveStatus::Ok)
            return s;
        std::vector<std::int64_t> resum;
        for (const LodBlock& b : blocks) {
            const std::int64_t block = LodBlockOf(b.start, static_cast<int>(level));
            if (!FoldHeldBlock(levels[level], block, b)) resum.push_back(block);
        }
        if (ArchiveStatus s = ResumLodBlocks(levels, static_cast<int>(level), resum, source);
            s != ArchiveStatus::Ok)
            return s;
        static constexpr char kHex[] = "0123456789abcdef";
        written += static_cast<std::int64_t>(levels[level].size());
        for (const auto& [block, b] : levels[level]) {
            data += rid + '\t' + std::to_string(level) + '\t';
            AppendInt(data, block);
            data += '\t';
            AppendInt(data, b.first);
            data += '\t';
            AppendInt(data, b.last);
            data += '\t';
            AppendInt(data, b.records);
            data += '\t';
            AppendInt(data, b.present);
            data += "\t\\\\x";
            for (std::uint8_t byte : EncodeLodChannels(b)) {
                data += kHex[byte >> 4];
                data += kHex[byte & 15];
            }
            data += '\n';
        }
    }
    Result temp(PQexec(c_,
                       "CREATE TEMP TABLE IF NOT EXISTS incoming_lod (recorder_id bigint, level "
                       "integer, block bigint, first bigint, last bigint, count bigint, present "
                       "integer, channels bytea) ON COMMIT DELETE ROWS"));
    if (!temp.ok()) return Fail(temp);
    if (ArchiveStatus s = CopyIn("COPY incoming_lod FROM STDIN", data); s != ArchiveStatus::Ok)
        return s;
    Result put(PQexec(c_,
                      "INSERT INTO lod SELECT * FROM incoming_lod ON CONFLICT (recorder_id, "
                      "level, block) DO UPDATE SET first = excluded.first, last = excluded.last, "
                      "count = excluded.count, present = excluded.present, channels = "
                      "excluded.channels"));
    if (!put.ok()) return Fail(put);
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::ConfigOf(std::int64_t id, RecordConfig& out) {
    const std::string cid = std::to_string(id);
    Result c =
        Exec("SELECT interval_code, channel_count, present FROM configs WHERE id = $1", {cid});
    if (!c.ok()) return Fail(c);
    if (c.rows() != 1) return Damaged("configuration " + cid + " is missing");
    StoredConfig stored;
    if (!ParseInt(c.text(0, 0), stored.intervalCode) ||
        !ParseInt(c.text(0, 1), stored.channelCount) || !ParseInt(c.text(0, 2), stored.present))
        return Damaged("configuration " + cid + " does not decode");
    Result ch = Exec(
        "SELECT channel, low_integer, low_decimals, high_integer, high_decimals FROM "
        "config_channels WHERE config_id = $1 ORDER BY channel LIMIT 64",
        {cid});
    if (!ch.ok()) return Fail(ch);
    for (int i = 0; i < ch.rows(); ++i) {
        std::int64_t channel = 0;
        StoredRange r;
        if (!ParseInt(ch.text(i, 0), channel) || !ParseInt(ch.text(i, 1), r.lowInteger) ||
            !ParseInt(ch.text(i, 2), r.lowDecimals) || !ParseInt(ch.text(i, 3), r.highInteger) ||
            !ParseInt(ch.text(i, 4), r.highDecimals))
            return Damaged("configuration " + cid + " does not decode");
        stored.channels.push_back({channel, r});
    }
    if (!DecodeConfig(stored, out)) return Damaged("configuration " + cid + " does not decode");
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::Recorders(std::vector<RecorderSummary>& out) {
    out.clear();
    if (!Reachable()) return Fail(Result());
    // The coarsest level's blocks sum every held record: far fewer rows than the records. Each
    // recorder's own through LATERAL: as a join, the planner read all of lod for that level
    // (a third of a second for a year).
    Result r = Exec(
        "SELECT r.id, r.site, r.address, r.model, l.first, l.last, l.count, "
        "(SELECT max(c.channel_count) FROM recorder_configs rc JOIN configs c ON c.id = "
        "rc.config_id WHERE rc.recorder_id = r.id) FROM recorders r CROSS JOIN LATERAL (SELECT "
        "min(first) AS first, max(last) AS last, sum(count) AS count FROM lod WHERE recorder_id "
        "= r.id AND level = $1) l WHERE l.count IS NOT NULL ORDER BY r.site, r.address, r.model",
        {std::to_string(kLodShifts.size() - 1)});
    if (!r.ok()) return Fail(r);
    for (int i = 0; i < r.rows(); ++i) {
        RecorderSummary s;
        std::int64_t address = 0;
        std::int64_t channels = 0;
        if (!ParseInt(r.text(i, 0), s.id) || !ParseInt(r.text(i, 2), address) ||
            !ParseInt(r.text(i, 4), s.first) || !ParseInt(r.text(i, 5), s.last) ||
            !ParseInt(r.text(i, 6), s.records) || r.null(i, 7) ||
            !ParseInt(r.text(i, 7), channels) || channels < 1 || channels > kMaxChannels ||
            address < 0 || address > (1 << 20) || s.records < 1 || s.first > s.last)
            return Damaged("a recorder does not decode");
        s.key = {std::string(r.text(i, 1)), static_cast<int>(address), std::string(r.text(i, 3))};
        s.channelCount = static_cast<int>(channels);
        out.push_back(std::move(s));
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::Configs(std::int64_t recorder,
                                       std::vector<std::pair<std::int64_t, RecordConfig>>& out) {
    out.clear();
    if (!Reachable()) return Fail(Result());
    Result r =
        Exec("SELECT config_id FROM recorder_configs WHERE recorder_id = $1 ORDER BY config_id",
             {std::to_string(recorder)});
    if (!r.ok()) return Fail(r);
    for (int i = 0; i < r.rows(); ++i) {
        std::int64_t id = 0;
        if (!ParseInt(r.text(i, 0), id)) return Damaged("a configuration id");
        RecordConfig c;
        if (ArchiveStatus s = ConfigOf(id, c); s != ArchiveStatus::Ok) return s;
        out.emplace_back(id, c);
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::DecodeRecords(const Result& r, RecordDecoder& decoder,
                                             std::vector<ArchivedRecord>& out) {
    FetchedRecord row;
    ArchivedRecord a;
    for (int i = 0; i < r.rows(); ++i) {
        if (!FetchRecordRow(r, i, row)) return Damaged("a record does not decode");
        if (ArchiveStatus s = decoder.Decode(row, a); s != ArchiveStatus::Ok)
            return decoder.Why().empty() ? s : Damaged(decoder.Why());
        out.push_back(a);
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::DecodeLod(const Result& r, int level, std::vector<LodBlock>& out) {
    if (r.cols() != 6) return Damaged("level-of-detail rows have other columns");
    std::vector<std::uint8_t> scratch;
    for (int i = 0; i < r.rows(); ++i) {
        FetchedLod row;
        LodBlock b;
        if (!r.Int(i, 0, row.block) || !r.Int(i, 1, row.first) || !r.Int(i, 2, row.last) ||
            !r.Int(i, 3, row.count) || !r.Int(i, 4, row.present) ||
            !r.Bytes(i, 5, kLodBlobSize, scratch, row.channels) || !DecodeLodRow(row, level, b))
            return Damaged("a level-of-detail row does not decode");
        out.push_back(b);
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::ReadRecords(
    std::int64_t recorder, VTime from, VTime to,
    const std::function<bool(std::span<const ArchivedRecord>)>& onChunk) {
    if (!Reachable()) return Fail(Result());
    Result begin(PQexec(c_, "BEGIN READ ONLY"));
    if (!begin.ok()) return Fail(begin);
    Result declare = Exec(
        "DECLARE span NO SCROLL CURSOR FOR SELECT t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, "
        "c9, c10, c11, c12 FROM records WHERE recorder_id = $1 AND t >= $2 AND t <= $3 "
        "ORDER BY t",
        {std::to_string(recorder), std::to_string(from), std::to_string(to)});
    if (!declare.ok()) {
        const ArchiveStatus s = Fail(declare);
        Rollback();
        return s;
    }
    RecordDecoder decoder = Decoder();
    std::vector<ArchivedRecord> chunk;
    const std::string fetch = "FETCH " + std::to_string(kChunk) + " FROM span";
    for (;;) {
        Result rows = Exec(fetch.c_str(), {}, true);
        if (!rows.ok()) {
            const ArchiveStatus s = Fail(rows);
            Rollback();
            return s;
        }
        chunk.clear();
        if (ArchiveStatus s = DecodeRecords(rows, decoder, chunk); s != ArchiveStatus::Ok) {
            Rollback();
            return s;
        }
        if (chunk.empty() || !onChunk(chunk) || rows.rows() < kChunk) break;
    }
    Rollback();  // nothing was changed: ending the read is all that is left
    error_.clear();
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::ReadLast(std::int64_t recorder, VTime to, std::int64_t count,
                                        std::vector<ArchivedRecord>& out) {
    out.clear();
    if (!Reachable()) return Fail(Result());
    Result r = Exec(
        "SELECT t, config_id, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11, c12 FROM records "
        "WHERE recorder_id = $1 AND t <= $2 ORDER BY t DESC LIMIT $3",
        {std::to_string(recorder), std::to_string(to),
         std::to_string(std::max<std::int64_t>(count, 0))},
        true);
    if (!r.ok()) return Fail(r);
    RecordDecoder decoder = Decoder();
    if (ArchiveStatus s = DecodeRecords(r, decoder, out); s != ArchiveStatus::Ok) return s;
    std::reverse(out.begin(), out.end());
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::LastAdd(std::int64_t& out) {
    out = 0;
    if (!Reachable()) return Fail(Result());
    Result r = Exec("SELECT coalesce(max(id), 0) FROM sources", {});
    if (!r.ok()) return Fail(r);
    if (r.rows() != 1 || !ParseInt(r.text(0, 0), out)) return Damaged("the newest add");
    return ArchiveStatus::Ok;
}

// Adds commit in any order of their ids, so the mark is the snapshot itself: equal, the same
// transactions had committed, and none may end and none take an id between two equal marks.
ArchiveStatus PostgresArchive::StateMark(std::string& out) {
    out.clear();
    if (!Reachable()) return Fail(Result());
    Result r = Exec("SELECT pg_current_snapshot()::text", {});
    if (!r.ok()) return Fail(r);
    if (r.rows() != 1) return Damaged("the snapshot");
    out = r.text(0, 0);
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::Newest(const RecorderKey& recorder, std::optional<VTime>& out) {
    out.reset();
    if (!Reachable()) return Fail(Result());
    // The recorder's id first: as a join, the planner read the whole table of records, with
    // every recorder's, for the newest of one (0.6 s for a year).
    Result r = Exec(
        "SELECT t FROM records WHERE recorder_id = (SELECT id FROM recorders WHERE site = $1 AND "
        "address = $2 AND model = $3) ORDER BY t DESC LIMIT 1",
        {recorder.site, std::to_string(recorder.address), recorder.model});
    if (!r.ok()) return Fail(r);
    if (r.rows() == 1) {
        VTime t = 0;
        if (!ParseInt(r.text(0, 0), t)) return Damaged("a record time");
        out = t;
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::ReadLod(std::int64_t recorder, int level, VTime from, VTime to,
                                       std::vector<LodBlock>& out) {
    out.clear();
    if (level < 0 || level >= static_cast<int>(kLodShifts.size()) || from > to)
        return ArchiveStatus::Ok;
    if (!Reachable()) return Fail(Result());
    return LodBlocks(recorder, level, LodBlockOf(from, level), LodBlockOf(to, level), out);
}

ArchiveStatus PostgresArchive::LodBlocks(std::int64_t recorder, int level, std::int64_t first,
                                         std::int64_t last, std::vector<LodBlock>& out) {
    Result r = Exec(
        "SELECT block, first, last, count, present, channels FROM lod WHERE recorder_id = $1 AND "
        "level = $2 AND block >= $3 AND block <= $4 ORDER BY block",
        {std::to_string(recorder), std::to_string(level), std::to_string(first),
         std::to_string(last)},
        true);
    if (!r.ok()) return Fail(r);
    const ArchiveStatus status = DecodeLod(r, level, out);
    InTimeOrder(out);
    return status;
}

// One query per level: a round trip to the server per stretch would cost more than the whole
// answer. LATERAL makes each stretch its own index range scan; as a plain join the planner scanned
// the recorder's whole table. Ordered by the stretch alone (they are ascending and disjoint):
// ordered by block, the planner walked the whole level's index once, testing every row against
// every stretch, for a minute on a year; ordered by both, it sorted each stretch's few rows again.
// The decoding puts rows in time order if a plan does not. As prepared statements their plan is
// the generic one after a few runs: the same nested loop of index scans.
constexpr PieceStatement kLodPieces{
    "vardo_lod_pieces",
    "SELECT l.block, l.first, l.last, l.count, l.present, l.channels FROM "
    "unnest($3::bigint[], $4::bigint[]) WITH ORDINALITY AS s(a, b, n) CROSS JOIN LATERAL "
    "(SELECT * FROM lod WHERE recorder_id = $1 AND level = $2 AND block >= s.a AND "
    "block <= s.b) l ORDER BY s.n"};
constexpr PieceStatement kRecordPieces{
    "vardo_record_pieces",
    "SELECT x.t, x.config_id, x.c1, x.c2, x.c3, x.c4, x.c5, x.c6, x.c7, x.c8, x.c9, "
    "x.c10, x.c11, x.c12 FROM unnest($2::bigint[], $3::bigint[]) WITH ORDINALITY AS "
    "s(a, b, n) CROSS JOIN LATERAL (SELECT * FROM records WHERE recorder_id = $1 AND t >= "
    "s.a AND t <= s.b) x ORDER BY s.n"};

ArchiveStatus PostgresArchive::PreparePieces() {
    if (pieces_ != Statements::Unprepared) return ArchiveStatus::Ok;
    for (const PieceStatement& statement : {kLodPieces, kRecordPieces}) {
        Result made(PQprepare(c_, statement.name, statement.sql, 0, nullptr));
        // A kept connection another store of this program used has them already.
        if (!made.ok() && std::string_view(made.state()) != "42P05") return Fail(made);
    }
    pieces_ = Statements::Prepared;
    return ArchiveStatus::Ok;
}

ArchiveStatus PostgresArchive::StreamPieces(std::int64_t recorder, const PieceRequest& request,
                                            PieceSink& sink) {
    if (!Reachable()) return Fail(Result());
    // The queries go in one pipeline, so that the server runs each while this side decodes the
    // one before.
    const std::string rid = std::to_string(recorder);
    std::string firsts;
    std::string lasts;
    // Inside a read already (from another read's callback) its transaction is the snapshot.
    const bool own = PQtransactionStatus(c_) == PQTRANS_IDLE;
    if (ArchiveStatus s = PreparePieces(); s != ArchiveStatus::Ok) return s;
    if (PQenterPipelineMode(c_) != 1) return Fail(Result());
    constexpr int kSetting = -2;
    constexpr int kRecords = -1;
    std::vector<int> asked;  // per queued query: kSetting, kRecords or the level of its blocks
    bool queued = true;
    const auto send = [&](int what, const PieceStatement& statement,
                          const std::vector<std::string>& params) {
        queued = queued && SendPiece(statement, params);
        if (queued) asked.push_back(what);
    };
    if (own) {
        queued = Send("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        if (queued) asked.push_back(kSetting);
    }
    for (int level = 0; level < static_cast<int>(kLodShifts.size()); ++level) {
        const auto& stretches = request.blocks[static_cast<std::size_t>(level)];
        if (stretches.empty()) continue;
        StretchArrays(stretches, level, firsts, lasts);
        send(level, kLodPieces, {rid, std::to_string(level), firsts, lasts});
    }
    if (!request.records.empty()) {
        StretchArrays(request.records, -1, firsts, lasts);
        send(kRecords, kRecordPieces, {rid, firsts, lasts});
    }
    // Synced even after a refused send: without it the server holds back what was queued.
    const bool synced = PQpipelineSync(c_) == 1;
    ArchiveStatus status = queued && synced ? ArchiveStatus::Ok : Fail(Result());

    // Each queued query's results end with none; the sync's result comes last.
    Result records;
    std::vector<LodBlock> blocks;
    bool lost = false;    // a prepared statement the server no longer had
    bool handed = false;  // some blocks went to sink already
    for (std::size_t i = 0; synced && i < asked.size(); ++i) {
        const int what = asked[i];
        blocks.clear();
        while (PGresult* got = PQgetResult(c_)) {
            Result r(got);
            if (status != ArchiveStatus::Ok) continue;
            if (!r.ok()) {
                lost = std::string_view(r.state()) == "26000";
                status = Fail(r);
            } else if (what == kRecords) {
                records = std::move(r);
            } else if (what != kSetting) {
                status = DecodeLod(r, what, blocks);
            }
        }
        if (status != ArchiveStatus::Ok || what < 0) continue;
        InTimeOrder(blocks);
        handed = handed || !blocks.empty();
        for (const LodBlock& b : blocks) sink.Block(what, b);
    }
    if (synced) Result(PQgetResult(c_));  // the sync
    if (PQexitPipelineMode(c_) != 1) {
        // Still in pipeline mode, no other query could run on it: start the connection afresh.
        if (status == ArchiveStatus::Ok) status = Fail(Result());
        (void)Reset();
        return status;
    }
    // Out of the pipeline: decoding records may ask the server for their configurations.
    if (status == ArchiveStatus::Ok && records.ok()) {
        RecordDecoder decoder = Decoder();
        std::vector<ArchivedRecord> read;
        status = DecodeRecords(records, decoder, read);
        const auto earlier = [](const ArchivedRecord& x, const ArchivedRecord& y) {
            return x.time < y.time;
        };
        if (!std::is_sorted(read.begin(), read.end(), earlier))
            std::stable_sort(read.begin(), read.end(), earlier);
        if (status == ArchiveStatus::Ok) sink.Records(read);
    }
    if (own) Rollback();  // nothing was changed: ending the snapshot is all that is left
    if (lost) {
        pieces_ = Statements::Unnamed;
        // Read again as whole queries, unless inside another read, whose transaction the failure
        // ended, or after blocks went to sink.
        if (own && !handed) return StreamPieces(recorder, request, sink);
    }
    if (status == ArchiveStatus::Ok) error_.clear();
    return status;
}

ArchiveStatus PostgresArchive::Sources(std::vector<SourceInfo>& out) {
    out.clear();
    if (!Reachable()) return Fail(Result());
    Result r = Exec(
        "SELECT added_at, how, path, size, sha256, device, host, version, "
        "coalesce(recorder_id, 0), added + same + conflicts FROM sources ORDER BY id");
    if (!r.ok()) return Fail(r);
    for (int i = 0; i < r.rows(); ++i) {
        SourceInfo s;
        if (!ParseInt(r.text(i, 0), s.addedAt) || !ParseInt(r.text(i, 3), s.size) ||
            !ParseInt(r.text(i, 8), s.recorder) || !ParseInt(r.text(i, 9), s.records))
            return Damaged("a source does not decode");
        s.how = r.text(i, 1);
        s.path = r.text(i, 2);
        s.sha256 = r.text(i, 4);
        s.device = r.text(i, 5);
        s.host = r.text(i, 6);
        s.version = r.text(i, 7);
        out.push_back(std::move(s));
    }
    return ArchiveStatus::Ok;
}

}  // namespace

ArchiveOpen OpenPostgresArchive(const std::string& url, bool create) {
    ArchiveOpen result;
    const auto prepare = [&](PGconn* c) {
        auto store = std::make_unique<PostgresArchive>(c, url);
        result.status = store->Prepare(create);
        if (result.status == ArchiveStatus::Failed) result.status = ArchiveStatus::Unavailable;
        if (result.status == ArchiveStatus::Ok) {
            result.store = std::move(store);
        } else {
            result.error = store->LastError();
        }
    };
    if (PGconn* kept = Idle().Take(url)) {
        prepare(kept);
        // Unavailable: the server dropped it while it was kept; a new connection tells.
        if (result.status != ArchiveStatus::Unavailable) return result;
        result = ArchiveOpen{};
    }
    PGconn* c = PQconnectdb(url.c_str());
    if (c == nullptr || PQstatus(c) != CONNECTION_OK) {
        result.status = ArchiveStatus::Unavailable;
        result.error = c != nullptr ? PQerrorMessage(c) : "out of memory";
        while (!result.error.empty() && result.error.back() == '\n') result.error.pop_back();
        PQfinish(c);
        return result;
    }
    prepare(c);
    return result;
}

}  // namespace vardo
