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

namespace vardo::cli {

namespace {

struct DumpOptions {
    std::string file;
    std::optional<VTime> from;
    std::optional<VTime> to;
    bool all = false;
    std::optional<int> step;
    int ascending = 0;
};

int RunDump(const CLI::App& command, const DumpOptions& o) {
    if (o.all && (o.from || o.to)) {
        return UsageError(command, "--all takes the whole file; leave out --from and --to");
    }

    HistoryData h;
    const HistoryOpen opened = LoadHistoryFile(o.file, h);
    if (opened != HistoryOpen::Ok) {
        PathReporter(o.file).ShowMessage(HistoryOpenMessage(opened), MessageIcon::Error);
        return 1;
    }
    const VTime iv = IntervalTable[h.intervalCode];
    VTime to = o.to.value_or(h.newestTime);
    // Without a start, the 199 intervals up to the end: the data list's first view.
    VTime from = o.from.value_or(to - 199 * iv);
    if (o.all) {
        from = h.oldestTime;
        to = h.newestTime;
    }
    if (from > to) {
        ReleaseHistoryFile(h);
        StderrReporter().ShowMessage(texts::kStartBeforeEnd, MessageIcon::Information);
        return 1;
    }

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
    WalkRows(h, from, to, o.step.value_or(1), o.ascending, [&](const WalkedRow& row) {
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
            written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
            out.clear();
        }
    });
    written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    ReleaseHistoryFile(h);
    if (std::fflush(stdout) != 0 || !written) {
        std::fputs("vardo-cli dump: writing the output failed\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace

Command AddDump(CLI::App& parent) {
    auto o = std::make_shared<DumpOptions>();
    CLI::App* command =
        AddCommand(parent, "dump", "The records of a history file as the data list shows them.",
                   "dump FILE [--from T] [--to T] [--all] [--step N] [--order newest|oldest]",
                   "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1.");
    AddPathArgument(command, "FILE", o->file, "a history file");
    AddTimeOption(command, "--from", o->from, "the first time listed");
    AddTimeOption(command, "--to", o->to, "the last time listed");
    command->add_flag("--all", o->all, "the whole file")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddWholeNumberOption(command, "--step", o->step, 1, INT_MAX, "records between two rows");
    AddOrderOption(command, o->ascending);
    return {command, [command, o] { return RunDump(*command, *o); }};
}

}  // namespace vardo::cli
