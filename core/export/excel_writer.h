#pragma once
// Writes an Excel 97-2003 workbook (.xls) the way the export builds it: a worksheet per table,
// its first row the column names, then one row per insert. The workbook is written into a
// temporary file beside the target and renamed over it only when complete, so a failure never
// leaves half a workbook and never costs the file that was there.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/unique_fd.h"
#include "export/biff_workbook.h"

namespace vardo {

class CExcelWriter {
  public:
    CExcelWriter();
    CExcelWriter(const CExcelWriter&) = delete;
    CExcelWriter& operator=(const CExcelWriter&) = delete;
    // An unfinished workbook's temporary file is removed.
    virtual ~CExcelWriter();

    // Creates the temporary file beside path; 0 when it cannot be created there.
    [[nodiscard]] int Open(const std::string& path);
    // Starts worksheet name with these columns; 0 when not open or the table does not fit.
    [[nodiscard]] int CreateTable(std::string_view name, std::span<const ExcelColumn> columns);
    // Appends one row to the newest worksheet; 0 when it does not fit.
    [[nodiscard]] int InsertRow(std::span<const ExcelCell> values);
    // Writes the workbook out, closes it and renames it over path. 0 on any failure, with the
    // temporary file removed and whatever was at path untouched.
    [[nodiscard]] int Close();
    // Gives up: the temporary file is removed, path is untouched.
    void Abandon();

    const std::string& TemporaryPath() const { return tempPath_; }

  private:
    std::string path_;
    std::string tempPath_;
    UniqueFd fd_;
    std::unique_ptr<BiffWorkbook> book_;
};

}  // namespace vardo
