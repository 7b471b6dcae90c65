#pragma once
// The archive: every record of every recorder, held once per (recorder, time), with the
// configuration in force and where each add came from. One interface, two engines (an embedded
// SQLite file for one PC, a PostgreSQL server for a plant); nothing above this folder knows
// which one runs.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_format.h"

namespace vardo {

// A recorder as the archive knows it. site is empty unless the user gave one; model is the
// five-character code a history file's header carries ("ZT772").
struct RecorderKey {
    std::string site;
    int address = 0;
    std::string model;
    bool operator==(const RecorderKey&) const = default;
};

// The channel configuration a record was taken under. Two records share a configuration when
// every field is equal.
struct RecordConfig {
    int intervalCode = 0;
    int channelCount = 0;
    std::uint16_t present = 0;  // bit k set: channel k (0-based) has a sample
    std::array<DecimalValue, kMaxChannels> high{};
    std::array<DecimalValue, kMaxChannels> low{};
    bool operator==(const RecordConfig& o) const;
    bool Has(int ch) const { return ch >= 0 && ch < kMaxChannels && ((present >> ch) & 1u) != 0; }
};

// One held record: samples[k] is meaningful only where the configuration has channel k.
struct ArchivedRecord {
    VTime time = 0;
    std::int64_t config = 0;  // the store's id of its RecordConfig
    std::array<std::uint8_t, kMaxChannels> samples{};
};

// A record offered to an add: the configuration travels with the add, not per record.
struct OfferedRecord {
    VTime time = 0;
    std::array<std::uint8_t, kMaxChannels> samples{};
};

// How the records of an add were made.
inline constexpr const char* kSourceFile = "file";
inline constexpr const char* kSourceUpload = "upload";
inline constexpr const char* kSourceCard = "card";
inline constexpr const char* kSourceLive = "live";
inline constexpr const char* kSourceCollect = "collect";

// Where an add came from: one row per add, kept for ever.
struct SourceInfo {
    VTime addedAt = 0;  // the computer's time of the add (UTC seconds)
    std::string how;    // one of the kSource* names
    std::string path;   // the history file, as given
    std::int64_t size = 0;
    std::string sha256;  // lower-case hex of the file's bytes
    std::string device;  // the port or device when known, else empty
    std::string host;
    std::string version;
    // Given back by Sources (an add ignores them): the recorder's id (0 when the add named
    // none) and the records the file brought, new, held already and conflicting together.
    std::int64_t recorder = 0;
    std::int64_t records = 0;
};

struct AddCounts {
    std::int64_t added = 0;      // new to the archive
    std::int64_t same = 0;       // already held with the same bytes
    std::int64_t conflicts = 0;  // held with other bytes: the held record stays
};

struct RecorderSummary {
    std::int64_t id = 0;
    RecorderKey key;
    VTime first = 0;
    VTime last = 0;
    std::int64_t records = 0;
    int channelCount = 0;  // the largest among its configurations
};

enum class ArchiveStatus {
    Ok,
    Missing,      // a reading command found no archive (nothing was created)
    Damaged,      // not an archive of ours, or one of a newer schema
    Unavailable,  // cannot be opened or reached (permissions, server down, full disk)
    Failed,       // an operation failed part-way; its transaction was rolled back
};

// Level-of-detail summaries: blocks of 2^kLodShifts[L] seconds aligned to time 0. Each block
// holds, per channel, the smallest and the largest engineering value (ValueRule::DoubleProduct,
// each record with its own configuration) among the held records in it, with the decimals each
// is printed with, so that any span can be drawn at any zoom without reading every record.
inline constexpr std::array<int, 5> kLodShifts = {6, 9, 12, 15, 18};

struct LodBlock {
    VTime start = 0;  // the block's first second
    VTime first = 0;  // times of its first and last held record
    VTime last = 0;
    std::int64_t records = 0;
    std::uint16_t present = 0;  // bit k: some record of the block has channel k
    std::array<float, kMaxChannels> min{};
    std::array<float, kMaxChannels> max{};
    std::array<std::uint8_t, kMaxChannels> minDecimals{};
    std::array<std::uint8_t, kMaxChannels> maxDecimals{};
};

// Seconds from..to, both held.
struct TimeStretch {
    VTime from = 0;
    VTime to = 0;
    bool operator==(const TimeStretch&) const = default;
};

// What a span's envelope reads at once: per level the blocks that meet any of its stretches, and
// the records within any of the raw stretches. Each list ascending.
struct PieceRequest {
    std::array<std::vector<TimeStretch>, kLodShifts.size()> blocks;
    std::vector<TimeStretch> records;
};
// Reads asking for fewer stretches than this run on one connection: below it a second thread
// costs about what it saves.
inline constexpr std::size_t kSplitStretches = 512;
std::size_t StretchCount(const PieceRequest& request);
struct Pieces {
    // Ascending; a block that meets two stretches is listed once.
    std::array<std::vector<LodBlock>, kLodShifts.size()> blocks;
    std::vector<ArchivedRecord> records;  // ascending
};
// Takes the pieces as they are read, so that a year's thousands of blocks are folded where they
// land instead of first gathered: per level its blocks ascending, each once; the records
// ascending, in chunks. The levels come one after another and the records last.
class PieceSink {
  public:
    virtual ~PieceSink() = default;
    virtual void Block(int level, const LodBlock& block) = 0;
    virtual void Records(std::span<const ArchivedRecord> records) = 0;
};

struct ArchiveOpen;

class ArchiveStore {
  public:
    virtual ~ArchiveStore() = default;

