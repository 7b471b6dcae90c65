#pragma once
// The three formats behind WriteExport, each taking the rows of a source into its own file.

#include <memory>
#include <span>
#include <string>

#include "export/export_rows.h"

namespace vardo {

class ExportWriter {
  public:
    virtual ~ExportWriter() = default;
    // Opens the file that will take path's place and writes the header row: "编号", "时间",
    // then the channel columns.
    [[nodiscard]] virtual bool Begin(const std::string& path,
                                     std::span<const ExportColumn> columns) = 0;
    [[nodiscard]] virtual bool Row(const ExportRow& row) = 0;
    // Completes the file and puts it in place.
    [[nodiscard]] virtual bool Finish() = 0;
    // Leaves nothing behind; path stays as it was.
    virtual void Abandon() = 0;
    // The errno behind the last failure, 0 where the system gave none.
    int Error() const { return error_; }

  protected:
    int error_ = 0;
};

std::unique_ptr<ExportWriter> MakeXlsWriter();
std::unique_ptr<ExportWriter> MakeXlsxWriter();
std::unique_ptr<ExportWriter> MakeCsvWriter();

}  // namespace vardo
