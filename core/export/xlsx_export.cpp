// Rows into an Excel workbook (.xlsx) through libxlsxwriter: one sheet holds 1 048 575 rows of
// data, a whole recorder; only beyond that do the rows run on into "Sheet2". The library works
// in its constant-memory mode, so a row is out of memory once written, and it writes the file
// by name: the export file's unnamed file, opened again through /proc.

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <string>

#include "base/texts.h"
#include "export/export_file.h"
#include "export/export_writer.h"

namespace vardo {

namespace {

constexpr lxw_row_t kRowsPerSheet = LXW_ROW_MAX - 1;
constexpr double kTimeColumnWidth = 20;
constexpr int kMaxDecimalsShown = 30;
constexpr lxw_row_t kRowsPerCheck = 4096;

class XlsxExportWriter : public ExportWriter {
  public:
    ~XlsxExportWriter() override { Abandon(); }

    bool Begin(const std::string& path, std::span<const ExportColumn> columns) override {
        error_ = file_.Open(path);
        if (error_ != 0) return false;
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        book_ = workbook_new_opt(file_.OpenableName().c_str(), &options);
        if (book_ == nullptr) {
            error_ = errno;
            file_.Abandon();
            return false;
        }
        for (const ExportColumn& c : columns) {
            header_.push_back(c.name);
            decimals_.push_back(c.decimals);
        }
        return NewSheet();
    }

    bool Row(const ExportRow& row) override {
        if (row.cells.size() != decimals_.size()) return false;
        if (row_ > kRowsPerSheet && !NewSheet()) return false;
        if (row_ % kRowsPerCheck == 0 && !SheetStored()) return false;
        bool ok = Text(0, row.number) && Text(1, row.time);
        for (std::size_t d = 0; ok && d < row.cells.size(); ++d) {
            const ExportCell& c = row.cells[d];
            if (c.text.empty()) continue;
            ok = worksheet_write_number(sheet_, row_, static_cast<lxw_col_t>(2 + d), c.number,
                                        Format(c.decimals)) == LXW_NO_ERROR;
        }
        ++row_;
        return ok;
    }

    bool Finish() override {
        if (!SheetStored()) {
            Abandon();
            return false;
        }
        errno = 0;
        const lxw_error closed = workbook_close(book_);
        book_ = nullptr;
        if (closed != LXW_NO_ERROR) {
            error_ = errno;
            file_.Abandon();
            return false;
        }
        error_ = file_.Commit();
        return error_ == 0;
    }

    void Abandon() override {
        if (book_ != nullptr) lxw_workbook_free(book_);
        book_ = nullptr;
        file_.Abandon();
    }

  private:
    // The library keeps a sheet's rows in a temporary file whose writes it never checks: a
    // full disk would cut the sheet short without a word. Its stream is checked here instead;
    // only the row still in the library's memory escapes, and the writing of the book after it
    // is checked by the library.
    bool SheetStored() {
        FILE* rows = sheet_ != nullptr ? sheet_->optimize_tmpfile : nullptr;
        if (rows == nullptr) return true;
        errno = 0;
        if (std::fflush(rows) == 0 && std::ferror(rows) == 0) return true;
        error_ = errno != 0 ? errno : EIO;
        return false;
    }

    bool NewSheet() {
        if (!SheetStored()) return false;
        char name[32];
        std::snprintf(name, sizeof name, texts::kExcelSheet, ++sheets_);
        sheet_ = workbook_add_worksheet(book_, name);
        if (sheet_ == nullptr) return false;
        row_ = 0;
        if (worksheet_set_column(sheet_, 1, 1, kTimeColumnWidth, nullptr) != LXW_NO_ERROR ||
            !Text(0, texts::kColumnNumber) || !Text(1, texts::kColumnTime)) {
            return false;
        }
        for (std::size_t d = 0; d < header_.size(); ++d) {
            if (!Text(static_cast<lxw_col_t>(2 + d), header_[d])) return false;
        }
        ++row_;
        return true;
    }

    bool Text(lxw_col_t column, std::string_view text) {
        scratch_.assign(text);
        return worksheet_write_string(sheet_, row_, column, scratch_.c_str(), nullptr) ==
               LXW_NO_ERROR;
    }

    lxw_format* Format(int decimals) {
        decimals = std::clamp(decimals, 0, kMaxDecimalsShown);
        lxw_format*& format = formats_[decimals];
        if (format == nullptr) {
            format = workbook_add_format(book_);
            const std::string pattern =
                decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
            format_set_num_format(format, pattern.c_str());
        }
        return format;
    }

    ExportFile file_;
    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_row_t row_ = 0;
    int sheets_ = 0;
    std::vector<std::string> header_;
    std::vector<int> decimals_;
    std::map<int, lxw_format*> formats_;
    std::string scratch_;
};

}  // namespace

std::unique_ptr<ExportWriter> MakeXlsxWriter() {
    return std::make_unique<XlsxExportWriter>();
}

}  // namespace vardo
