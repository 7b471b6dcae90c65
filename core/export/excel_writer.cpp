#include "export/excel_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "export/compound_file.h"

namespace vardo {

CExcelWriter::CExcelWriter() = default;

CExcelWriter::~CExcelWriter() {
    Abandon();
}

int CExcelWriter::Open(const std::string& path) {
    Abandon();
    if (path.empty() || path.back() == '/') return 0;
    const std::filesystem::path target(path);
    // Hidden and unique beside the target, so the rename stays on one file system; created with
    // the usual permissions, not a private temporary file's.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%d.tmp", static_cast<long>(::getpid()), attempt);
        const std::filesystem::path temp =
            target.parent_path() / ("." + target.filename().string() + suffix);
        UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.Valid()) {
            fd_ = std::move(fd);
            tempPath_ = temp.string();
            path_ = path;
            book_ = std::make_unique<BiffWorkbook>();
            return 1;
        }
        if (errno != EEXIST) return 0;
    }
    return 0;
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
    UniqueFd fd = std::move(fd_);
    bool ok = WriteCompoundFile("Workbook", stream, [&fd](std::span<const std::uint8_t> piece) {
        return WriteAll(fd.Get(), piece);
    });
    book_.reset();
    // A close that reports a late write error counts as a failed write.
    ok = fd.Close() && ok;
    ok = ok && std::rename(tempPath_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return 0;
    }
    tempPath_.clear();
    return 1;
}

void CExcelWriter::Abandon() {
    book_.reset();
    fd_.Reset();
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

}  // namespace vardo
