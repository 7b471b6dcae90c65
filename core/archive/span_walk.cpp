#include "archive/span_walk.h"

#include <algorithm>
#include <limits>

#include "datalist/row_texts.h"

namespace vardo {

namespace {

// Records handed over at once when walking newest first: the store reads ascending, so a
// backward walk takes the newest of what is left, chunk by chunk.
constexpr std::int64_t kBackwardChunk = 1 << 15;

}  // namespace

bool SettleSpan(const SpanRequest& request, VTime newest, SpanBounds& out) {
    out = SpanBounds{};
    if (request.all) {
        out.from = std::numeric_limits<VTime>::min();
        out.to = std::numeric_limits<VTime>::max();
        return true;
    }
    if (!request.from) {
        out.newestCount = true;
        out.to = request.to.value_or(newest);
        out.count = kFirstViewRecords;
        return true;
    }
    out.from = *request.from;
    out.to = request.to.value_or(newest);
    return out.from <= out.to;
}

ArchiveStatus SpanConfigs::Load(ArchiveStore& store, std::int64_t recorder) {
    std::vector<std::pair<std::int64_t, RecordConfig>> configs;
    const ArchiveStatus status = store.Configs(recorder, configs);
    if (status == ArchiveStatus::Ok) Assign(std::move(configs));
    return status;
}

void SpanConfigs::Assign(std::vector<std::pair<std::int64_t, RecordConfig>> configs) {
    std::sort(configs.begin(), configs.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    ids_.clear();
    configs_.clear();
    for (auto& [id, config] : configs) {
        config.channelCount = std::clamp(config.channelCount, 0, kMaxChannels);
        ids_.push_back(id);
        configs_.push_back(config);
    }
}

int SpanConfigs::Index(std::int64_t id) const {
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), id);
    return it != ids_.end() && *it == id ? static_cast<int>(it - ids_.begin()) : -1;
}

int SpanConfigs::MaxChannels() const {
    int n = 0;
    for (const RecordConfig& c : configs_) n = std::max(n, c.channelCount);
    return n;
}

float RecordValue(const RecordConfig& c, int ch, std::uint8_t raw) {
    return EngineeringValue(c.low[static_cast<std::size_t>(ch)],
                            c.high[static_cast<std::size_t>(ch)], raw, 1, ValueRule::DoubleProduct);
}

ArchiveStatus WalkSpan(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                       const SpanBounds& bounds, int step, bool ascending,
                       const std::function<bool(const SpanRow&)>& onRow) {
    const std::int64_t stride = std::max(step, 1);
    std::int64_t listed = 0;  // records the bounds take, before the step
    SpanRow row;
    bool going = true;
    const auto take = [&](const ArchivedRecord& r) {
        if (listed++ % stride != 0) return true;
        ++row.number;
        row.record = &r;
        row.config = configs.Index(r.config);
        going = onRow(row);
        return going;
    };

    std::vector<ArchivedRecord> chunk;
    if (bounds.newestCount) {
        const ArchiveStatus status = store.ReadLast(recorder, bounds.to, bounds.count, chunk);
        if (status != ArchiveStatus::Ok) return status;
        if (ascending) {
            for (const ArchivedRecord& r : chunk)
                if (!take(r)) break;
        } else {
            for (auto it = chunk.rbegin(); it != chunk.rend(); ++it)
                if (!take(*it)) break;
        }
        return ArchiveStatus::Ok;
    }
    if (ascending) {
        return store.ReadRecords(recorder, bounds.from, bounds.to,
                                 [&](std::span<const ArchivedRecord> records) {
                                     for (const ArchivedRecord& r : records)
                                         if (!take(r)) return false;
                                     return true;
                                 });
    }
    VTime to = bounds.to;
    while (going) {
        chunk.clear();
        const ArchiveStatus status = store.ReadLast(recorder, to, kBackwardChunk, chunk);
        if (status != ArchiveStatus::Ok) return status;
        for (auto it = chunk.rbegin(); it != chunk.rend() && going; ++it) {
            if (it->time < bounds.from) return ArchiveStatus::Ok;
            take(*it);
        }
        if (static_cast<std::int64_t>(chunk.size()) < kBackwardChunk ||
            chunk.front().time <= bounds.from ||
            chunk.front().time == std::numeric_limits<VTime>::min())
            break;
        to = chunk.front().time - 1;
    }
    return ArchiveStatus::Ok;
}