    // The system's reason of the last failure (the engine's text), for the second line of a
    // message; empty after success.
    virtual std::string LastError() const = 0;

    // Adds one file's records in one transaction: all of them or none. records must be in
    // ascending time order without repeats.
    [[nodiscard]] virtual ArchiveStatus Add(const RecorderKey& recorder, const RecordConfig& config,
                                            std::span<const OfferedRecord> records,
                                            const SourceInfo& source, AddCounts& counts) = 0;

    [[nodiscard]] virtual ArchiveStatus Recorders(std::vector<RecorderSummary>& out) = 0;
    // Every configuration the recorder's records use, by id.
    [[nodiscard]] virtual ArchiveStatus Configs(
        std::int64_t recorder, std::vector<std::pair<std::int64_t, RecordConfig>>& out) = 0;
    // The recorder's held records with from <= time <= to, ascending, handed over in chunks;
    // onChunk returns false to stop early.
    [[nodiscard]] virtual ArchiveStatus ReadRecords(
        std::int64_t recorder, VTime from, VTime to,
        const std::function<bool(std::span<const ArchivedRecord>)>& onChunk) = 0;
    // The count newest held records with time <= to, ascending.
    [[nodiscard]] virtual ArchiveStatus ReadLast(std::int64_t recorder, VTime to,
                                                 std::int64_t count,
                                                 std::vector<ArchivedRecord>& out) = 0;
    // The newest held record's time of a recorder, nullopt when none is held.
    [[nodiscard]] virtual ArchiveStatus Newest(const RecorderKey& recorder,
                                               std::optional<VTime>& out) = 0;
    // The blocks of level (an index into kLodShifts) that hold records within [from, to]
    // (whole blocks: a block is listed when its span meets [from, to]), ascending. Kept up to date
    // by every Add in the same transaction.
    [[nodiscard]] virtual ArchiveStatus ReadLod(std::int64_t recorder, int level, VTime from,
                                                VTime to, std::vector<LodBlock>& out) = 0;
    // Everything the request names, read as one snapshot in as few round trips as the engine
    // allows: an envelope asks for thousands of short stretches.
    [[nodiscard]] virtual ArchiveStatus StreamPieces(std::int64_t recorder,
                                                     const PieceRequest& request,
                                                     PieceSink& sink) = 0;
    // The same, gathered; a request of kSplitStretches or more is read in two halves at once.
    [[nodiscard]] ArchiveStatus ReadPieces(std::int64_t recorder, const PieceRequest& request,
                                           Pieces& out);
    // Every add, oldest first.
    [[nodiscard]] virtual ArchiveStatus Sources(std::vector<SourceInfo>& out) = 0;
    // A number that changes with every add (0 before the first): a reader that keeps what it
    // read compares it to know whether the records may have changed since.
    [[nodiscard]] virtual ArchiveStatus LastAdd(std::int64_t& out) = 0;
    // Runs mine on this connection and theirs at the same time on a second one, opened at its
    // first use and closed with this store: a long read in two halves on two cores. False when
    // the two cannot be known to have read one state (no second connection, its read failed, or
    // an add committed meanwhile), for the caller to read again on one; status is mine's.
    [[nodiscard]] bool ReadAtOnce(const std::function<ArchiveStatus(ArchiveStore&)>& mine,
                                  const std::function<ArchiveStatus(ArchiveStore&)>& theirs,
                                  ArchiveStatus& status);

  protected:
    // A mark of the committed state: two equal marks taken on this connection mean that nothing
    // was committed between them, so every read made meanwhile, on any connection, saw one state.
    [[nodiscard]] virtual ArchiveStatus StateMark(std::string& out) = 0;
    // Another connection to the archive this one reads.
    virtual ArchiveOpen OpenAgain() const = 0;

  private:
    std::unique_ptr<ArchiveStore> second_;
    // Before second_ is opened: no long read yet, one made, or its open failed.
    enum class SecondState { Unwanted, Wanted, Unavailable } secondState_ = SecondState::Unwanted;
};

// Opens the archive at url ("sqlite:PATH" or a libpq URI "postgresql://..." / "postgres://...").
// create: a missing SQLite file (or empty PostgreSQL database) gets the schema; otherwise a
// missing archive is refused with Missing and nothing is created. The schema is migrated to
// this program's version on open (never for a reading open of a newer schema: Damaged).
struct ArchiveOpen {
    ArchiveStatus status = ArchiveStatus::Ok;
    std::string error;  // the engine's reason when status is not Ok
    std::unique_ptr<ArchiveStore> store;
};
ArchiveOpen OpenArchive(const std::string& url, bool create);

}  // namespace vardo
