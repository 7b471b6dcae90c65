#include <cstdio>
#include <optional>
#include <string>

#include "app/vardo_doc.h"
#include "archive/span_export.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/excel_export.h"
#include "history/history_loader.h"
#include "recorder_options.h"

namespace vardo::cli {

namespace {

struct ExportOptions {
    std::string file;
    RecorderOptions archive;
    std::string out;
    std::optional<VTime> from;
    std::optional<VTime> to;
    std::optional<int> step;
    int ascending = 0;
    std::optional<ExportFormat> format;
};

CLI::Option* AddFormatOption(CLI::App* command, std::optional<ExportFormat>& format) {
    const CLI::Validator isFormat(
        [](std::string& text) -> std::string {
            return text == "xls" || text == "xlsx" || text == "csv"
                       ? ""
                       : "\"" + text + "\" is not xls, xlsx or csv";
        },
        "");
    return command
        ->add_option_function<std::string>(
            "--format",
            [&format](const std::string& text) {
                format = text == "xlsx"  ? ExportFormat::Xlsx
                         : text == "csv" ? ExportFormat::Csv
                                         : ExportFormat::Xls;
            },
            "the file's format; OUT is then taken as named")
        ->type_name("xls|xlsx|csv")
        ->check(isFormat);
}

// The path and format OUT and --format ask for.
void SettleOut(const ExportOptions& o, ExportRequest& request) {
    // A format named outright takes OUT as it is; else the name says which, and the .xls rule
    // adds its extension as it always has.
    request.format = o.format.value_or(ExportFormatOfPath(o.out));
    request.path =
        o.format.has_value() || request.format != ExportFormat::Xls ? o.out : XlsPath(o.out);
}

int TellFailed(const ExportRequest& request, const ExportResult& result) {
    const std::string reason = ExportFailureReason(result);
    PathReporter(request.path)
        .ShowMessage(std::string(texts::kExcelCreateFailed) + (reason.empty() ? "" : "\n") + reason,
                     MessageIcon::Error);
    return 1;
}

// A recorder's span: the range checked against its first and last record as a file's against
// its oldest and newest.
int RunExportSpan(const ExportOptions& o) {
    RecorderSpan span;
    if (const int refused = OpenRecorderSpan(o.archive, span); refused != 0) return refused;
    ExportRequest request;
    request.start = o.from.value_or(span.recorder.first);
    request.end = o.to.value_or(span.recorder.last);
    SettleOut(o, request);
    if (const char* refused =
            CheckExportRange(request.start, request.end, span.recorder.first, span.recorder.last)) {
        StderrReporter().ShowMessage(refused, MessageIcon::Information);
        return 1;
    }
    SpanRowSource rows(*span.store, span.recorder.id, span.configs, request.start, request.end,
                       o.step.value_or(1), o.ascending != 0);
    if (const ArchiveStatus status = rows.Prepare(); status != ArchiveStatus::Ok)
        return ArchiveReadFailed(span, status);
    const ExportResult result = WriteExport(
        rows, request.format, request.path,
        [&rows](std::int64_t, std::int64_t) { return rows.Status() == ArchiveStatus::Ok; });
    if (rows.Status() != ArchiveStatus::Ok) return ArchiveReadFailed(span, rows.Status());
    if (result.outcome != ExportOutcome::Written) return TellFailed(request, result);
    std::printf("%s\n", request.path.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int RunExport(const CLI::App& command, ExportOptions o) {
    // With --recorder the one path given is OUT: the parser hands it to FILE, the first place.
    if (!o.archive.recorder.empty() && o.out.empty()) std::swap(o.file, o.out);
    if (o.out.empty()) return UsageError(command, "OUT is required");
    if (const int refused = CheckFileOrRecorder(command, o.file, o.archive); refused != 0)
        return refused;
    if (!o.archive.recorder.empty()) return RunExportSpan(o);
    HistoryData h;
    const HistoryOpen opened = LoadHistoryFile(o.file, h);
    if (opened != HistoryOpen::Ok) {
        PathReporter(o.file).ShowMessage(HistoryOpenMessage(opened), MessageIcon::Error);
        return 1;
    }
    ExportRequest request;
    request.start = o.from.value_or(h.oldestTime);
    request.end = o.to.value_or(h.newestTime);
    request.step = o.step.value_or(1);
    request.ascending = o.ascending;
    SettleOut(o, request);
    if (const char* refused =
            CheckExportRange(request.start, request.end, h.oldestTime, h.newestTime)) {
        ReleaseHistoryFile(h);
        StderrReporter().ShowMessage(refused, MessageIcon::Information);
        return 1;
    }
    const ExportResult result =
        ExportWorkbook(h, request, [](std::int64_t, std::int64_t) { return true; });
    ReleaseHistoryFile(h);
    if (result.outcome != ExportOutcome::Written) return TellFailed(request, result);
    std::printf("%s\n", request.path.c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

Command AddExport(CLI::App& parent) {
    auto o = std::make_shared<ExportOptions>();
    CLI::App* command = AddCommand(
        parent, "export",
        "A span of a history file as an Excel workbook (.xls or .xlsx) or as CSV, as the data list "
        "exports it.",
        "export FILE|--recorder R OUT [--archive URL] [--from T] [--to T] [--step N] "
        "[--order newest|oldest] [--format xls|xlsx|csv]",
        "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1 to 80000.\n"
        "R is [SITE/]ADDRESS[:MODEL] of a recorder in the archive (MODEL when the address has "
        "several); URL is sqlite:PATH or postgresql://..., by default [Archive] Url of SetUp.ini.");
    AddFileOrRecorderArgument(command, o->file);
    AddRecorderOptions(command, o->archive);
    command
        ->add_option("OUT", o->out,
                     "the file; without --format, a name ending in \".xlsx\" or \".csv\" is "
                     "written in that format, any other as .xls with \".xls\" added unless it "
                     "ends so")
        ->type_name("");
    AddTimeOption(command, "--from", o->from, "the first time exported (the oldest record)");
    AddTimeOption(command, "--to", o->to, "the last time exported (the newest record)");
    AddWholeNumberOption(command, "--step", o->step, 1, kMaxRowStep, "records between two rows");
    AddOrderOption(command, o->ascending);
    AddFormatOption(command, o->format);
    return {command, [command, o] { return RunExport(*command, *o); }};
}

}  // namespace vardo::cli
