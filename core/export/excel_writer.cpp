#include "export/excel_writer.h"

#include <cerrno>
#include <utility>

#include "export/compound_file.h"

namespace vardo {

CExcelWriter::CExcelWriter() = default;

CExcelWriter::~CExcelWriter() {
    Abandon();
}

int CExcelWriter::Open(const std::string& path) {
    Abandon();
    error_ = file_.Open(path);
    if (error_ != 0) return 0;
    book_ = std::make_unique<BiffWorkbook>();
    return 1;
}

int CExcelWriter::CreateTable(std::string_view name, std::span<const ExcelColumn> columns) {
    return book_ != nullptr ? book_->AddSheet(name, columns) : 0;
}

int CExcelWriter::InsertRow(std::span<const ExcelCell> values) {
    return book_ != nullptr ? book_->AddRow(values) : 0;
}

int CExcelWriter::Close() {
    if (book_ == nullptr) return 0;
    const std::vector<std::span<const std::uint8_t>> stream = book_->Finish();
    error_ = 0;
    const bool written =
        WriteCompoundFile("Workbook", stream, [this](std::span<const std::uint8_t> piece) {
            if (file_.Write(piece)) return true;
            error_ = errno;
            return false;
        });
    book_.reset();
    if (!written) {
        file_.Abandon();
        return 0;
    }
    error_ = file_.Commit();
    return error_ == 0 ? 1 : 0;
}

void CExcelWriter::Abandon() {
    book_.reset();
    file_.Abandon();
}

}  // namespace vardo
