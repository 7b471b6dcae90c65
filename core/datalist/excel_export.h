#pragma once
// The Excel export: a range of the open history file walked as the data list walks it, written
// as a workbook of worksheets "Sheet%d" with a header row and at most 65535 rows each, row
// numbers running on. Text cells for the row number and the time, number cells for the channel
// values, each equal to the value the list shows. Runs on a worker thread; progress is reported
// per row and can stop the export.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "export/biff_workbook.h"
#include "history/history_data.h"

namespace vardo {

inline constexpr int kRowsPerSheet = 65535;
inline constexpr int kMaxRowStep = 80000;

// The path the workbook is written to: ".xls" appended unless the last four characters are
// exactly ".xls".
std::string XlsPath(const std::string& chosen);

// The first of the range checks that fails, in their order, or nullptr when the range is good.
const char* CheckExportRange(VTime start, VTime end, VTime fileOldest, VTime fileNewest);

// The columns: "编号" and "时间" as text, then "通道%d" per channel with data, as numbers with
// the decimals of the channel's upper range end.
std::vector<ExcelColumn> ExportColumns(const HistoryData& h);

// The number cell of channel ch for raw sample raw: the list's text read back as a number, so
// 12.3 is 12.3 and not the nearest single-precision value; a shown "-0.0" is 0.
double ChannelCellNumber(const HistoryData& h, int ch, std::uint8_t raw);

// Worksheets taken by rows of data: 65535 each, at least one.
int SheetsForRows(std::int64_t rows);

struct ExportRequest {
    VTime start = 0;
    VTime end = 0;
    int step = 1;
    int ascending = 0;
    std::string path;  // the final path, ".xls" rule applied
};

enum class ExportOutcome { Written, Failed, Stopped };

// done of total rows written; returning false stops the export, which then leaves nothing.
using ExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Writes the workbook. Failed when it cannot be created or completely written: nothing is left
// at a new path and a file that was at the path is untouched.
[[nodiscard]] ExportOutcome ExportWorkbook(const HistoryData& h, const ExportRequest& request,
                                           const ExportProgress& progress);

}  // namespace vardo
