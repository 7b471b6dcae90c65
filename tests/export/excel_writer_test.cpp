// The workbook writer, read back by independent readers: xlrd (as scripts read workbooks) and
// LibreOffice (as people open them), each in its own process.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/history_file_builder.h"
#include "../support/workbook_reader.h"
#include "export/excel_writer.h"

namespace vardo {
namespace {

using testing::ReadText;
using testing::ReadWithXlrd;
using testing::RunShell;
using testing::TempDir;

const std::vector<ExcelColumn> kColumns = {
    {"编号", -1, 0}, {"时间", -1, 20}, {"通道1", 0, 0}, {"通道3", 1, 0}, {"通道4", 3, 0}};

struct Row {
    std::string number;
    std::string time;
    std::vector<double> values;
};

int WriteBook(const std::string& path, const std::vector<std::vector<Row>>& sheets) {
    CExcelWriter w;
    if (w.Open(path) == 0) return 0;
    for (std::size_t s = 0; s < sheets.size(); ++s) {
        if (w.CreateTable("Sheet" + std::to_string(s + 1), kColumns) == 0) return 0;
        for (const Row& r : sheets[s]) {
            std::vector<ExcelCell> cells = {{r.number, 0}, {r.time, 0}};
            for (double v : r.values) cells.push_back({{}, v});
            if (w.InsertRow(cells) == 0) return 0;
        }
    }
    return w.Close();
}

// Integers, hundredths, values only a full double holds, negatives; a second sheet with the
// header only.
const std::vector<std::vector<Row>> kSmallBook = {
    {{"1", "2026-12-07 01:02:03", {12, 12.3, -0.125}},
     {"2", "2026-12-07 01:02:13", {-300, -0.1, 0.001}},
     {"65536", "2099-12-31 23:59:59", {32767, 3276.7, 1.234}}},
    {}};

TEST(ExcelWriter, XlrdReadsTextCellsNumbersWithTheirFormatsAndEverySheet) {
    TempDir dir;
    ASSERT_EQ(WriteBook(dir / "small.xls", kSmallBook), 1);
    EXPECT_EQ(ReadWithXlrd(dir / "small.xls"),
              "# Sheet1 4x5\n"
              "'编号' '时间' '通道1' '通道3' '通道4'\n"
              "'1' '2026-12-07 01:02:03' 12.0|0 12.3|0.0 -0.125|0.000\n"
              "'2' '2026-12-07 01:02:13' -300.0|0 -0.1|0.0 0.001|0.000\n"
              "'65536' '2099-12-31 23:59:59' 32767.0|0 3276.7|0.0 1.234|0.000\n"
              "# Sheet2 1x5\n"
              "'编号' '时间' '通道1' '通道3' '通道4'\n");
    // Nothing but the workbook is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ExcelWriter, LibreOfficeShowsTheCellsAsFormatted) {
    TempDir dir;
    ASSERT_EQ(WriteBook(dir / "small.xls", kSmallBook), 1);
    // Its own profile, every sheet, UTF-8, cells as shown.
    const std::string out =
        RunShell("cd '" + dir.path() + "' && soffice -env:UserInstallation=file://" + dir.path() +
                 "/profile --headless --convert-to 'csv:Text - txt - csv "
                 "(StarCalc):44,34,76,1,,0,false,true,true,false,false,-1' "
                 "small.xls >/dev/null 2>&1");
    ASSERT_EQ(out, "");
    EXPECT_EQ(ReadText(dir / "small-Sheet1.csv"),
              "编号,时间,通道1,通道3,通道4\n"
              "1,2026-12-07 01:02:03,12,12.3,-0.125\n"
              "2,2026-12-07 01:02:13,-300,-0.1,0.001\n"
              "65536,2099-12-31 23:59:59,32767,3276.7,1.234\n");
    EXPECT_EQ(ReadText(dir / "small-Sheet2.csv"), "编号,时间,通道1,通道3,通道4\n");
}

TEST(ExcelWriter, ALargeWorkbookNeedsMoreAllocationSectorsThanTheHeaderLists) {
    TempDir dir;
    std::vector<std::vector<Row>> sheets(3);
    for (int n = 1; n <= 131072; ++n) {
        sheets[(n - 1) / 65535].push_back(
            {std::to_string(n), "2026-12-07 01:02:03", {n % 256 * 1.0, n % 1000 / 10.0, 0.5}});
    }
    ASSERT_EQ(WriteBook(dir / "large.xls", sheets), 1);
    EXPECT_GT(std::filesystem::file_size(dir / "large.xls"), 109u * 128 * 512);
    const std::string read = ReadWithXlrd(dir / "large.xls");
    EXPECT_NE(read.find("# Sheet1 65536x5\n"), std::string::npos);
    EXPECT_NE(
        read.find("'65535' '2026-12-07 01:02:03' 255.0|0 53.5|0.0 0.5|0.000\n# Sheet2 65536x5\n"
                  "'编号' '时间' '通道1' '通道3' '通道4'\n'65536' "),
        std::string::npos);
    EXPECT_TRUE(
        read.ends_with("# Sheet3 3x5\n'编号' '时间' '通道1' '通道3' '通道4'\n"
                       "'131071' '2026-12-07 01:02:03' 255.0|0 7.1|0.0 0.5|0.000\n"
                       "'131072' '2026-12-07 01:02:03' 0.0|0 7.2|0.0 0.5|0.000\n"))
        << read.substr(read.size() - 300);
}

TEST(ExcelWriter, AFailedWriteLeavesNoFileAndTheOldOneUntouched) {
    TempDir dir;
    const std::string path = dir / "old.xls";
    ASSERT_TRUE(testing::WriteBytes(path, std::string("the old workbook")));

    // The disk fills up half way: the file size limit makes every later write fail.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::vector<std::vector<Row>> sheets(1);
    for (int n = 1; n <= 5000; ++n) sheets[0].push_back({std::to_string(n), "t", {1, 2, 3}});
    const int written = WriteBook(path, sheets);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(written, 0);
    EXPECT_EQ(ReadText(path), "the old workbook");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A folder that does not exist: nothing is created anywhere.
    EXPECT_EQ(WriteBook(dir / "missing/new.xls", {{}}), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ExcelWriter, RefusesWhatTheFormatCannotHold) {
    TempDir dir;
    CExcelWriter w;
    ASSERT_EQ(w.Open(dir / "limits.xls"), 1);
    EXPECT_EQ(w.InsertRow(std::vector<ExcelCell>(5)), 0) << "a row before any table";
    EXPECT_EQ(w.CreateTable(std::string(32, 'S'), kColumns), 0) << "a sheet name over 31";
    EXPECT_EQ(w.CreateTable("Sheet1", std::vector<ExcelColumn>(257, {"c", -1, 0})), 0);
    ASSERT_EQ(w.CreateTable("Sheet1", kColumns), 1);
    EXPECT_EQ(w.InsertRow(std::vector<ExcelCell>(4)), 0) << "a cell missing";
    const std::string longText(4097, 'x');
    EXPECT_EQ(w.InsertRow(std::vector<ExcelCell>{{longText, 0}, {}, {}, {}, {}}), 0);
    for (int n = 1; n <= 65535; ++n) ASSERT_EQ(w.InsertRow(std::vector<ExcelCell>(5)), 1);
    EXPECT_EQ(w.InsertRow(std::vector<ExcelCell>(5)), 0) << "65535 data rows fill a sheet";
    w.Abandon();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace vardo
