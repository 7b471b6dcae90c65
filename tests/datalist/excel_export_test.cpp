#include "datalist/excel_export.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>

#include "../support/history_file_builder.h"
#include "../support/workbook_reader.h"
#include "base/sha256.h"
#include "base/texts.h"

namespace vardo {
namespace {

using testing::FileLayout;
using testing::ReadWithXlrd;
using testing::TempDir;

const VTime kNewest = MakeLocalTime(2004, 5, 6, 7, 8, 9);

// n records 10 s apart, the newest in slot n - 1; channels 1 and 3 of 3 with data, channel 1
// on 0..255 holding the slot, channel 3 on -10.0..10.0 holding 127 (-0.04, shown "-0.0").
std::unique_ptr<testing::DecodedFile> Load(int n) {
    FileLayout layout;
    layout.newestSlot = static_cast<std::uint32_t>(n - 1);
    layout.newest = PackTime(kNewest);
    layout.oldest = PackTime(kNewest - 10 * (n - 1));
    layout.present = {1, 0, 1};
    layout.ranges = {{0, 0, 255, 0}, {0, 0, 255, 0}, {-100, 1, 100, 1}};
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>(ch == 0 ? s % 256 : 127);
    };
    return testing::DecodeFile(layout);
}

TEST(ExcelExport, PathRuleAndRangeChecksInTheirOrder) {
    const std::pair<const char*, const char*> paths[] = {{"a", "a.xls"},
                                                         {"a.xls", "a.xls"},
                                                         {"a.XLS", "a.XLS.xls"},
                                                         {"a.xlsx", "a.xlsx.xls"},
                                                         {"d.xls/a", "d.xls/a.xls"},
                                                         {"xls", "xls.xls"},
                                                         {"d/", "d/"}};
    for (const auto& [chosen, written] : paths) EXPECT_EQ(XlsPath(chosen), written) << chosen;
    const struct {
        const char* chosen;
        ExportFormat format;
        const char* written;
    } named[] = {
        {"a", ExportFormat::Xls, "a.xls"},        {"a.csv", ExportFormat::Xls, "a.csv.xls"},
        {"a", ExportFormat::Xlsx, "a.xlsx"},      {"a.xls", ExportFormat::Xlsx, "a.xls.xlsx"},
        {"a.xlsx", ExportFormat::Xlsx, "a.xlsx"}, {"a.CSV", ExportFormat::Csv, "a.CSV.csv"},
        {"a.csv", ExportFormat::Csv, "a.csv"},
    };
    for (const auto& n : named) {
        EXPECT_EQ(ExportPath(n.chosen, n.format), n.written) << n.chosen;
        // What the dialog writes, the command reads back as the same format.
        EXPECT_EQ(ExportFormatOfPath(n.written), n.format) << n.written;
    }

    const struct {
        VTime start, end;
        const char* message;
    } ranges[] = {
        {100, 200, nullptr},
        {100, 100, nullptr},                 // equal times pass
        {150, 149, texts::kStartBeforeEnd},  // also before the file: only the first
        {99, 200, texts::kStartOutOfRange},
        {99, 201, texts::kStartOutOfRange},
        {100, 201, texts::kEndOutOfRange},
        {50, 40, texts::kStartBeforeEnd},
    };
    for (const auto& r : ranges) {
        const char* message = CheckExportRange(r.start, r.end, 100, 200);
        EXPECT_EQ(std::string(message == nullptr ? "" : message),
                  std::string(r.message == nullptr ? "" : r.message))
            << r.start << ".." << r.end;
    }
}

TEST(ExcelExport, CellsAreTheNumbersTheListShowsAndSheetsHold65535Rows) {
    const auto file = Load(3);
    const HistoryData& h = file->h;
    const std::vector<ExportColumn> columns = ExportColumns(h);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].name, "通道1");
    EXPECT_EQ(columns[0].decimals, 0);
    EXPECT_EQ(columns[1].name, "通道3");
    EXPECT_EQ(columns[1].decimals, 1);

    HistoryData ranges = h;
    ranges.rangeLow[0] = MakeDecimal(0, 1);
    ranges.rangeHigh[0] = MakeDecimal(255, 1);  // 0.0 .. 25.5: raw 123 shows 12.3
    EXPECT_EQ(ChannelCellNumber(ranges, 0, 123), 12.3);
    EXPECT_EQ(ChannelCellNumber(ranges, 0, 255), 25.5);
    EXPECT_EQ(ChannelCellNumber(h, 0, 200), 200.0);
    const double shownMinusZero = ChannelCellNumber(h, 2, 127);
    EXPECT_EQ(shownMinusZero, 0.0);
    EXPECT_FALSE(std::signbit(shownMinusZero));

    const std::pair<std::int64_t, int> split[] = {{0, 1},     {1, 1},      {65535, 1},
                                                  {65536, 2}, {131070, 2}, {131071, 3}};
    for (const auto& [rows, sheets] : split) EXPECT_EQ(SheetsForRows(rows), sheets) << rows;
}

