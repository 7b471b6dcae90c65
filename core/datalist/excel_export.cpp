#include "datalist/excel_export.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "base/local_time_text.h"
#include "base/texts.h"
#include "datalist/row_walk.h"
#include "export/excel_writer.h"
#include "history/history_loader.h"

namespace vardo {

namespace {

constexpr int kTimeColumnWidth = 20;

std::string SheetName(int sheet) {
    char name[32];
    std::snprintf(name, sizeof name, texts::kExcelSheet, sheet);
    return name;
}

}  // namespace

std::string XlsPath(const std::string& chosen) {
    return chosen.ends_with(".xls") ? chosen : chosen + ".xls";
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

std::vector<ExcelColumn> ExportColumns(const HistoryData& h) {
    std::vector<ExcelColumn> columns = {{texts::kColumnNumber, -1, 0},
                                        {texts::kColumnTime, -1, kTimeColumnWidth}};
    char name[32];
    for (int ch : ListedChannels(h)) {
        std::snprintf(name, sizeof name, texts::kColumnChannel, ch + 1);
        columns.push_back({name, h.rangeHigh[ch].Decimals(), 0});
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

ExportOutcome ExportWorkbook(const HistoryData& h, const ExportRequest& request,
                             const ExportProgress& progress) {
    const std::vector<int> channels = ListedChannels(h);
    // A byte has 256 values: each channel's cells are looked up, not computed per row.
    std::vector<std::array<double, 256>> numbers(channels.size());
    for (std::size_t d = 0; d < channels.size(); ++d) {
        for (int raw = 0; raw < 256; ++raw) {
            numbers[d][raw] = ChannelCellNumber(h, channels[d], static_cast<std::uint8_t>(raw));
        }
    }
    const RowWalkResult plan = WalkRows(h, request.start, request.end, request.step,
                                        request.ascending, [](const auto&) {});
    const std::int64_t total = plan.b - plan.a + 1;

    CExcelWriter writer;
    if (writer.Open(request.path) == 0) return ExportOutcome::Failed;
    const std::vector<ExcelColumn> columns = ExportColumns(h);
    bool ok = writer.CreateTable(SheetName(1), columns) != 0;
    bool stopped = false;
    std::vector<ExcelCell> cells(columns.size());
    char number[16];
    char time[LocalTimeText::kMaxSize];
    LocalTimeText times;
    WalkRows(
        h, request.start, request.end, request.step, request.ascending, [&](const WalkedRow& row) {
            if (!ok || stopped) return;
            if (row.number > 1 && (row.number - 1) % kRowsPerSheet == 0) {
                ok = writer.CreateTable(SheetName((row.number - 1) / kRowsPerSheet + 1), columns) !=
                     0;
            }
            const auto end = std::to_chars(number, number + sizeof number, row.number).ptr;
            cells[0].text = std::string_view(number, static_cast<std::size_t>(end - number));
            cells[1].text = std::string_view(
                time, static_cast<std::size_t>(times.Write(row.time, time) - time));
            for (std::size_t d = 0; d < channels.size(); ++d) {
                cells[2 + d].number = numbers[d][SampleAtSlot(h, channels[d], row.slot)];
            }
            ok = ok && writer.InsertRow(cells) != 0;
            stopped = !progress(row.progress, total);
        });
    if (stopped) {
        writer.Abandon();
        return ExportOutcome::Stopped;
    }
    return ok && writer.Close() != 0 ? ExportOutcome::Written : ExportOutcome::Failed;
}

}  // namespace vardo
