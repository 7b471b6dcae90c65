// The writers behind WriteExport fed from rows in memory, as a recorder's span in the archive
// feeds them: empty cells, cells with decimals of their own, texts that CSV must quote; read
// back by xlrd, openpyxl and Python's csv module. And what a stopped or failed export leaves.

#include "export/export_rows.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <filesystem>

#include "../support/history_file_builder.h"
#include "../support/workbook_reader.h"

namespace vardo {
namespace {

using testing::ReadTable;
using testing::ReadText;
using testing::TempDir;

class VectorRows : public ExportRowSource {
  public:
    struct Line {
        std::string number;
        std::string time;
        std::vector<ExportCell> cells;
    };
    VectorRows(std::vector<ExportColumn> columns, std::vector<Line> lines)
        : columns_(std::move(columns)), lines_(std::move(lines)) {}

    std::span<const ExportColumn> Columns() const override { return columns_; }
    std::int64_t RowCount() const override { return static_cast<std::int64_t>(lines_.size()); }
    const ExportRow* Next() override {
        if (next_ == lines_.size()) return nullptr;
        const Line& l = lines_[next_++];
        row_ = {l.number, l.time, l.cells};
        return &row_;
    }

  private:
    std::vector<ExportColumn> columns_;
    std::vector<Line> lines_;
    std::size_t next_ = 0;
    ExportRow row_;
};

VectorRows Span() {
    return VectorRows({{"通道1", 1}, {"通道2 \"x\",y", 2}},
                      {{"1", "2027-01-01 00:00:00", {{"12.5", 12.5, 1}, {}}},
                       {"2", "2027-01-01 00:00:10", {{}, {"3.14", 3.14, 2}}},
                       {"3", "2027-01-01 00:00:20", {{"7", 7, 0}, {"-0.50", -0.5, 2}}}});
}

const auto kAll = [](std::int64_t, std::int64_t) { return true; };

TEST(ExportRows, EmptyCellsAndEachCellsDecimalsInEveryFormat) {
    TempDir dir;
    const std::string rows =
        "1\t2027-01-01 00:00:00\t12.5\t\n"
        "2\t2027-01-01 00:00:10\t\t3.14\n"
        "3\t2027-01-01 00:00:20\t7\t-0.50\n";
    const struct {
        ExportFormat format;
        std::string name;
        std::string read;  // "xls" by xlrd, else by read_table.py
    } cases[] = {
        {ExportFormat::Csv, "span.csv", "csv"},
        {ExportFormat::Xlsx, "span.xlsx", "xlsx"},
        {ExportFormat::Xls, "span.xls", "xls"},
    };
    for (const auto& c : cases) {
        VectorRows source = Span();
        ASSERT_EQ(WriteExport(source, c.format, dir / c.name, kAll).outcome, ExportOutcome::Written)
            << c.name;
        if (c.read == "xls") {
            EXPECT_EQ(testing::ReadWithXlrd(dir / c.name),
                      "# Sheet1 4x4\n'编号' '时间' '通道1' '通道2 \"x\",y'\n"
                      "'1' '2027-01-01 00:00:00' 12.5|0.0 ?0\n"
                      "'2' '2027-01-01 00:00:10' ?0 3.14|0.00\n"
                      "'3' '2027-01-01 00:00:20' 7.0|0 -0.5|0.00\n");
        } else {
            EXPECT_EQ(ReadTable(c.read, dir / c.name), "编号\t时间\t通道1\t通道2 \"x\",y\n" + rows)
                << c.name;
        }
    }
    EXPECT_EQ(ReadText(dir / "span.csv"),
              "\xEF\xBB\xBF编号,时间,通道1,\"通道2 \"\"x\"\",y\"\r\n"
              "1,2027-01-01 00:00:00,12.5,\r\n2,2027-01-01 00:00:10,,3.14\r\n"
              "3,2027-01-01 00:00:20,7,-0.50\r\n");
}

// .xls keeps each text once: numbers and times that run in order are never looked up, so
// texts that break the order, repeat another column's or a header's must still find their own.
TEST(ExportRows, XlsTextsThatLeaveTheirOrderKeepTheirCells) {
    TempDir dir;
    VectorRows source({{"通道1", 0}}, {{"1", "b", {{}}},
                                       {"2", "c", {{}}},
                                       {"3", "a", {{}}},
                                       {"4", "c", {{}}},
                                       {"5", "5", {{}}},
                                       {"时间", "编号", {{}}},
                                       {"7", "d", {{}}}});
    ASSERT_EQ(WriteExport(source, ExportFormat::Xls, dir / "t.xls", kAll).outcome,
              ExportOutcome::Written);
    EXPECT_EQ(testing::ReadWithXlrd(dir / "t.xls"),
              "# Sheet1 8x3\n'编号' '时间' '通道1'\n'1' 'b' ?0\n'2' 'c' ?0\n'3' 'a' ?0\n"
              "'4' 'c' ?0\n'5' '5' ?0\n'时间' '编号' ?0\n'7' 'd' ?0\n");
}

TEST(ExportRows, AStoppedOrFailedExportLeavesTheOldFile) {
    std::vector<VectorRows::Line> many;
    for (int n = 1; n <= 30000; ++n) {
        many.push_back({std::to_string(n), "2027-01-01 00:00:00", {{"1.5", 1.5, 1}, {}}});
    }
    for (const ExportFormat format : {ExportFormat::Xls, ExportFormat::Xlsx, ExportFormat::Csv}) {
        TempDir dir;
        const std::string path = dir / "old";
        ASSERT_TRUE(testing::WriteBytes(path, std::string("old")));
        VectorRows stopped = Span();
        int calls = 0;
        const ExportResult stop = WriteExport(
            stopped, format, path, [&](std::int64_t, std::int64_t) { return ++calls < 2; });
        EXPECT_EQ(stop.outcome, ExportOutcome::Stopped);

        // The disk fills up half way: the file size limit makes every later write fail.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &small);
        VectorRows full({{"通道1", 1}, {"通道2", 0}}, many);
        const ExportResult failed = WriteExport(full, format, path, kAll);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(failed.outcome, ExportOutcome::Failed);
        EXPECT_EQ(ExportFailureReason(failed), "File too large");
        EXPECT_EQ(ReadText(path), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
    EXPECT_EQ(ExportFailureReason({ExportOutcome::Failed, 0}), "");
    EXPECT_EQ(ExportFailureReason({ExportOutcome::Written, ENOSPC}), "");
}

}  // namespace
}  // namespace vardo
