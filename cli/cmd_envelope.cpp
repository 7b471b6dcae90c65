#include <cstdio>
#include <memory>
#include <string>

#include "app/vardo_doc.h"
#include "archive/span_envelope.h"
#include "base/local_time_text.h"
#include "base/texts.h"
#include "commands.h"
#include "curves/envelope.h"
#include "history/history_loader.h"
#include "recorder_options.h"

namespace vardo::cli {

namespace {

struct EnvelopeOptions {
    std::string file;
    RecorderOptions archive;
    std::optional<VTime> from;
    std::optional<VTime> to;
    std::optional<int> columns;
};

int Print(const CLI::App& command, const Envelope& e) {
    std::string out = texts::kEnvelopeHeader;
    char cell[64];
    for (int ch = 0; ch < e.channels; ++ch) {
        std::snprintf(cell, sizeof cell, texts::kEnvelopeChannelMin, ch + 1);
        out += '\t';
        out += cell;
        std::snprintf(cell, sizeof cell, texts::kEnvelopeChannelMax, ch + 1);
        out += '\t';
        out += cell;
    }
    out += '\n';
    LocalTimeText times;
    bool written = true;
    for (std::size_t c = 0; c < e.columns.size(); ++c) {
        const EnvelopeColumn& col = e.columns[c];
        out += std::to_string(c + 1);
        out += '\t';
        if (col.records > 0) out.append(cell, times.Write(col.first, cell));
        out += '\t';
        if (col.records > 0) out.append(cell, times.Write(col.last, cell));
        for (int ch = 0; ch < e.channels; ++ch) {
            const auto k = static_cast<std::size_t>(ch);
            out += '\t';
            if (col.Has(ch)) out += EnvelopeValueText(col.min[k], col.minDecimals[k]);
            out += '\t';
            if (col.Has(ch)) out += EnvelopeValueText(col.max[k], col.maxDecimals[k]);
        }
        out += '\n';
        if (out.size() >= (1u << 16)) {
            written = written && WriteOut(out);
            out.clear();
        }
    }
    written = written && WriteOut(out);
    return FinishOutput(command, written);
}

int Refuse(const char* why) {
    StderrReporter().ShowMessage(why, MessageIcon::Information);
    return 1;
}

int RunEnvelope(const CLI::App& command, const EnvelopeOptions& o) {
    if (const int refused = CheckFileOrRecorder(command, o.file, o.archive); refused != 0)
        return refused;
    const int columns = o.columns.value_or(1);
    if (!o.archive.recorder.empty()) {
        RecorderSpan span;
        if (const int refused = OpenRecorderSpan(o.archive, span); refused != 0) return refused;
        const VTime from = o.from.value_or(span.recorder.first);
        const VTime to = o.to.value_or(span.recorder.last);
        if (from > to) return Refuse(texts::kStartBeforeEnd);
        Envelope e;
        const ArchiveStatus status =
            SpanEnvelope(*span.store, span.recorder.id, span.configs, from, to, columns, e);
        if (status != ArchiveStatus::Ok) return ArchiveReadFailed(span, status);
        return Print(command, e);
    }
    HistoryData h;
    const HistoryOpen opened = LoadHistoryFile(o.file, h);
    if (opened != HistoryOpen::Ok) {
        PathReporter(o.file).ShowMessage(HistoryOpenMessage(opened), MessageIcon::Error);
        return 1;
    }
    const VTime from = o.from.value_or(h.oldestTime);
    const VTime to = o.to.value_or(h.newestTime);
    if (from > to) {
        ReleaseHistoryFile(h);
        return Refuse(texts::kStartBeforeEnd);
    }
    const Envelope e = FileEnvelope(h, from, to, columns);
    ReleaseHistoryFile(h);
    return Print(command, e);
}

}  // namespace

Command AddEnvelope(CLI::App& parent) {
    auto o = std::make_shared<EnvelopeOptions>();
    CLI::App* command = AddCommand(
        parent, "envelope",
        "The smallest and largest value of every channel in each of N columns of a span, as the "
        "curve view draws it.",
        "envelope FILE|--recorder R [--archive URL] [--from T] [--to T] --columns N",
        "T is \"YYYY-MM-DD HH:MM:SS\" local time (by default the first and the last record);\n"
        "N is a whole number from 1 to 100000. R is [SITE/]ADDRESS[:MODEL] of a recorder in the "
        "archive; URL is sqlite:PATH or postgresql://..., by default [Archive] Url of SetUp.ini.");
    AddFileOrRecorderArgument(command, o->file);
    AddRecorderOptions(command, o->archive);
    AddTimeOption(command, "--from", o->from, "the first time of the span");
    AddTimeOption(command, "--to", o->to, "the last time of the span");
    AddWholeNumberOption(command, "--columns", o->columns, 1, kMaxEnvelopeColumns,
                         "columns the span is cut into")
        ->required();
    return {command, [command, o] { return RunEnvelope(*command, *o); }};
}

}  // namespace vardo::cli
