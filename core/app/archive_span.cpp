#include "app/archive_span.h"

#include <cstdio>

#include "archive/span_envelope.h"
#include "base/texts.h"
#include "history/history_format.h"
#include "history/ring.h"

namespace vardo {

ArchiveStatus ArchiveSpan::Open(std::unique_ptr<ArchiveStore> store,
                                const RecorderSummary& recorder, VTime from, VTime to) {
    store_ = std::move(store);
    recorder_ = recorder;
    all_ = {from, to};
    window = all_;
    envelope = {};
    return ReadConfigs();
}

ArchiveStatus ArchiveSpan::ReadConfigs() {
    pieces_.Clear();
    // Taken first: an add that lands while the configurations are read is seen by the next
    // window.
    if (ArchiveStatus s = store_->LastAdd(lastAdd_); s != ArchiveStatus::Ok) return s;
    if (ArchiveStatus s = configs_.Load(*store_, recorder_.id); s != ArchiveStatus::Ok) return s;
    maxStep_ = 1;
    minStep_ = 0;
    for (int i = 0; i < configs_.Size(); ++i) {
        const int code = configs_.At(i).intervalCode;
        const VTime step =
            IsValidIntervalCode(code) ? IntervalTable[static_cast<std::size_t>(code)] : 1;
        if (step > maxStep_) maxStep_ = step;
        if (minStep_ == 0 || step < minStep_) minStep_ = step;
    }
    if (minStep_ == 0) minStep_ = 1;
    return ArchiveStatus::Ok;
}

ArchiveStatus ArchiveSpan::BuildWindow(int columns) {
    if (columns < 1) columns = 1;
    if (columns > kMaxEnvelopeColumns) columns = kMaxEnvelopeColumns;
    // A collector may have added records (or a configuration) since the span was read: what is
    // held of the store is then read again, never shown beside what is new.
    std::int64_t lastAdd = 0;
    if (ArchiveStatus s = store_->LastAdd(lastAdd); s != ArchiveStatus::Ok) return s;
    if (lastAdd != lastAdd_) {
        if (ArchiveStatus s = ReadConfigs(); s != ArchiveStatus::Ok) return s;
    }
    return SpanEnvelope(*store_, recorder_.id, configs_, window.from, window.to, columns, envelope,
                        &pieces_);
}

void ArchiveSpan::ChannelRange(int ch, float& low, float& high) const {
    low = 0.0f;
    high = 100.0f;
    for (int i = configs_.Size() - 1; i >= 0; --i) {
        const RecordConfig& c = configs_.At(i);
        if (!ConfigHasChannel(c, ch)) continue;
        low = c.low[static_cast<std::size_t>(ch)].Value();
        high = c.high[static_cast<std::size_t>(ch)].Value();
        return;
    }
}

std::string RecorderName(const RecorderKey& key) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d@", key.address);
    std::string out = key.site.empty() ? std::string() : key.site + "/";
    return out + text + key.model;
}

std::string SpanTitle(const RecorderKey& key, VTime from, VTime to) {
    const LocalFields a = SplitLocalTime(from);
    const LocalFields b = SplitLocalTime(to);
    char text[160];
    std::snprintf(text, sizeof text, texts::kHeaderSpan, a.year, a.month, a.day, a.hour, a.minute,
                  a.second, b.year, b.month, b.day, b.hour, b.minute, b.second);
    return RecorderName(key) + "  " + text;
}

std::vector<SourceInfo> RecorderSources(const std::vector<SourceInfo>& all, std::int64_t recorder) {
    std::vector<SourceInfo> out;
    for (const SourceInfo& s : all)
        if (s.recorder == recorder) out.push_back(s);
    return out;
}

std::string SourceHowText(const std::string& how) {
    for (const auto& [stored, shown] : texts::kArchiveHowNames)
        if (how == stored) return shown;
    return how;
}

SpanWindow ShortcutSpan(SpanShortcut which, VTime first, VTime last) {
    VTime days = 0;
    switch (which) {
        case SpanShortcut::Day:
            days = 1;
            break;
        case SpanShortcut::Week:
            days = 7;
            break;
        case SpanShortcut::Month:
            days = 30;
            break;
        case SpanShortcut::All:
            return {first, last};
    }
    const VTime from = last - days * 86400 + 1;
    return {from > first ? from : first, last};
}

std::vector<CoverageRun> CoverageRuns(const Envelope& e) {
    std::vector<CoverageRun> out;
    for (std::size_t c = 0; c < e.columns.size(); ++c) {
        if (e.columns[c].records == 0) continue;
        const int x = static_cast<int>(c);
        if (!out.empty() && out.back().end == x - 1)
            out.back().end = x;
        else
            out.push_back({x, x});
    }
    return out;
}

}  // namespace vardo
