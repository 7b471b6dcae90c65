#include "export/export_rows.h"

#include <cstring>

#include "export/export_writer.h"

namespace vardo {

ExportResult WriteExport(ExportRowSource& rows, ExportFormat format, const std::string& path,
                         const ExportProgress& progress) {
    std::unique_ptr<ExportWriter> writer = format == ExportFormat::Xlsx  ? MakeXlsxWriter()
                                           : format == ExportFormat::Csv ? MakeCsvWriter()
                                                                         : MakeXlsWriter();
    if (!writer->Begin(path, rows.Columns())) return {ExportOutcome::Failed, writer->Error()};
    const std::int64_t total = rows.RowCount();
    std::int64_t done = 0;
    while (const ExportRow* row = rows.Next()) {
        if (!writer->Row(*row)) {
            writer->Abandon();
            return {ExportOutcome::Failed, writer->Error()};
        }
        if (!progress(++done, total)) {
            writer->Abandon();
            return {ExportOutcome::Stopped, 0};
        }
    }
    if (!writer->Finish()) return {ExportOutcome::Failed, writer->Error()};
    return {ExportOutcome::Written, 0};
}

std::string ExportFailureReason(const ExportResult& result) {
    if (result.outcome != ExportOutcome::Failed || result.error == 0) return {};
    char buffer[256];
    return ::strerror_r(result.error, buffer, sizeof buffer);
}

}  // namespace vardo
