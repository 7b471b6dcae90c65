#include "record_options.h"

#include <climits>

#include "app/vardo_doc.h"
#include "base/texts.h"
#include "history/history_loader.h"
#include "history/ring.h"

namespace vardo::cli {

void AddRecordOptions(CLI::App* command, RecordOptions& o) {
    AddFileOrRecorderArgument(command, o.file);
    AddRecorderOptions(command, o.archive);
    AddTimeOption(command, "--from", o.from, "the first time taken");
    AddTimeOption(command, "--to", o.to, "the last time taken");
    command->add_flag("--all", o.all, "the whole file")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddWholeNumberOption(command, "--step", o.step, 1, INT_MAX, "records between two taken");
}

int OpenRecords(const CLI::App& command, const RecordOptions& o, HistoryData& h, VTime& from,
                VTime& to) {
    if (o.all && (o.from || o.to)) {
        return UsageError(command, "--all takes the whole file; leave out --from and --to");
    }
    if (const int refused = CheckFileOrRecorder(command, o.file, o.archive); refused != 0)
        return refused;
    const HistoryOpen opened = LoadHistoryFile(o.file, h);
    if (opened != HistoryOpen::Ok) {
        PathReporter(o.file).ShowMessage(HistoryOpenMessage(opened), MessageIcon::Error);
        return 1;
    }
    const VTime iv = IntervalTable[h.intervalCode];
    to = o.to.value_or(h.newestTime);
    // Without a start, the 199 intervals up to the end: the data list's first view.
    from = o.from.value_or(to - 199 * iv);
    if (o.all) {
        from = h.oldestTime;
        to = h.newestTime;
    }
    if (from > to) {
        ReleaseHistoryFile(h);
        StderrReporter().ShowMessage(texts::kStartBeforeEnd, MessageIcon::Information);
        return 1;
    }
    return 0;
}

int OpenRecorderRecords(const CLI::App& command, const RecordOptions& o, RecorderSpan& span,
                        SpanBounds& bounds) {
    if (o.all && (o.from || o.to)) {
        return UsageError(command, "--all takes every record; leave out --from and --to");
    }
    if (const int refused = CheckFileOrRecorder(command, o.file, o.archive); refused != 0)
        return refused;
    if (const int refused = OpenRecorderSpan(o.archive, span); refused != 0) return refused;
    if (!SettleSpan({o.from, o.to, o.all}, span.recorder.last, bounds)) {
        StderrReporter().ShowMessage(texts::kStartBeforeEnd, MessageIcon::Information);
        return 1;
    }
    return 0;
}

}  // namespace vardo::cli
