#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "archive/span_walk.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/channel_stats.h"
#include "history/history_loader.h"
#include "record_options.h"

namespace vardo::cli {

namespace {

void Line(std::string& out, std::initializer_list<std::string> cells) {
    bool first = true;
    for (const std::string& c : cells) {
        if (!first) out += '\t';
        out += c;
        first = false;
    }
    out += '\n';
}

// The report both sources print: the span counted, then a line per channel.
std::string StatsText(bool counted, VTime oldest, VTime newest, int channels,
                      const std::function<std::array<std::string, 3>(int)>& cellsOf) {
    std::string out;
    Line(out, {texts::kStatStart, counted ? FormatTime(oldest) : std::string()});
    Line(out, {texts::kStatEnd, counted ? FormatTime(newest) : std::string()});
    Line(out, {texts::kStatChannel, texts::kStatMean, texts::kStatPeak, texts::kStatValley});
    char name[32];
    for (int ch = 0; ch < channels; ++ch) {
        std::snprintf(name, sizeof name, texts::kColumnChannel, ch + 1);
        const std::array<std::string, 3> cells = cellsOf(ch);
        Line(out, {name, cells[0], cells[1], cells[2]});
    }
    return out;
}

// Over a recorder's span: each record counted with its own configuration.
int RunStatsSpan(const CLI::App& command, const RecordOptions& o) {
    RecorderSpan span;
    SpanBounds bounds;
    if (const int refused = OpenRecorderRecords(command, o, span, bounds); refused != 0)
        return refused;
    SpanStatResult r;
    const ArchiveStatus status =
        SpanStats(*span.store, span.recorder.id, span.configs, bounds, o.step.value_or(1), r);
    if (status != ArchiveStatus::Ok) return ArchiveReadFailed(span, status);
    const std::string out = StatsText(r.stats.counted, r.stats.oldest, r.stats.newest, r.channels,
                                      [&r](int ch) { return SpanStatCells(r, ch); });
    return FinishOutput(command, WriteOut(out));
}

int RunStats(const CLI::App& command, const RecordOptions& o) {
    if (!o.archive.recorder.empty()) return RunStatsSpan(command, o);
    HistoryData h;
    VTime from = 0;
    VTime to = 0;
    if (const int refused = OpenRecords(command, o, h, from, to); refused != 0) return refused;
    const StatResult r = RecordStats(h, from, to, o.step.value_or(1));
    const std::string out =
        StatsText(r.counted, r.oldest, r.newest, std::min<int>(h.channelCount, kMaxChannels),
                  [&](int ch) { return StatCells(h, r, ch); });
    ReleaseHistoryFile(h);
    return FinishOutput(command, WriteOut(out));
}

}  // namespace

Command AddStats(CLI::App& parent) {
    auto o = std::make_shared<RecordOptions>();
    CLI::App* command = AddCommand(
        parent, "stats", "Mean, peak and valley of every channel over the records dump lists.",
        "stats FILE|--recorder R [--archive URL] [--from T] [--to T] [--all] [--step N]",
        kRecordsNote);
    AddRecordOptions(command, *o);
    return {command, [command, o] { return RunStats(*command, *o); }};
}

}  // namespace vardo::cli
