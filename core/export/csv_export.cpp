// Rows as CSV the way spreadsheets and scripts read it (RFC 4180): UTF-8 with a byte-order mark,
// so that Excel takes the Chinese header in the right encoding; "," between cells, CRLF after
// every row; a cell quoted only where it holds a comma, a quote or a line break.

#include <cerrno>
#include <string>
#include <string_view>

#include "base/texts.h"
#include "export/export_file.h"
#include "export/export_writer.h"

namespace vardo {

namespace {

constexpr std::size_t kFlushAt = 60 * 1024;

class CsvExportWriter : public ExportWriter {
  public:
    bool Begin(const std::string& path, std::span<const ExportColumn> columns) override {
        error_ = file_.Open(path);
        if (error_ != 0) return false;
        columns_ = columns.size();
        buffer_ = "\xEF\xBB\xBF";
        Cell(texts::kColumnNumber, false);
        Cell(texts::kColumnTime, true);
        for (const ExportColumn& c : columns) Cell(c.name, true);
        buffer_ += "\r\n";
        return true;
    }

    bool Row(const ExportRow& row) override {
        if (row.cells.size() != columns_) return false;
        Cell(row.number, false);
        Cell(row.time, true);
        for (const ExportCell& c : row.cells) Cell(c.text, true);
        buffer_ += "\r\n";
        return buffer_.size() < kFlushAt || Flush();
    }

    bool Finish() override {
        if (!Flush()) return false;
        error_ = file_.Commit();
        return error_ == 0;
    }

    void Abandon() override { file_.Abandon(); }

  private:
    void Cell(std::string_view text, bool comma) {
        if (comma) buffer_ += ',';
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            buffer_ += text;
            return;
        }
        buffer_ += '"';
        for (char c : text) {
            if (c == '"') buffer_ += '"';
            buffer_ += c;
        }
        buffer_ += '"';
    }

    bool Flush() {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer_.data());
        if (!file_.Write({bytes, buffer_.size()})) {
            error_ = errno;
            file_.Abandon();
            return false;
        }
        buffer_.clear();
        return true;
    }

    ExportFile file_;
    std::string buffer_;
    std::size_t columns_ = 0;
};

}  // namespace

std::unique_ptr<ExportWriter> MakeCsvWriter() {
    return std::make_unique<CsvExportWriter>();
}

}  // namespace vardo
