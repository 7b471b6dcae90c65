#include "datalist/dlist_view.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QSignalSpy>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "datalist/excel_export_dlg.h"
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

namespace vardo {
namespace {

// The export dialog as the list opens it, driven with a file chooser of the test's own.
class ExportDialogTest : public DListViewTest {
  protected:
    // Presses "导出..." in the dialog the list opens; chosen is what the file chooser returns.
    void Export(const std::string& chosen, const std::function<void(CExcelExportDlg&)>& more = {}) {
        CDListView& v = View();
        v.exportDialogShown = [&](CExcelExportDlg& dlg) {
            QTimer::singleShot(0, &dlg, [&] { Drive(dlg, chosen, more); });
        };
        frame().ExecuteCommand(cmd::kExport);
    }
    void Drive(CExcelExportDlg& dlg, const std::string& chosen,
               const std::function<void(CExcelExportDlg&)>& more) {
        {
            dlg.chooseFile = [&](QWidget*, const QString& title, const QString& folder,
                                 const QString& name, const QString&, QString*) {
                asked.push_back(title.toStdString() + "|" + folder.toStdString() + "|" +
                                name.toStdString());
                return chosen;
            };
            dlg.askReplace = [&](QWidget*, const std::string& path) {
                asked.push_back("replace " + path);
                return false;
            };
            if (more) more(dlg);
            dlg.OnExport();
            testing::WaitUntil([&] { return dlg.busy == 0; });
            dlg.reject();
        }
    }
    std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const auto& e : reporter.entries) texts.push_back(e.text);
        reporter.entries.clear();
        return texts;
    }
    std::vector<std::string> asked;
};

TEST_F(ExportDialogTest, WritesTheListsRangeAndCountsItsDefaultNames) {
    Start();
    const std::string data = home / "Data";
    Export(home / "first");
    EXPECT_EQ(Messages(), std::vector<std::string>{"输出完成！"});
    EXPECT_PRED2([](const std::string& a, const std::string& b) { return a.starts_with(b); },
                 testing::ReadWithXlrd(home / "first.xls", "--edges"),
                 "# Sheet1 201x4\n'编号' '时间' '通道1' '通道3'\n'1' '2026-03-04 12:00:00' 0.0|0.0 "
                 "31.4|0.0\n");
    Export(home / "first.xls");  // the save dialog asked about the file the user chose
    Export({});                  // cancelled
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "Excel 导出历史数据|" + data + "|Untitled1.xls");
    EXPECT_EQ(asked[2], "Excel 导出历史数据|" + data + "|Untitled3.xls");
    EXPECT_EQ(Messages(), std::vector<std::string>{"输出完成！"});

    // The name with ".xls" added is a file that exists: asked, refused, left alone.
    ASSERT_TRUE(testing::WriteBytes(home / "kept.xls", std::string("kept")));
    Export(home / "kept");
    EXPECT_EQ(asked.back(), "replace " + home / "kept.xls");
    EXPECT_EQ(testing::ReadText(home / "kept.xls"), "kept");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ExportDialogTest, TheFormatChosenInTheSaveDialogIsTheFilesFormat) {
    Start();
    std::vector<std::string> offered;
    const auto choose = [&](const char* filter) {
        return [&, filter](CExcelExportDlg& dlg) {
            dlg.chooseFile = [&, filter](QWidget*, const QString&, const QString&, const QString&,
                                         const QString& filters, QString* selected) {
                offered.push_back(filters.toStdString() + "|" + selected->toStdString());
                *selected = QString::fromUtf8(filter);
                return home / "chosen";
            };
        };
    };
    Export({}, choose("CSV (*.csv)"));
    Export({}, choose("Excel (*.xlsx)"));
    Export({}, choose("Excel 97-2003 (*.xls)"));
    EXPECT_EQ(Messages(), std::vector<std::string>(3, "输出完成！"));
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0],
              "Excel 97-2003 (*.xls);;Excel (*.xlsx);;CSV (*.csv)|Excel 97-2003 (*.xls)");
    EXPECT_TRUE(testing::ReadText(home / "chosen.csv")
                    .starts_with("\xEF\xBB\xBF编号,时间,通道1,通道3\r\n1,2026-03-04 12:00:00,"));
    EXPECT_TRUE(testing::ReadTable("xlsx", home / "chosen.xlsx")
                    .starts_with("编号\t时间\t通道1\t通道3\n1\t2026-03-04 12:00:00\t0.0\t31.4\n"));
    EXPECT_TRUE(testing::ReadWithXlrd(home / "chosen.xls").starts_with("# Sheet1 201x4\n"));
}

TEST_F(ExportDialogTest, ChecksComeBeforeTheSaveDialogAndFailuresAreNoSuccess) {
    Start();
    Export(home / "x", [](CExcelExportDlg& dlg) { dlg.stepEdit->setText("0"); });
    Export(home / "x", [](CExcelExportDlg& dlg) { dlg.start.Set(dlg.fileNewest + 10); });
    Export(home / "x", [](CExcelExportDlg& dlg) { dlg.start.Set(dlg.fileOldest - 10); });
    Export(home / "x", [](CExcelExportDlg& dlg) { dlg.end.Set(dlg.fileNewest + 10); });
    EXPECT_EQ(Messages(), (std::vector<std::string>{"请输入一个在 1 和 80000 之间的整数。",
                                                    "请确认 开始时间 < 结束时间",
                                                    "开始时间 超出范围", "结束时间 超出范围"}));
    EXPECT_TRUE(asked.empty());
    Export(home / "no/such/folder/x");
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "建立文件失败，可能缺少Excel驱动!\nNo such file or directory"});
    EXPECT_FALSE(std::filesystem::exists(home / "x.xls"));
}

TEST_F(ExportDialogTest, ClosingStopsTheWorkerAndLeavesNoFile) {
    Start();
    // A whole ring of records: the export is still running when the dialog closes.
    app->Document().OpenPath(testing::WriteLevelFile(
        home / "Data/12@2026-03-04_12-00-00.vd", 12, 131072,
        [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch + r); }));
    CDListView& v = View();
    v.exportDialogShown = [&](CExcelExportDlg& dlg) {
        QTimer::singleShot(0, &dlg, [&] {
            dlg.start.Set(dlg.fileOldest);
            dlg.chooseFile = [&](QWidget*, const QString&, const QString&, const QString&,
                                 const QString&, QString*) { return home / "stopped.xls"; };
            dlg.OnExport();
            EXPECT_EQ(dlg.busy, 1);
            dlg.OnExport();  // a second press while it runs does nothing
            dlg.reject();
            EXPECT_EQ(dlg.busy, 0);
        });
    };
    frame().ExecuteCommand(cmd::kExport);
    QApplication::processEvents();
    EXPECT_TRUE(Messages().empty());
    // Whatever the worker had written is gone with it.
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(home.path())) {
        entries += e.path().extension() == ".xls" || e.path().extension() == ".tmp";
    }
    EXPECT_EQ(entries, 0u);
}

}  // namespace
}  // namespace vardo
