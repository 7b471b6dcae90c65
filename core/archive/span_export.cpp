#include "archive/span_export.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "base/texts.h"

namespace vardo {

namespace {

constexpr std::int64_t kChunk = 1 << 14;

}  // namespace

SpanRowSource::SpanRowSource(ArchiveStore& store, std::int64_t recorder, const SpanConfigs& configs,
                             VTime from, VTime to, int step, bool ascending)
    : store_(store),
      recorder_(recorder),
      configs_(configs),
      from_(from),
      to_(to),
      step_(std::max(step, 1)),
      ascending_(ascending),
      texts_(configs),
      numbers_(static_cast<std::size_t>(configs.Size()) * kMaxChannels),
      numbersMade_(static_cast<std::size_t>(configs.Size()) * kMaxChannels, false) {}

ArchiveStatus SpanRowSource::Prepare() {
    const SpanBounds bounds{false, from_, to_, 0};
    int channels = -1;
    std::array<int, kMaxChannels> decimals{};
    status_ = WalkSpan(store_, recorder_, configs_, bounds, static_cast<int>(step_), ascending_,
                       [&](const SpanRow& row) {
                           ++rows_;
                           if (row.config < 0) return true;
                           const RecordConfig& c = configs_.At(row.config);
                           channels = std::max(channels, c.channelCount);
                           for (int ch = 0; ch < c.channelCount; ++ch) {
                               if (c.Has(ch))
                                   decimals[static_cast<std::size_t>(ch)] =
                                       std::max(decimals[static_cast<std::size_t>(ch)],
                                                c.high[static_cast<std::size_t>(ch)].Decimals());
                           }
                           return true;
                       });
    if (status_ != ArchiveStatus::Ok) return status_;
    // Nothing listed: the recorder's own columns, as for dump.
    if (channels < 0) channels = configs_.MaxChannels();
    char name[32];
    for (int ch = 0; ch < channels; ++ch) {
        std::snprintf(name, sizeof name, texts::kColumnChannel, ch + 1);
        columns_.push_back({name, decimals[static_cast<std::size_t>(ch)]});
    }
    cells_.resize(columns_.size());
    row_.cells = cells_;
    cursor_ = ascending_ ? from_ : to_;
    Refill();
    return status_;
}

void SpanRowSource::Refill() {
    buffer_.clear();
    at_ = 0;
    if (exhausted_ || status_ != ArchiveStatus::Ok) return;
    if (ascending_) {
        status_ =
            store_.ReadRecords(recorder_, cursor_, to_, [&](std::span<const ArchivedRecord> chunk) {
                buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
                return static_cast<std::int64_t>(buffer_.size()) < kChunk;
            });
        if (buffer_.empty() || buffer_.back().time >= to_)
            exhausted_ = true;
        else
            cursor_ = buffer_.back().time + 1;
        return;
    }
    status_ = store_.ReadLast(recorder_, cursor_, kChunk, buffer_);
    // Newest first: the chunk is handed out from its end.
    std::reverse(buffer_.begin(), buffer_.end());
    const auto past = std::find_if(buffer_.begin(), buffer_.end(),
                                   [this](const ArchivedRecord& r) { return r.time < from_; });
    const bool reachedStart =
        past != buffer_.end() || static_cast<std::int64_t>(buffer_.size()) < kChunk;
    buffer_.erase(past, buffer_.end());
    if (reachedStart || buffer_.empty() || buffer_.back().time <= from_ ||
        buffer_.back().time == std::numeric_limits<VTime>::min())
        exhausted_ = true;
    else
        cursor_ = buffer_.back().time - 1;
}

bool SpanRowSource::Advance() {
    if (positioned_) return true;
    while (status_ == ArchiveStatus::Ok) {
        if (at_ >= buffer_.size()) {
            if (exhausted_) return false;
            Refill();
            continue;
        }
        if (seen_++ % step_ == 0) {
            positioned_ = true;
            return true;
        }
        ++at_;
    }
    return false;
}

const ExportRow* SpanRowSource::Next() {
    if (given_ >= rows_ || !Advance()) return nullptr;
    const ArchivedRecord& r = buffer_[at_];
    const int config = configs_.Index(r.config);
    const char* end = std::to_chars(number_, number_ + sizeof number_, ++given_).ptr;
    row_.number = std::string_view(number_, static_cast<std::size_t>(end - number_));
    end = times_.Write(r.time, time_);
    row_.time = std::string_view(time_, static_cast<std::size_t>(end - time_));
    for (std::size_t ch = 0; ch < cells_.size(); ++ch) {
        ExportCell& cell = cells_[ch];
        const std::uint8_t raw = r.samples[ch];
        cell.text = texts_.Value(config, static_cast<int>(ch), raw);
        cell.number = 0;
        cell.decimals = 0;
        if (cell.text.empty()) continue;
        const std::size_t slot = static_cast<std::size_t>(config) * kMaxChannels + ch;
        if (!numbersMade_[slot]) {
            // The list's text read back, so that 12.3 is 12.3 and a shown "-0.0" is 0.
            for (int v = 0; v < 256; ++v) {
                const std::string text(
                    texts_.Value(config, static_cast<int>(ch), static_cast<std::uint8_t>(v)));
                const double number = std::strtod(text.c_str(), nullptr);
                numbers_[slot][static_cast<std::size_t>(v)] = number == 0 ? 0.0 : number;
            }
            numbersMade_[slot] = true;
        }
        cell.number = numbers_[slot][raw];
        const std::size_t point = cell.text.find('.');
        cell.decimals =
            point == std::string_view::npos ? 0 : static_cast<int>(cell.text.size() - point - 1);
    }
    ++at_;
    positioned_ = false;
    // Reading ahead here lets a failure be seen before the writer asks for a row that is not
    // there, so the export is stopped rather than finished short.
    if (given_ < rows_) (void)Advance();
    return &row_;
}

}  // namespace vardo
