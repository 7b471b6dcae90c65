#pragma once
// What an export is made of, whatever walks the records and whatever format receives them: a
// source hands out rows (the row number and time as the list shows them, then one cell per
// channel column) and a writer puts them into an .xls, .xlsx or .csv file. A history file's span
// is one source (datalist/excel_export), a recorder's span in the archive another; both go
// through WriteExport and so get the same files, refusals and messages.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace vardo {

enum class ExportFormat { Xls, Xlsx, Csv };

// A channel column: its header ("通道%d" of the channel's number) and the decimals its cells
// usually carry, which an .xls or .xlsx column takes as its number format.
struct ExportColumn {
    std::string name;
    int decimals = 0;
};

// One channel's cell of a row. An empty text is an empty cell (a record without that channel);
// otherwise text is the value as the list shows it, number the same value read back (so 12.3
// is 12.3, not the nearest float) and decimals the count of digits after the point in text.
struct ExportCell {
    std::string_view text;
    double number = 0;
    int decimals = 0;
};

// A row as the data list shows it: "编号" and "时间" as texts ("YYYY-MM-DD HH:MM:SS" local
// time), then one cell per channel column, in column order.
struct ExportRow {
    std::string_view number;
    std::string_view time;
    std::span<const ExportCell> cells;
};

// Pulled by the writer, one row at a time, so that no span is ever held whole.
class ExportRowSource {
  public:
    virtual ~ExportRowSource() = default;
    // The channel columns, after "编号" and "时间". Fixed before the first row.
    virtual std::span<const ExportColumn> Columns() const = 0;
    // How many rows Next will give; progress is told against it.
    virtual std::int64_t RowCount() const = 0;
    // The next row, nullptr after the last. What it points to stays valid until the next call.
    virtual const ExportRow* Next() = 0;
};

enum class ExportOutcome { Written, Failed, Stopped };

// The result of an export. On Failed, error is the system's errno behind it where there is one
// (ENOSPC, EACCES, EISDIR ...), 0 where there is none (a sheet the format cannot hold).
struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Failed;
    int error = 0;
};

// done of total rows written; returning false stops the export, which then leaves nothing.
using ExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Writes every row of rows to path in format; path is taken as given (no extension added). A
// symbolic link at path keeps its place and gets the file it points to replaced. Nothing is
// visible at path (or beside it) until the file is complete; a failed or stopped export leaves
// whatever was there untouched. Refused (Failed, with the reason) when path ends in "/", names
// a folder, or names a file this user may not write.
[[nodiscard]] ExportResult WriteExport(ExportRowSource& rows, ExportFormat format,
                                       const std::string& path, const ExportProgress& progress);

// The message line that follows "建立文件失败，可能缺少Excel驱动!" for a failure: the system's
// reason, or empty when there is none.
std::string ExportFailureReason(const ExportResult& result);

}  // namespace vardo
