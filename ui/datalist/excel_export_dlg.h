#pragma once
// Dialog 158 "Excel 导出": a span of the open file, a step and an order, written as a workbook
// by a worker thread while the dialog shows its progress. The save dialog comes first, on the
// interface thread; the worker works on its own copy of everything it needs, and closing the
// dialog stops it and removes its unfinished file before the dialog goes.

#include <QDialog>
#include <functional>
#include <string>

#include "app/dialog_worker.h"
#include "app/vardo_doc.h"
#include "datalist/date_time_pair.h"
#include "datalist/excel_export.h"

class QComboBox;
class QLabel;
class QLineEdit;
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

    // Presets: the file's range (and the range text), the span and the step.
    void SetFileRange(VTime oldest, VTime newest);
    void SetRange(VTime start, VTime end, int step);

    // "导出...": checks, asks for the path, starts the worker; nothing while one runs.
    void OnExport();
    // Closing stops a running export first.
    void reject() override;

    FileChooser chooseFile;
    ReplaceQuestion askReplace;

    int busy = 0;
    VTime fileOldest = 0;
    VTime fileNewest = 0;

    QLabel* rangeText;          // 1057
    DateTimePair start;         // 1052, 1053
    DateTimePair end;           // 1054, 1055
    QLineEdit* stepEdit;        // 1056
    QComboBox* order;           // 1080
    QPushButton* exportButton;  // "导出..."
    QProgressBar* progress;     // 1073

  private:
    void Finished(const ExportResult& result);
    void StopWorker();

    CVardoDoc& doc_;
    DialogWorker worker_;
};

}  // namespace vardo
