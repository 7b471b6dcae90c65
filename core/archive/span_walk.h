#pragma once
// A recorder's span in the archive as a record source: the rows the data list, dump, stats and
// export take, each held record once, in time order, each read with its own configuration. The
// range rules follow those of a file's first view, counted in records instead of intervals: a
// recorder's records need not lie on one grid.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_store.h"
#include "datalist/channel_stats.h"

namespace vardo {

// What the user asked for: --from, --to, --all.
struct SpanRequest {
    std::optional<VTime> from;
    std::optional<VTime> to;
    bool all = false;
};

// The records a listing takes: those within [from, to], or the count newest up to to.
struct SpanBounds {
    bool newestCount = false;
    VTime from = 0;
    VTime to = 0;
    std::int64_t count = 0;
};

inline constexpr std::int64_t kFirstViewRecords = 200;

// Settles a request against the recorder's newest record time. false: the range is reversed
// (the caller refuses with "请确认 开始时间 < 结束时间").
[[nodiscard]] bool SettleSpan(const SpanRequest& request, VTime newest, SpanBounds& out);

// The configurations a recorder's records use, by the store's id.
class SpanConfigs {
  public:
    [[nodiscard]] ArchiveStatus Load(ArchiveStore& store, std::int64_t recorder);
    // From configurations at hand (the tests, and callers that read them already).
    void Assign(std::vector<std::pair<std::int64_t, RecordConfig>> configs);

    // The index of id among the configurations, -1 for an id the store did not list.
    int Index(std::int64_t id) const;
    const RecordConfig& At(int index) const { return configs_[static_cast<std::size_t>(index)]; }
    int Size() const { return static_cast<int>(configs_.size()); }
    // The largest channel count among them (at most kMaxChannels).
    int MaxChannels() const;

  private:
    std::vector<std::int64_t> ids_;  // ascending
    std::vector<RecordConfig> configs_;
};

// Channels 0 .. channelCount - 1 that the configuration holds samples of.
inline bool ConfigHasChannel(const RecordConfig& c, int ch) {
    return ch < c.channelCount && c.Has(ch);
}

// A record's engineering value and its decimals, as dump prints it.
float RecordValue(const RecordConfig& c, int ch, std::uint8_t raw);

struct SpanRow {
    std::int64_t number = 0;  // 1 for the first row
    const ArchivedRecord* record = nullptr;
    int config = -1;  // index into the SpanConfigs walked with; -1: unknown to the store's list
};

// Walks the records the bounds take, every step-th of them, oldest first when ascending, newest
// first otherwise; onRow returns false to stop.
[[nodiscard]] ArchiveStatus WalkSpan(ArchiveStore& store, std::int64_t recorder,
                                     const SpanConfigs& configs, const SpanBounds& bounds, int step,
                                     bool ascending,
                                     const std::function<bool(const SpanRow&)>& onRow);

// The columns 通道1..通道n of a listing: n the largest channel count among the rows listed. One
// walk when every configuration has as many channels, else a first walk that only counts.
[[nodiscard]] ArchiveStatus SpanChannelCount(ArchiveStore& store, std::int64_t recorder,
                                             const SpanConfigs& configs, const SpanBounds& bounds,
                                             int step, int& channels);

// The cell texts of walked rows: a channel's sample is one byte, so the 256 texts of each
// configuration's channel are made once, when first asked for.
class SpanTexts {
  public:
    explicit SpanTexts(const SpanConfigs& configs) : configs_(configs) {}
    // The cell of channel ch of a record with configuration index config: empty when the
    // record lacks the channel.
    std::string_view Value(int config, int ch, std::uint8_t raw);

  private:
    const SpanConfigs& configs_;
    std::vector<std::vector<std::string>> texts_;  // [config * kMaxChannels + ch][raw]
};

// The text of the rows WalkSpan gives, as dump lists them: number, time and the cells of
// channels 0 .. channels - 1 (empty where a record lacks one), separator between them and "\n"
// after each row, handed to sink in chunks through RowTextWriter, as a file's rows are. written
// turns false, and the walk stops, when sink refuses a chunk.
[[nodiscard]] ArchiveStatus WriteSpanRowsText(ArchiveStore& store, std::int64_t recorder,
                                              const SpanConfigs& configs, const SpanBounds& bounds,
                                              int step, bool ascending, int channels,
                                              char separator,
                                              const std::function<bool(std::string_view)>& sink,
                                              bool& written);

// Mean, peak and valley per channel over the rows of a listing, each record with its own
// configuration; the decimals each is printed with travel along.
struct SpanStatResult {
    StatResult stats;
    int channels = 0;
    std::array<int, kMaxChannels> meanDecimals{};
    std::array<int, kMaxChannels> peakDecimals{};
    std::array<int, kMaxChannels> valleyDecimals{};
};

// Collects raw samples per configuration and channel, then gives the statistics.
class SpanStatAccumulator {
  public:
    explicit SpanStatAccumulator(const SpanConfigs& configs);
    void Add(const SpanRow& row);
    SpanStatResult Finish() const;

  private:
    const SpanConfigs& configs_;
    std::vector<std::array<StatAccumulator, kMaxChannels>> acc_;
    StatResult times_;
};

// going, when given, hears how many records were taken every few thousand; false from it stops
// the walk, and out is left as it was.
[[nodiscard]] ArchiveStatus SpanStats(ArchiveStore& store, std::int64_t recorder,
                                      const SpanConfigs& configs, const SpanBounds& bounds,
                                      int step, SpanStatResult& out,
                                      const std::function<bool(std::int64_t taken)>& going = {});

// The three cells of channel ch: empty when no listed record has it.
std::array<std::string, 3> SpanStatCells(const SpanStatResult& r, int ch);

}  // namespace vardo
