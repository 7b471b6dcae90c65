#pragma once
// Dialog 160 "文件浏览": the history files of a folder, the header summary of the current one,
// and opening it as the current file.

#include <QDialog>
#include <functional>
#include <string>

#include "app/vardo_doc.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace vardo {

class CFileBrowseDlg : public QDialog {
  public:
    explicit CFileBrowseDlg(CVardoDoc& doc, QWidget* parent = nullptr);
    // The command of the curve and list views: the dialog, modally.
    static void Run(CVardoDoc& doc, QWidget* parent);

    // Lists the history files of dir.
    void FillList(const std::string& dir);
    // "浏览": asks for another folder.
    void Browse();
    // "打开" or a double click: opens the current file and closes the dialog.
    void OpenSelected();

    // Asks for a folder: title, the folder to start at; empty on cancel. Tests replace it.
    std::function<QString(const QString& title, const QString& start)> chooseFolder;

    std::string directory;
    QLineEdit* directoryEdit;   // 1075
    QPushButton* browseButton;  // 1076
    QListWidget* files;         // 1016
    QPlainTextEdit* summary;    // 1077
    QPushButton* openButton;    // 1078
    QPushButton* closeButton;   // 1

  private:
    void ShowSummary(QListWidgetItem* item);
    std::string PathOf(const QListWidgetItem* item) const;

    CVardoDoc& doc_;
};

}  // namespace vardo
