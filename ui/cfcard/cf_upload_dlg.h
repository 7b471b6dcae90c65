#pragma once
// Dialog 131 "上传CF卡文件": the card readers, the backups on the card in the chosen one, and the
// import of a backup into a new history file, which then opens. A card image's path may be typed
// into the drive field. The copy runs on a worker; the dialog moves the progress bar and "关闭"
// stops it.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/dialog_worker.h"
#include "app/vardo_doc.h"
#include "cfcard/card_import.h"

class QComboBox;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vardo {

class CCfUploadDlg : public QDialog {
  public:
    explicit CCfUploadDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    ~CCfUploadDlg() override;

    // Fills the drive list; false (after saying so) when there is none.
    bool ListDrives();
    // Lists the backups of the drive (or image) named in the drive field.
    void Scan();
    // "保存文件...": imports the selected backup.
    void Upload();
    bool Busy() const { return worker_.Busy(); }

    // The removable drives; tests hand in card images.
    std::function<std::vector<std::string>()> findDrives;

    QComboBox* drives;       // 1015
    QTableWidget* backups;   // 1016
    QProgressBar* progress;  // 1017
    QPushButton* detectButton;
    QPushButton* saveButton;
    QPushButton* closeButton;

  protected:
    void reject() override;
    // The drives are listed and the first one scanned once the dialog is up, so that what the
    // listing has to say appears over it.
    void showEvent(QShowEvent* event) override;

  private:
    void Finished(ImportResult result);
    void ShowOpenFailure(const std::string& device);

    CVardoDoc& doc_;
    // The import's own record and writer, used by the worker only while it runs.
    HistoryData history_;
    CHistoryWriter writer_;
    DialogWorker worker_;
    bool shown_ = false;
};

}  // namespace vardo