ArchiveStatus SpanChannelCount(ArchiveStore& store, std::int64_t recorder,
                               const SpanConfigs& configs, const SpanBounds& bounds, int step,
                               int& channels) {
    channels = configs.MaxChannels();
    bool uniform = true;
    for (int i = 0; i < configs.Size(); ++i)
        uniform = uniform && configs.At(i).channelCount == channels;
    if (uniform) return ArchiveStatus::Ok;
    int listed = -1;
    const ArchiveStatus status =
        WalkSpan(store, recorder, configs, bounds, step, true, [&](const SpanRow& row) {
            if (row.config >= 0)
                listed = std::max(listed, configs.At(row.config).channelCount);
            else
                listed = std::max(listed, 0);
            return listed < channels;
        });
    // Nothing listed: the recorder's own columns, as a file's empty range keeps its header.
    if (listed >= 0) channels = listed;
    return status;
}

std::string_view SpanTexts::Value(int config, int ch, std::uint8_t raw) {
    if (config < 0 || config >= configs_.Size() || ch < 0 || ch >= kMaxChannels) return {};
    const RecordConfig& c = configs_.At(config);
    if (!ConfigHasChannel(c, ch)) return {};
    texts_.resize(static_cast<std::size_t>(configs_.Size()) * kMaxChannels);
    std::vector<std::string>& texts =
        texts_[static_cast<std::size_t>(config) * kMaxChannels + static_cast<std::size_t>(ch)];
    if (texts.empty()) {
        texts.resize(256);
        const int decimals = c.high[static_cast<std::size_t>(ch)].Decimals();
        for (int v = 0; v < 256; ++v)
            texts[static_cast<std::size_t>(v)] =
                FormatDecimal(RecordValue(c, ch, static_cast<std::uint8_t>(v)), decimals);
    }
    return texts[raw];
}

ArchiveStatus WriteSpanRowsText(ArchiveStore& store, std::int64_t recorder,
                                const SpanConfigs& configs, const SpanBounds& bounds, int step,
                                bool ascending, int channels, char separator,
                                const std::function<bool(std::string_view)>& sink, bool& written) {
    channels = std::clamp(channels, 0, kMaxChannels);
    RowTextWriter writer(separator, static_cast<std::size_t>(channels) * (1 + kMaxDecimalTextSize),
                         sink);
    SpanTexts cells(configs);
    written = true;
    const ArchiveStatus status =
        WalkSpan(store, recorder, configs, bounds, step, ascending, [&](const SpanRow& row) {
            char* out = writer.StartRow(row.number, row.record->time);
            for (int ch = 0; ch < channels; ++ch) {
                *out++ = separator;
                const std::string_view cell =
                    cells.Value(row.config, ch, row.record->samples[static_cast<std::size_t>(ch)]);
                out = std::copy(cell.begin(), cell.end(), out);  // an empty cell has no data
            }
            written = writer.EndRow(out);
            return written;
        });
    written = writer.Finish() && written;
    return status;
}

SpanStatAccumulator::SpanStatAccumulator(const SpanConfigs& configs)
    : configs_(configs), acc_(static_cast<std::size_t>(configs.Size())) {}