TEST(ExcelExport, WritesTheWalkedRowsInEitherOrderAtASteps) {
    TempDir dir;
    const auto file = Load(10);
    const std::string header = "# Sheet1 6x4\n'编号' '时间' '通道1' '通道3'\n";
    const struct {
        int ascending;
        const char* rows;
    } cases[] = {
        {0,
         "'1' '2004-05-06 07:08:09' 9.0|0 0.0|0.0\n'2' '2004-05-06 07:07:49' 7.0|0 0.0|0.0\n"
         "'3' '2004-05-06 07:07:29' 5.0|0 0.0|0.0\n'4' '2004-05-06 07:07:09' 3.0|0 0.0|0.0\n"
         "'5' '2004-05-06 07:06:49' 1.0|0 0.0|0.0\n"},
        {1,
         "'1' '2004-05-06 07:06:39' 0.0|0 0.0|0.0\n'2' '2004-05-06 07:06:59' 2.0|0 0.0|0.0\n"
         "'3' '2004-05-06 07:07:19' 4.0|0 0.0|0.0\n'4' '2004-05-06 07:07:39' 6.0|0 0.0|0.0\n"
         "'5' '2004-05-06 07:07:59' 8.0|0 0.0|0.0\n"},
    };
    for (const auto& c : cases) {
        std::int64_t last = -1;
        const ExportRequest request{kNewest - 90, kNewest, 2, c.ascending, dir / "step.xls"};
        ASSERT_EQ(ExportWorkbook(file->h, request,
                                 [&](std::int64_t done, std::int64_t total) {
                                     EXPECT_EQ(total, 5);
                                     last = done;
                                     return true;
                                 })
                      .outcome,
                  ExportOutcome::Written);
        EXPECT_EQ(last, 5);
        EXPECT_EQ(ReadWithXlrd(dir / "step.xls"), header + c.rows);
    }
}

TEST(ExcelExport, RowNumbersRunOnIntoTheNextSheet) {
    TempDir dir;
    const auto file = Load(65536);
    const auto all = [](std::int64_t, std::int64_t) { return true; };
    ExportRequest request{kNewest - 10 * 65534, kNewest, 1, 1, dir / "one.xls"};
    ASSERT_EQ(ExportWorkbook(file->h, request, all).outcome, ExportOutcome::Written);
    request = {kNewest - 10 * 65535, kNewest, 1, 1, dir / "two.xls"};
    ASSERT_EQ(ExportWorkbook(file->h, request, all).outcome, ExportOutcome::Written);
    const std::string read = ReadWithXlrd(dir / "one.xls", "--edges");
    EXPECT_NE(read.find("# Sheet1 65536x4\n"), std::string::npos) << read;
    EXPECT_EQ(read.find("Sheet2"), std::string::npos);
    EXPECT_TRUE(ReadWithXlrd(dir / "two.xls", "--edges")
                    .ends_with("# Sheet2 2x4\n'编号' '时间' '通道1' '通道3'\n"
                               "'65536' '2004-05-06 07:08:09' 255.0|0 0.0|0.0\n"));
}

// The whole of the largest file, three .xls sheets or one CSV: the bytes stay those the
// export has always written, however it comes to write them.
TEST(ExcelExport, TheLargestFileKeepsItsBytes) {
    TempDir dir;
    const auto file = testing::DecodeFile(testing::FullFileLayout());
    const HistoryData& h = file->h;
    const struct {
        ExportFormat format;
        int step, ascending;
        const char* sha256;
    } cases[] = {
        {ExportFormat::Xls, 1, 0,
         "1f276e8f5da0fa6ecd13e4513a481b244f4c5e890752aee3a6caefc02a163b20"},
        {ExportFormat::Xls, 2, 1,
         "f8dbf8b7198418f969b8d62969aaee8a08db5c85538bbe51fef08b39d4a29da7"},
        {ExportFormat::Csv, 1, 0,
         "71601443b93107cfcafc66a633dbd268d85255f88dea5e5a1b738032b69f544a"},
    };
    for (const auto& c : cases) {
        const ExportRequest request{h.oldestTime, h.newestTime, c.step,
                                    c.ascending,  dir / "all",  c.format};
        ASSERT_EQ(
            ExportWorkbook(h, request, [](std::int64_t, std::int64_t) { return true; }).outcome,
            ExportOutcome::Written);
        std::string hex;
        std::int64_t size = 0;
        ASSERT_EQ(Sha256OfFile(dir / "all", hex, size), FileHash::Ok);
        EXPECT_EQ(hex, c.sha256) << static_cast<int>(c.format) << " " << c.step << " " << size;
    }
}

TEST(ExcelExport, AStoppedOrFailedExportLeavesNothing) {
    TempDir dir;
    const auto file = Load(100);
    ExportRequest request{kNewest - 990, kNewest, 1, 0, dir / "stopped.xls"};
    int rows = 0;
    EXPECT_EQ(
        ExportWorkbook(file->h, request, [&](std::int64_t, std::int64_t) { return ++rows < 10; })
            .outcome,
        ExportOutcome::Stopped);
    EXPECT_EQ(rows, 10);
    request.path = dir / "missing/x.xls";
    const ExportResult failed =
        ExportWorkbook(file->h, request, [](std::int64_t, std::int64_t) { return true; });
    EXPECT_EQ(failed.outcome, ExportOutcome::Failed);
    EXPECT_EQ(failed.error, ENOENT);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace vardo
