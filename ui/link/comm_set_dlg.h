#pragma once
// Dialog 143 "通讯设置": the recorder model, its address, the port and the device behind it,
// the baud rate, the live sampling time and whether live values are saved. OK writes them to
// SetUp.ini; nothing touches an open link, the values apply when a link next opens.

#include <QDialog>
#include <string>

#include "app/vardo_doc.h"
#include "settings/comm_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace vardo {

class CCommSetDlg : public QDialog {
  public:
    // devRoot stands for /dev when the serial devices are listed (tests hand in a folder).
    explicit CCommSetDlg(CVardoDoc& doc, QWidget* parent = nullptr,
                         const std::string& devRoot = "/dev");

    // Saves and closes; a refused field or a failed write says so and keeps the dialog open.
    void accept() override;

    QComboBox* model;     // 1036, each item carrying its model index
    QLineEdit* address;   // 1039
    QComboBox* port;      // 1037
    QComboBox* device;    // the device behind the port, from [Ports]
    QLabel* deviceHint;   // who may open a device the user may not
    QComboBox* baud;      // 1038
    QComboBox* interval;  // 1040
    QCheckBox* saveReal;  // 1041

  private:
    void ShowDeviceOf(const QString& portName);
    void UpdateHint();

    CVardoDoc& doc_;
    CommSettings cs_;
    std::string devRoot_;
};

}  // namespace vardo
