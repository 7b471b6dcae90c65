#include "datalist/dlist_view.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPrinter>
#include <QSignalSpy>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "support/workbook_reader.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

const auto U = [](const char* s) { return QString::fromUtf8(s); };

class DListViewTest : public ::testing::Test {
  protected:
    // The program started on a file of 500 records with channels 1 and 3 of 3, then switched to
    // the list.
    CDListView& Start() {
        std::filesystem::create_directories(home / "Data");
        file = testing::WriteLevelFile(
            home / "Data/03@2026-03-04_12-00-00.vd", 3, 500,
            [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch * 40 + r % 30); },
            {1, 0, 1});
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        EXPECT_TRUE(app->InitInstance({"vardo", file}));
        frame().resize(900, 600);
        EXPECT_TRUE(frame().ExecuteCommand(cmd::kViewList));
        return View();
    }
    CMainFrame& frame() { return *app->MainFrame(); }
    CDListView& View() { return *dynamic_cast<CDListView*>(frame().ActiveView()); }
    std::string Cell(int row, int column) { return View().Model().CellText(row, column); }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
    std::string file;
};

TEST_F(DListViewTest, ShowsTheNewest200WithTheColumnsOfChannelsWithData) {
    CDListView& v = Start();
    DListModel& m = v.Model();
    ASSERT_EQ(m.columnCount(), 4);
    EXPECT_EQ(m.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), U("通道3"));
    EXPECT_EQ(v.columnWidth(0), 50);
    EXPECT_EQ(v.columnWidth(1), 150);
    EXPECT_EQ(v.columnWidth(3), 50);
    EXPECT_EQ(m.rowCount(), 200);
    EXPECT_EQ(Cell(0, 0) + " " + Cell(0, 1) + " " + Cell(0, 2) + " " + Cell(0, 3),
              "1 2026-03-04 12:00:00 0.0 31.4");
    EXPECT_EQ(Cell(199, 1), "2026-03-04 11:26:50");
    EXPECT_EQ(frame().StatusText(1), U("1 个记录间隔"));
    EXPECT_FALSE(v.verticalHeader()->isVisible());
    EXPECT_EQ(v.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(DListViewTest, OrderCommandsRefillOnlyOnAChangeAndCarryTheirCheckMarks) {
    CDListView& v = Start();
    QSignalSpy resets(&v.Model(), &QAbstractItemModel::modelReset);
    EXPECT_TRUE(frame().QueryCommand(cmd::kOrderDescending).checked);
    frame().ExecuteCommand(cmd::kOrderDescending);
    EXPECT_EQ(resets.count(), 0);
    frame().ExecuteCommand(cmd::kOrderAscending);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_TRUE(frame().QueryCommand(cmd::kOrderAscending).checked);
    EXPECT_FALSE(frame().QueryCommand(cmd::kOrderDescending).checked);
    EXPECT_EQ(Cell(0, 1), "2026-03-04 11:26:50");
    EXPECT_EQ(Cell(199, 1), "2026-03-04 12:00:00");
    EXPECT_TRUE(frame().QueryCommand(cmd::kFileBrowser).enabled);
}

TEST_F(DListViewTest, AFailedOpenClearsTheRowsAndAnOpenedFileStartsAgainAtStep1) {
    CDListView& v = Start();
    v.rowStep = 3;
    app->Document().OpenPath(home / "missing.vd");
    EXPECT_EQ(v.Model().rowCount(), 0);
    EXPECT_EQ(v.Model().columnCount(), 4);
    app->Document().OpenPath(file);
    EXPECT_EQ(v.Model().rowCount(), 200);
    EXPECT_EQ(v.rowStep, 1);
    EXPECT_EQ(v.rowEnd - v.rowStart, 1990);
}

TEST_F(DListViewTest, PrintsPortraitPagesOf51RowsToPdf) {
    CDListView& v = Start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(home / "list.pdf"));
    printer.setPageOrientation(QPageLayout::Portrait);
    ASSERT_TRUE(v.PrintPages(printer));
    // (51 + 200) / 51 pages.
    EXPECT_NE(testing::RunShell("pdfinfo '" + home / "list.pdf" + "'").find("Pages:           4\n"),
              std::string::npos);
    printer.setOutputFileName(QString::fromStdString(home / "pages.pdf"));
    ASSERT_TRUE(v.PrintPages(printer, 2, 3));
    EXPECT_NE(
        testing::RunShell("pdfinfo '" + home / "pages.pdf" + "'").find("Pages:           2\n"),
        std::string::npos);
    // pdftotext drops the blanks of "2 - 4".
    const std::string text =
        testing::RunShell("pdftotext -f 1 -l 1 '" + home / "pages.pdf" + "' - | tr -d ' '");
    EXPECT_NE(text.find("52"), std::string::npos);
    EXPECT_NE(text.find("2-4"), std::string::npos);
}

}  // namespace
}  // namespace vardo
