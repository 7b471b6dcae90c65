#pragma once
// Dialog 151 "内码转换": a character and its GBK code, each field converting into the other as
// it changes.

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vardo {

class CCodeConvDlg : public QDialog {
  public:
    explicit CCodeConvDlg(QWidget* parent = nullptr);

    QLineEdit* characterEdit;  // 1047
    QLineEdit* codeEdit;       // 1048
    QPushButton* closeButton;  // 1

  private:
    void CharacterChanged();
    void CodeChanged();
};

}  // namespace vardo