void SpanStatAccumulator::Add(const SpanRow& row) {
    const VTime t = row.record->time;
    if (!times_.counted || t > times_.newest) times_.newest = t;
    if (!times_.counted || t < times_.oldest) times_.oldest = t;
    times_.counted = true;
    if (row.config < 0) return;
    const RecordConfig& c = configs_.At(row.config);
    auto& acc = acc_[static_cast<std::size_t>(row.config)];
    for (int ch = 0; ch < c.channelCount; ++ch)
        if (c.Has(ch))
            acc[static_cast<std::size_t>(ch)].Add(
                row.record->samples[static_cast<std::size_t>(ch)]);
}

SpanStatResult SpanStatAccumulator::Finish() const {
    SpanStatResult r;
    r.stats.counted = times_.counted;
    r.stats.newest = times_.newest;
    r.stats.oldest = times_.oldest;
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        ChannelStat& s = r.stats.channels[static_cast<std::size_t>(ch)];
        double weighted = 0.0;
        std::int64_t count = 0;
        int contributors = 0;
        for (int i = 0; i < configs_.Size(); ++i) {
            const StatAccumulator& a =
                acc_[static_cast<std::size_t>(i)][static_cast<std::size_t>(ch)];
            if (a.Count() == 0) continue;
            const RecordConfig& c = configs_.At(i);
            const auto k = static_cast<std::size_t>(ch);
            const ChannelStat one = FinishStat(a, c.low[k], c.high[k], 1);
            const int decimals = c.high[k].Decimals();
            if (!s.shown || one.peak > s.peak) {
                s.peak = one.peak;
                r.peakDecimals[k] = decimals;
            }
            if (!s.shown || one.valley < s.valley) {
                s.valley = one.valley;
                r.valleyDecimals[k] = decimals;
            }
            // Of several configurations the mean keeps the finest decimals among them.
            r.meanDecimals[k] = s.shown ? std::max(r.meanDecimals[k], decimals) : decimals;
            s.mean = one.mean;
            s.shown = true;
            weighted += static_cast<double>(one.mean) * static_cast<double>(a.Count());
            count += a.Count();
            ++contributors;
        }
        // One configuration gives exactly what a file of it gives; several weigh each one's
        // mean by its records.
        if (contributors > 1) s.mean = static_cast<float>(weighted / static_cast<double>(count));
    }
    int listed = -1;
    for (int i = 0; i < configs_.Size(); ++i) {
        const auto& acc = acc_[static_cast<std::size_t>(i)];
        const bool any = std::any_of(acc.begin(), acc.end(),
                                     [](const StatAccumulator& a) { return a.Count() > 0; });
        if (any) listed = std::max(listed, configs_.At(i).channelCount);
    }
    r.channels = listed >= 0 ? listed : configs_.MaxChannels();
    return r;
}

ArchiveStatus SpanStats(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                        const SpanBounds& bounds, int step, SpanStatResult& out,
                        const std::function<bool(std::int64_t taken)>& going) {
    SpanStatAccumulator acc(configs);
    std::int64_t taken = 0;
    bool stopped = false;
    // Newest first, as a file's statistics take every step-th record from the newest.
    const ArchiveStatus status =
        WalkSpan(store, recorder, configs, bounds, step, false, [&](const SpanRow& row) {
            acc.Add(row);
            if (going && ++taken % 8192 == 0 && !going(taken)) stopped = true;
            return !stopped;
        });
    if (status != ArchiveStatus::Ok || stopped) return status;
    out = acc.Finish();
    return ArchiveStatus::Ok;
}

std::array<std::string, 3> SpanStatCells(const SpanStatResult& r, int ch) {
    if (ch < 0 || ch >= kMaxChannels || !r.stats.channels[static_cast<std::size_t>(ch)].shown)
        return {};
    const auto k = static_cast<std::size_t>(ch);
    const ChannelStat& s = r.stats.channels[k];
    return {FormatDecimal(s.mean, r.meanDecimals[k]), FormatDecimal(s.peak, r.peakDecimals[k]),
            FormatDecimal(s.valley, r.valleyDecimals[k])};
}

}  // namespace vardo
