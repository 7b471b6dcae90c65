#pragma once
// The data list view: the records of the open file or span as a table, one row per shown record
// and one column per channel with data. A file's rows are made on demand from the record walk, so
// any range of the file shows at once; a span's are read once per fill. It prints the table, hands
// its range to the Excel export and opens a file dropped on it.

#include <QTableView>
#include <functional>

#include "app/command_target.h"
#include "app/vardo_doc.h"
#include "datalist/dlist_model.h"

class QPrinter;

namespace vardo {

class CMainFrame;

class CDListView : public QTableView, public CommandTarget, public DocumentView {
  public:
    CDListView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);
    ~CDListView() override;

    void OnInitialUpdate();
    void OnDocumentUpdate(int hint) override;
    // Shows the records of [start, end] every step records in the current order; nothing
    // changes while neither a file nor a span is open.
    void FillRows(VTime start, VTime end, int step);
    void SetAscending(int value);

    // Pages from..to (1-based; 0 for all) of the printout onto printer; false when the printer
    // cannot be drawn on.
    bool PrintPages(QPrinter& printer, int from = 0, int to = 0);
    void OnPrint();
    void OnPrintPreview();
    void OnRangeSet();
    // Opens the export dialog preset with the list's range and step.
    void OnExport();
    // Called with the export dialog before it runs modally (tests drive it from here).
    std::function<void(class CExcelExportDlg&)> exportDialogShown;

    DListModel& Model() { return model_; }

    VTime rowStart = 0;
    VTime rowEnd = 0;
    int rowStep = 1;
    int ascending = 0;

  protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ShowNewest200();
    // Takes the range a fill shows; tells a span that could not be read.
    void Shown(const ListFill& fill, int step);

    CVardoDoc& doc_;
    CMainFrame* frame_;
    DListModel model_;
    bool initialised_ = false;
};

}  // namespace vardo
