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
    if (book_->Start(file_.Folder()) != 0) return 1;
    error_ = book_->Error();
    Abandon();
    return 0;
}

int CExcelWriter::CreateTable(std::string_view name, std::span<const ExcelColumn> columns) {
    if (book_ == nullptr) return 0;
    if (book_->AddSheet(name, columns) != 0) return 1;
    error_ = book_->Error();
    return 0;
}

int CExcelWriter::InsertRow(std::span<const ExcelCell> values) {
    if (book_ == nullptr) return 0;
    if (book_->AddRow(values) != 0) return 1;
    error_ = book_->Error();
    return 0;
}

int CExcelWriter::Close() {
    if (book_ == nullptr) return 0;
    error_ = 0;
    std::uint64_t size = 0;
    const bool written =
        book_->Finish(size) != 0 &&
        WriteCompoundFile(
            "Workbook", size, [this](const ByteSink& sink) { return book_->WriteStream(sink); },
            [this](std::span<const std::uint8_t> piece) {
                if (file_.Write(piece)) return true;
                error_ = errno;
                return false;
            });
    if (!written && error_ == 0) error_ = book_->Error();
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
