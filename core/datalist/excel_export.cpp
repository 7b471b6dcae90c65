#include "datalist/excel_export.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "base/texts.h"
#include "history/history_loader.h"

namespace vardo {

std::string XlsPath(const std::string& chosen) {
    // A name ending in "/" is a folder's: left as it is, for the export to refuse.
    return chosen.ends_with(".xls") || chosen.ends_with('/') ? chosen : chosen + ".xls";
}

std::string ExportPath(const std::string& chosen, ExportFormat format) {
    const char* extension = format == ExportFormat::Xlsx  ? ".xlsx"
                            : format == ExportFormat::Csv ? ".csv"
                                                          : ".xls";
    return chosen.ends_with(extension) || chosen.ends_with('/') ? chosen : chosen + extension;
}

ExportFormat ExportFormatOfPath(const std::string& path) {
    if (path.ends_with(".xlsx")) return ExportFormat::Xlsx;
    if (path.ends_with(".csv")) return ExportFormat::Csv;
    return ExportFormat::Xls;
}

const char* CheckExportRange(VTime start, VTime end, VTime fileOldest, VTime fileNewest) {
    switch (CheckSpan(start, end, fileOldest, fileNewest)) {
        case SpanCheck::Reversed:
            return texts::kStartBeforeEnd;
        case SpanCheck::StartOutOfRange:
            return texts::kStartOutOfRange;
        case SpanCheck::EndOutOfRange:
            return texts::kEndOutOfRange;
        case SpanCheck::Ok:
            break;
    }
    return nullptr;
}

std::vector<ExportColumn> ExportColumns(const HistoryData& h) {
    std::vector<ExportColumn> columns;
    char name[32];
    for (int ch : ListedChannels(h)) {
        std::snprintf(name, sizeof name, texts::kColumnChannel, ch + 1);
        // The digits the list shows, whatever bounds the file's decimals get there.
        const std::string shown = SampleText(h, ch, 0);
        const std::size_t point = shown.find('.');
        columns.push_back(
            {name, point == std::string::npos ? 0 : static_cast<int>(shown.size() - point - 1)});
    }
    return columns;
}

double ChannelCellNumber(const HistoryData& h, int ch, std::uint8_t raw) {
    const std::string text = SampleText(h, ch, raw);
    const double number = std::strtod(text.c_str(), nullptr);
    return number == 0 ? 0.0 : number;
}

int SheetsForRows(std::int64_t rows) {
    return rows <= kRowsPerSheet ? 1 : static_cast<int>((rows + kRowsPerSheet - 1) / kRowsPerSheet);
}

HistoryRowSource::HistoryRowSource(const HistoryData& h, VTime start, VTime end, int step,
                                   int ascending)
    : h_(h),
      columns_(ExportColumns(h)),
      texts_(h),
      numbers_(columns_.size()),
      walk_(PlanWalk(h, start, end, step, ascending)),
      step_(step),
      ascending_(ascending),
      cells_(columns_.size()) {
    // A byte has 256 values: each channel's cells are looked up, not computed per row.
    for (std::size_t d = 0; d < columns_.size(); ++d) {
        for (int raw = 0; raw < 256; ++raw) {
            numbers_[d][static_cast<std::size_t>(raw)] =
                ChannelCellNumber(h, texts_.Channels()[d], static_cast<std::uint8_t>(raw));
        }
        cells_[d].decimals = columns_[d].decimals;
    }
    row_.cells = cells_;
}

const ExportRow* HistoryRowSource::Next() {
    if (next_ >= walk_.rows) return nullptr;
    const WalkedRow walked = RowOfWalk(h_, walk_, step_, ascending_, next_++);
    const char* end = std::to_chars(number_, number_ + sizeof number_, walked.number).ptr;
    row_.number = std::string_view(number_, static_cast<std::size_t>(end - number_));
    end = texts_.WriteTime(walked.time, time_);
    row_.time = std::string_view(time_, static_cast<std::size_t>(end - time_));
    for (std::size_t d = 0; d < cells_.size(); ++d) {
        const std::uint8_t raw = texts_.Sample(d, walked.slot);
        cells_[d].text = texts_.Text(d, raw);
        cells_[d].number = numbers_[d][raw];
    }
    return &row_;
}

ExportResult ExportWorkbook(const HistoryData& h, const ExportRequest& request,
                            const ExportProgress& progress) {
    HistoryRowSource rows(h, request.start, request.end, request.step, request.ascending);
    return WriteExport(rows, request.format, request.path, progress);
}

}  // namespace vardo
