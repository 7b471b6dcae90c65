#pragma once
// Dialog 157 "串口上传数据": the recorder's time range and channels, the span and channels to
// fetch, and the fetch itself on a worker that moves the progress bar. The new file opens as
// the current document when the dialog goes away.

#include <QDialog>
#include <memory>
#include <string>

#include "app/dialog_worker.h"
#include "app/vardo_doc.h"
#include "datalist/date_time_pair.h"
#include "link/recorder_link.h"
#include "link/serial_upload.h"
#include "settings/comm_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vardo {

class CSerialUploadDlg : public QDialog {
  public:
    explicit CSerialUploadDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    // Stops a running upload and waits for it; opens the new file when there is one.
    ~CSerialUploadDlg() override;

    // The recorder's range and channel lines, read again (opening and model change).
    void ReadRange();
    // "上传": checks, then the fetch on the worker.
    void Upload();
    bool Busy() const { return worker_.Busy(); }
    const std::string& OutputPath() const { return outputPath_; }

    QLabel* rangeText;       // 1071
    QListWidget* channels;   // 1060
    QComboBox* model;        // 1036
    QCheckBox* uploadAll;    // 1063
    DateTimePair start;      // 1064, 1065
    DateTimePair end;        // 1066, 1067
    QProgressBar* progress;  // 1017
    QPushButton* uploadButton;
    QPushButton* stopButton;

    // Escape and the close box wait while the worker runs.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void ModelChanged();
    void TellOpenFailed();
    void Finished(UploadStatus status);
    void UpdateControls();

    CVardoDoc& doc_;
    CommSettings cs_;
    CRecorderLink link_;
    std::unique_ptr<CSerialUpload> upload_;
    std::string outputPath_;
    bool shown_ = false;
    DialogWorker worker_;
};

}  // namespace vardo
