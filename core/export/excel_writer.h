#pragma once
// Writes an Excel 97-2003 workbook (.xls) the way the export builds it: a worksheet per table,
// its first row the column names, then one row per insert. The workbook goes into an export
// file that takes the target's place only when complete, so a failure never leaves half a
// workbook and never costs the file that was there.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "export/biff_workbook.h"
#include "export/export_file.h"

namespace vardo {

class CExcelWriter {
  public:
    CExcelWriter();
    CExcelWriter(const CExcelWriter&) = delete;
    CExcelWriter& operator=(const CExcelWriter&) = delete;
    // An unfinished workbook leaves nothing.
    virtual ~CExcelWriter();

    // Opens the file that will take path's place; 0 when path is refused or no file can be
    // made there (Error says why).
    [[nodiscard]] int Open(const std::string& path);
    // Starts worksheet name with these columns; 0 when not open or the table does not fit.
    [[nodiscard]] int CreateTable(std::string_view name, std::span<const ExcelColumn> columns);
    // Appends one row to the newest worksheet; 0 when it does not fit or cannot be kept (Error
    // says why).
    [[nodiscard]] int InsertRow(std::span<const ExcelCell> values);
    // Writes the workbook out and puts it in path's place. 0 on any failure, with nothing left
    // of it and whatever was at path untouched.
    [[nodiscard]] int Close();
    // Gives up: nothing is left, path is untouched.
    void Abandon();

    // The errno behind the last failure of Open, InsertRow or Close; 0 when the system gave
    // none.
    int Error() const { return error_; }
    ExportFile& File() { return file_; }

  private:
    ExportFile file_;
    std::unique_ptr<BiffWorkbook> book_;
    int error_ = 0;
};

}  // namespace vardo
