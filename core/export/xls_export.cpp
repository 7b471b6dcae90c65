// Rows into an Excel 97-2003 workbook: a format that stops at 65535 data rows a sheet, so the
// rows run on over "Sheet1", "Sheet2" ..., each with the header row.

#include <cstdio>
#include <vector>

#include "base/texts.h"
#include "export/excel_writer.h"
#include "export/export_writer.h"

namespace vardo {

namespace {

constexpr int kTimeColumnWidth = 20;
constexpr int kRowsPerSheet = BiffWorkbook::kMaxRows - 1;

class XlsExportWriter : public ExportWriter {
  public:
    bool Begin(const std::string& path, std::span<const ExportColumn> columns) override {
        if (book_.Open(path) == 0) {
            error_ = book_.Error();
            return false;
        }
        columns_ = {{texts::kColumnNumber, -1, 0}, {texts::kColumnTime, -1, kTimeColumnWidth}};
        for (const ExportColumn& c : columns) columns_.push_back({c.name, c.decimals, 0});
        cells_.resize(columns_.size());
        return NewSheet();
    }

    bool Row(const ExportRow& row) override {
        if (row.cells.size() + 2 != cells_.size()) return false;
        if (rows_ > 0 && rows_ % kRowsPerSheet == 0 && !NewSheet()) return false;
        cells_[0].text = row.number;
        cells_[1].text = row.time;
        for (std::size_t d = 0; d < row.cells.size(); ++d) {
            const ExportCell& c = row.cells[d];
            ExcelCell& cell = cells_[2 + d];
            cell.empty = c.text.empty();
            cell.number = c.number;
            cell.decimals = c.decimals == columns_[2 + d].decimals ? -1 : c.decimals;
        }
        ++rows_;
        if (book_.InsertRow(cells_) != 0) return true;
        error_ = book_.Error();
        return false;
    }

    bool Finish() override {
        if (book_.Close() != 0) return true;
        error_ = book_.Error();
        return false;
    }

    void Abandon() override { book_.Abandon(); }

  private:
    bool NewSheet() {
        char name[32];
        std::snprintf(name, sizeof name, texts::kExcelSheet, ++sheets_);
        if (book_.CreateTable(name, columns_) != 0) return true;
        error_ = book_.Error();
        return false;
    }

    CExcelWriter book_;
    std::vector<ExcelColumn> columns_;
    std::vector<ExcelCell> cells_;
    std::int64_t rows_ = 0;
    int sheets_ = 0;
};

}  // namespace

std::unique_ptr<ExportWriter> MakeXlsWriter() {
    return std::make_unique<XlsExportWriter>();
}

}  // namespace vardo
