#pragma once
// Dialog 100: the program's icon, its product line and an OK button; the link stays hidden.

#include <QDialog>

namespace vardo {

class CStaticLink;

class CAboutDlg : public QDialog {
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    CStaticLink* link = nullptr;  // control 1079
};

}  // namespace vardo
