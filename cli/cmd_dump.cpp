#include <charconv>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>

#include "app/vardo_doc.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"
#include "history/ring.h"
#include "record_options.h"

namespace vardo::cli {

namespace {

struct DumpOptions {
    RecordOptions records;
    int ascending = 0;
};

int RunDump(const CLI::App& command, const DumpOptions& o) {
    HistoryData h;
    VTime from = 0;
    VTime to = 0;
    if (const int refused = OpenRecords(command, o.records, h, from, to); refused != 0)
        return refused;

    CRowTexts cells(h);
    std::string out = texts::kColumnNumber;
    out += '\t';
    out += texts::kColumnTime;
    char cell[64];
    for (int ch : cells.Channels()) {
        std::snprintf(cell, sizeof cell, texts::kColumnChannel, ch + 1);
        out += '\t';
        out += cell;
    }
    out += '\n';

    constexpr std::size_t kChunk = 1u << 16;
    out.reserve(2 * kChunk);
    bool written = true;
    const std::size_t columns = cells.Channels().size();
    WalkRows(h, from, to, o.records.step.value_or(1), o.ascending, [&](const WalkedRow& row) {
        char* end = std::to_chars(cell, cell + sizeof cell, row.number).ptr;
        *end++ = '\t';
        end = cells.WriteTime(row.time, end);
        out.append(cell, end);
        for (std::size_t d = 0; d < columns; ++d) {
            out += '\t';
            out += cells.Value(d, row.slot);
        }
        out += '\n';
        if (out.size() >= kChunk) {
            written = written && WriteOut(out);
            out.clear();
        }
    });
    written = written && WriteOut(out);
    ReleaseHistoryFile(h);
    return FinishOutput(command, written);
}

}  // namespace

Command AddDump(CLI::App& parent) {
    auto o = std::make_shared<DumpOptions>();
    CLI::App* command =
        AddCommand(parent, "dump", "The records of a history file as the data list shows them.",
                   "dump FILE [--from T] [--to T] [--all] [--step N] [--order newest|oldest]",
                   "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1.");
    AddRecordOptions(command, o->records);
    AddOrderOption(command, o->ascending);
    return {command, [command, o] { return RunDump(*command, *o); }};
}

}  // namespace vardo::cli
