#pragma once
// What the engines store, encoded and decoded here once for both: configurations as rows,
// samples as nullable small integers, level-of-detail blocks with their per-channel extremes.
// Everything read back from a database is outside input (another program, an older or damaged
// archive may have written it): every decoder checks bounds and says false rather than guess.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_store.h"

namespace vardo {

// The schema this program writes and reads; older archives are migrated on open.
inline constexpr int kArchiveSchemaVersion = 1;

// A range end as stored: integer / 10^decimals.
struct StoredRange {
    std::int64_t lowInteger = 0;
    std::int64_t lowDecimals = 0;
    std::int64_t highInteger = 0;
    std::int64_t highDecimals = 0;
};

// A configs row with its config_channels rows, channel numbers 1-based as in the table.
struct StoredConfig {
    std::int64_t intervalCode = 0;
    std::int64_t channelCount = 0;
    std::int64_t present = 0;
    std::vector<std::pair<std::int64_t, StoredRange>> channels;
};

// The decimals a stored range end may carry: what a recorder's header can hold.
inline constexpr int kMaxStoredDecimals = 255;

// Channels outside the configuration carry no range: two files that differ only in what their
// absent channels' bytes say hold records of the same configuration.
RecordConfig NormalizedConfig(const RecordConfig& config);

bool DecodeConfig(const StoredConfig& stored, RecordConfig& out);
StoredConfig EncodeConfig(const RecordConfig& config);
// A text equal for equal configurations: the key the engines find a configuration by.
std::string ConfigSignature(const RecordConfig& config);

// A stored sample: absent (NULL) or a byte.
bool DecodeSample(std::optional<std::int64_t> stored, bool expected, std::uint8_t& out);

// Level-of-detail blocks as stored: per channel the float minimum and maximum (little-endian
// IEEE) and their decimals, kMaxChannels times.
inline constexpr std::size_t kLodChannelBytes = 10;
inline constexpr std::size_t kLodBlobSize = kLodChannelBytes * kMaxChannels;
std::vector<std::uint8_t> EncodeLodChannels(const LodBlock& block);
// On false, out is left partly written.
bool DecodeLodChannels(std::span<const std::uint8_t> blob, std::uint16_t present, LodBlock& out);
// PostgreSQL's bytea text ("\\x0a1b...") back to at most maxBytes bytes.
bool ParseByteaHex(std::string_view text, std::size_t maxBytes, std::vector<std::uint8_t>& out);
// The remaining columns of a lod row; false for counts or times that cannot be.
bool CheckLodRow(std::int64_t level, std::int64_t block, LodBlock& out);

// A lod row as an engine fetched it (block, first, last, count, present, channels), undecoded.
struct FetchedLod {
    std::int64_t block = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t count = 0;
    std::int64_t present = 0;
    std::span<const std::uint8_t> channels;
};
// The block the row describes at level; false when any column cannot be (out then partly
// written).
bool DecodeLodRow(const FetchedLod& row, int level, LodBlock& out);

// A records row as an engine fetched it (t, config_id, c1..c12; nullopt for NULL), undecoded.
struct FetchedRecord {
    std::int64_t time = 0;
    std::int64_t config = 0;
    std::array<std::optional<std::int64_t>, kMaxChannels> samples{};
};

// Decodes the records rows of one read: each row's samples are checked against the channels of
// its configuration, which is asked of the store once per read.
class RecordDecoder {
  public:
    using ConfigReader = std::function<ArchiveStatus(std::int64_t id, RecordConfig& out)>;
    explicit RecordDecoder(ConfigReader readConfig) : readConfig_(std::move(readConfig)) {}
    // Ok; the reader's failure; or Damaged, with Why() naming the record.
    [[nodiscard]] ArchiveStatus Decode(const FetchedRecord& row, ArchivedRecord& out);
    const std::string& Why() const { return why_; }

  private:
    ConfigReader readConfig_;
    std::vector<std::pair<std::int64_t, std::uint16_t>> presence_;
    std::string why_;
};

// The block of time t at level (an index into kLodShifts).
std::int64_t LodBlockOf(VTime t, int level);

// Summaries of records at one level, keyed by block number.
using LodLevel = std::map<std::int64_t, LodBlock>;
// Adds records (all under config, ascending) to the blocks of every level.
void AccumulateLod(const RecordConfig& config, std::span<const OfferedRecord> records,
                   std::array<LodLevel, kLodShifts.size()>& levels);
// Folds b into a (blocks of the same span).
void MergeLod(LodBlock& a, const LodBlock& b);
// An add's fresh summary of a block that the archive already holds, folded with it so that what
// is written back covers both; of equal extremes the earlier records' decimals stay. False when
// the fold cannot tell which came first: the added and the held records interleave in time and
// some channel's extreme is the same number in both, printed otherwise. The block must then be
// summed anew (ResumLodBlocks).
[[nodiscard]] bool FoldHeldBlock(LodLevel& fresh, std::int64_t block, const LodBlock& held);

// What summing blocks anew reads of the archive, within the add's transaction (so that the
// records it has just written are among them).
struct LodSource {
    // The held records of [from, to], in time order.
    std::function<ArchiveStatus(VTime from, VTime to, std::vector<ArchivedRecord>& out)> records;
    std::function<ArchiveStatus(std::int64_t id, RecordConfig& out)> config;
    // The held blocks of level within [from, to], in time order.
    std::function<ArchiveStatus(int level, VTime from, VTime to, std::vector<LodBlock>& out)>
        blocks;
};
// Sums the given blocks of levels[level] anew, in time order: at level 0 from their records, above
// from their blocks one level finer, as levels[level - 1] holds them after this add's fold.
[[nodiscard]] ArchiveStatus ResumLodBlocks(std::array<LodLevel, kLodShifts.size()>& levels,
                                           int level, std::span<const std::int64_t> blocks,
                                           const LodSource& source);

// The engineering value of a raw sample as the data list prints it, with its decimals.
float ArchiveValue(const RecordConfig& config, int ch, std::uint8_t raw);

}  // namespace vardo
