#pragma once
// The export of a range of the open history file, walked as the data list walks it: a row
// source for WriteExport, which writes it as .xls (worksheets "Sheet%d" of at most 65535 rows,
// row numbers running on), .xlsx or CSV. Text cells for the row number and the time, number
// cells for the channel values, each equal to the value the list shows. Runs on a worker
// thread; progress is reported per row and can stop the export.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"
#include "export/export_rows.h"
#include "history/history_data.h"

namespace vardo {

inline constexpr int kRowsPerSheet = 65535;
inline constexpr int kMaxRowStep = 80000;

// The path the workbook is written to: ".xls" appended unless the last four characters are
// exactly ".xls" (or the name ends in "/").
std::string XlsPath(const std::string& chosen);
// The path a file of format chosen in the dialog is written to: its extension (".xls",
// ".xlsx", ".csv") appended unless chosen ends exactly so.
std::string ExportPath(const std::string& chosen, ExportFormat format);
// The format a name asks for: ".xlsx" and ".csv" (exactly so) their own, anything else .xls.
ExportFormat ExportFormatOfPath(const std::string& path);

// The first of the range checks that fails, in their order, or nullptr when the range is good.
const char* CheckExportRange(VTime start, VTime end, VTime fileOldest, VTime fileNewest);

// The channel columns: "通道%d" per channel with data, as numbers with the decimals of the
// channel's upper range end.
std::vector<ExportColumn> ExportColumns(const HistoryData& h);

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
    std::string path;  // the final path, its naming rule applied
    ExportFormat format = ExportFormat::Xls;
};

// The rows of a walk over h, made one at a time as the writer asks.
class HistoryRowSource : public ExportRowSource {
  public:
    // h must outlive the source.
    HistoryRowSource(const HistoryData& h, VTime start, VTime end, int step, int ascending);

    std::span<const ExportColumn> Columns() const override { return columns_; }
    std::int64_t RowCount() const override { return walk_.rows; }
    const ExportRow* Next() override;

  private:
    const HistoryData& h_;
    std::vector<ExportColumn> columns_;
    CRowTexts texts_;
    std::vector<std::array<double, 256>> numbers_;
    RowWalkResult walk_;
    int step_;
    int ascending_;
    int next_ = 0;
    std::vector<ExportCell> cells_;
    ExportRow row_;
    char number_[16] = {};
    char time_[LocalTimeText::kMaxSize] = {};
};

// Writes the file. Failed when it cannot be created or completely written: nothing is left at a
// new path and a file that was at the path is untouched.
[[nodiscard]] ExportResult ExportWorkbook(const HistoryData& h, const ExportRequest& request,
                                          const ExportProgress& progress);

}  // namespace vardo
