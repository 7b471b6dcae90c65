#pragma once
// "采集设置" (工具 menu): the recorders an unattended collection visits, the [Recorder:NAME]
// sections of SetUp.ini. Add, change and remove them, and test one: its range and clock read
// on a worker, as the upload dialog reads them.

#include <QDialog>
#include <string>

#include "app/dialog_worker.h"
#include "app/vardo_doc.h"
#include "collect/collector.h"
#include "settings/recorder_list.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace vardo {

class CCollectSetDlg : public QDialog {
  public:
    explicit CCollectSetDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    ~CCollectSetDlg() override;

    // Reads the list again and shows it; the refused sections under it.
    void FillList();
    // The recorder the fields describe.
    RecorderEntry FieldsEntry() const;
    void Add();
    void Change();
    void Remove();
    void Test();
    bool Busy() const { return worker_.Busy(); }

    QTableWidget* table;
    QLabel* problems;
    QLineEdit* nameEdit;
    QLineEdit* portEdit;
    QSpinBox* addressSpin;
    QComboBox* modelCombo;
    QComboBox* baudCombo;
    QLineEdit* siteEdit;
    QPushButton* addButton;
    QPushButton* changeButton;
    QPushButton* removeButton;
    QPushButton* testButton;
    QPushButton* closeButton;
    QLabel* testResult;

    void reject() override;

  private:
    void ShowSelected();
    // Checks the fields; false after telling why. keep: the name the entry may already have.
    bool Acceptable(const RecorderEntry& e, const std::string& keep);
    void Save(const RecorderEntry& e, const std::string& replaced);
    void TestFinished(const RecorderProbe& probe);
    void UpdateControls();

    CVardoDoc& doc_;
    RecorderList list_;
    DialogWorker worker_;
};

}  // namespace vardo
