#include <cstdio>
#include <optional>
#include <string>

#include "app/vardo_doc.h"
#include "archive/span_walk.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"
#include "record_options.h"

namespace vardo::cli {

namespace {

struct DumpOptions {
    RecordOptions records;
    int ascending = 0;
};

std::string Header(int channels) {
    std::string out = texts::kColumnNumber;
    out += '\t';
    out += texts::kColumnTime;
    char cell[32];
    for (int ch = 0; ch < channels; ++ch) {
        std::snprintf(cell, sizeof cell, texts::kColumnChannel, ch + 1);
        out += '\t';
        out += cell;
    }
    out += '\n';
    return out;
}

// The merged records of a recorder's span: columns 通道1..通道n, each record's cells by its own
// configuration, empty where it lacks the channel.
int RunDumpSpan(const CLI::App& command, const DumpOptions& o) {
    RecorderSpan span;
    SpanBounds bounds;
    if (const int refused = OpenRecorderRecords(command, o.records, span, bounds); refused != 0)
        return refused;
    const int step = o.records.step.value_or(1);
    int channels = 0;
    ArchiveStatus status =
        SpanChannelCount(*span.store, span.recorder.id, span.configs, bounds, step, channels);
    if (status != ArchiveStatus::Ok) return ArchiveReadFailed(span, status);

    bool written = WriteOut(Header(channels));
    if (written) {
        bool rows = true;
        status = WriteSpanRowsText(*span.store, span.recorder.id, span.configs, bounds, step,
                                   o.ascending != 0, channels, '\t', WriteOut, rows);
        written = rows;
    }
    if (status != ArchiveStatus::Ok) {
        (void)FinishOutput(command, written);
        return ArchiveReadFailed(span, status);
    }
    return FinishOutput(command, written);
}

int RunDump(const CLI::App& command, const DumpOptions& o) {
    if (!o.records.archive.recorder.empty()) return RunDumpSpan(command, o);
    HistoryData h;
    VTime from = 0;
    VTime to = 0;
    if (const int refused = OpenRecords(command, o.records, h, from, to); refused != 0)
        return refused;

    CRowTexts cells(h);
    std::string header = texts::kColumnNumber;
    header += '\t';
    header += texts::kColumnTime;
    char cell[64];
    for (int ch : cells.Channels()) {
        std::snprintf(cell, sizeof cell, texts::kColumnChannel, ch + 1);
        header += '\t';
        header += cell;
    }
    header += '\n';
    bool written = WriteOut(header);

    const int step = o.records.step.value_or(1);
    const RowWalkResult walk = PlanWalk(h, from, to, step, o.ascending);
    written = written && WriteRowsText(h, walk, step, o.ascending, cells, '\t', WriteOut);
    ReleaseHistoryFile(h);
    return FinishOutput(command, written);
}

}  // namespace

Command AddDump(CLI::App& parent) {
    auto o = std::make_shared<DumpOptions>();
    CLI::App* command =
        AddCommand(parent, "dump",
                   "The records of a history file or of a recorder's span in the archive, as the "
                   "data list shows them.",
                   "dump FILE|--recorder R [--archive URL] [--from T] [--to T] [--all] [--step N] "
                   "[--order newest|oldest]",
                   kRecordsNote);
    AddRecordOptions(command, o->records);
    AddOrderOption(command, o->ascending);
    return {command, [command, o] { return RunDump(*command, *o); }};
}

}  // namespace vardo::cli
