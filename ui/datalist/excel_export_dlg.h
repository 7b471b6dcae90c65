#pragma once
// Dialog 158 "Excel 导出": a range of the open file or span, a step and an order, written as a
// workbook by a worker thread while the dialog shows its progress. The save dialog comes first, on
// the interface thread; the worker works on its own copy of everything it needs, and closing the
// dialog stops it and removes its unfinished file before the dialog goes.

#include <QDialog>
#include <functional>
#include <string>

#include "app/dialog_worker.h"
#include "app/list_rows.h"
#include "app/vardo_doc.h"
#include "datalist/excel_export.h"
#include "datalist/span_block.h"

class QComboBox;
class QProgressBar;
class QPushButton;

namespace vardo {

class CExcelExportDlg : public QDialog {
  public:
    // Asks for the file's path: title, folder, proposed name, the formats' filters; the filter
    // proposed, then the one chosen, in selected. Empty when cancelled. Tests put their own in
    // place of the file dialog.
    using FileChooser =
        std::function<std::string(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& name, const QString& filters, QString* selected)>;
    // Asks whether an existing file at path may be replaced.
    using ReplaceQuestion = std::function<bool(QWidget* parent, const std::string& path)>;

    CExcelExportDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    ~CExcelExportDlg() override;

    // "导出...": checks, asks for the path, starts the worker; nothing while one runs.
    void OnExport();
    // Closing stops a running export first.
    void reject() override;

    FileChooser chooseFile;
    ReplaceQuestion askReplace;

    int busy = 0;
    SpanBlock span;
    QComboBox* order;           // 1080
    QPushButton* exportButton;  // "导出..."
    QProgressBar* progress;     // 1073

  private:
    void Finished(const ExportJob::Result& job);
    void StopWorker();

    CVardoDoc& doc_;
    // The workbook being written: what a failure names.
    std::string path_;
    DialogWorker worker_;
};

}  // namespace vardo
