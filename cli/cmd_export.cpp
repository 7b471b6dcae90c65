#include <cstdio>
#include <optional>
#include <string>

#include "app/vardo_doc.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/excel_export.h"
#include "history/history_loader.h"

namespace vardo::cli {

namespace {

struct ExportOptions {
    std::string file;
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

int RunExport(const ExportOptions& o) {
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
    // A format named outright takes OUT as it is; else the name says which, and the .xls rule
    // adds its extension as it always has.
    request.format = o.format.value_or(ExportFormatOfPath(o.out));
    request.path =
        o.format.has_value() || request.format != ExportFormat::Xls ? o.out : XlsPath(o.out);
    if (const char* refused =
            CheckExportRange(request.start, request.end, h.oldestTime, h.newestTime)) {
        ReleaseHistoryFile(h);
        StderrReporter().ShowMessage(refused, MessageIcon::Information);
        return 1;
    }
    const ExportResult result =
        ExportWorkbook(h, request, [](std::int64_t, std::int64_t) { return true; });
    ReleaseHistoryFile(h);
    if (result.outcome != ExportOutcome::Written) {
        const std::string reason = ExportFailureReason(result);
        PathReporter(request.path)
            .ShowMessage(
                std::string(texts::kExcelCreateFailed) + (reason.empty() ? "" : "\n") + reason,
                MessageIcon::Error);
        return 1;
    }
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
        "export FILE OUT [--from T] [--to T] [--step N] [--order newest|oldest] "
        "[--format xls|xlsx|csv]",
        "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1 to 80000.");
    AddPathArgument(command, "FILE", o->file, "a history file");
    AddPathArgument(command, "OUT", o->out,
                    "the file; without --format, a name ending in \".xlsx\" or \".csv\" is "
                    "written in that format, any other as .xls with \".xls\" added unless it "
                    "ends so");
    AddTimeOption(command, "--from", o->from, "the first time exported (the oldest record)");
    AddTimeOption(command, "--to", o->to, "the last time exported (the newest record)");
    AddWholeNumberOption(command, "--step", o->step, 1, kMaxRowStep, "records between two rows");
    AddOrderOption(command, o->ascending);
    AddFormatOption(command, o->format);
    return {command, [o] { return RunExport(*o); }};
}

}  // namespace vardo::cli
