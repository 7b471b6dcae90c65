#include "link/comm_set_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <cstdio>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/dialog_integer.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "history/ring.h"
#include "link/model_combo.h"
#include "link/serial_devices.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

constexpr std::array<int, 7> kBaudRates = {1200, 2400, 4800, 9600, 19200, 38400, 57600};
// The settings file reads a port name back into five bytes.
constexpr int kPortNameMax = 5;

}  // namespace

CCommSetDlg::CCommSetDlg(CVardoDoc& doc, QWidget* parent, const std::string& devRoot)
    : QDialog(parent),
      model(new QComboBox(this)),
      address(new QLineEdit(this)),
      port(new QComboBox(this)),
      device(new QComboBox(this)),
      deviceHint(new QLabel(this)),
      baud(new QComboBox(this)),
      interval(new QComboBox(this)),
      saveReal(new QCheckBox(UiText(texts::kSaveRealLabel), this)),
      doc_(doc),
      devRoot_(devRoot) {
    setWindowTitle(UiText(texts::kCommSetTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(220, 178));
    const char* labels[] = {texts::kModelLabel,  texts::kAddressLabel, texts::kPortLabel,
                            texts::kDeviceLabel, texts::kBaudLabel,    texts::kSamplingLabel};
    QWidget* fields[] = {model, address, port, device, baud, interval};
    for (int i = 0; i < 6; ++i) {
        du.Place(new QLabel(UiText(labels[i]), this), 10, 12 + 18 * i);
        du.Place(fields[i], 62, 10 + 18 * i, 148, 13);
    }
    du.Place(deviceHint, 10, 118, 200, 24);
    du.Place(saveReal, 10, 144, 60, 12);
    auto* ok = new QPushButton(UiText(texts::kConfirm), this);
    auto* cancel = new QPushButton(UiText(texts::kCancel), this);
    du.Place(ok, 100, 158, 50, 14);
    du.Place(cancel, 160, 158, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CCommSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCommSetDlg::reject);

    deviceHint->setWordWrap(true);
    deviceHint->setStyleSheet(QStringLiteral("color: #a00000"));
    port->setEditable(true);
    port->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= 5; ++n) port->addItem(QStringLiteral("COM%1").arg(n));
    device->setEditable(true);
    device->setInsertPolicy(QComboBox::NoInsert);
    for (const SerialDevice& d : ListSerialDevices(devRoot_))
        device->addItem(QString::fromStdString(d.path), d.error);
    for (int rate : kBaudRates) baud->addItem(QString::number(rate));
    for (int seconds : IntervalTable)
        interval->addItem(QString::asprintf(UiFormat(texts::kCardIntervalFormat), seconds));

    const std::string path = doc_.settingsPath();
    LoadCommSettings(path, cs_);
    FillModelCombo(model, path, cs_.modelIndex);
    address->setText(QString::number(cs_.address));
    port->setEditText(QString::fromStdString(cs_.portName));
    baud->setCurrentIndex(baud->findText(QString::number(cs_.baudRate)));
    interval->setCurrentIndex(cs_.samplingInterval >= 0 && cs_.samplingInterval < interval->count()
                                  ? cs_.samplingInterval
                                  : -1);
    saveReal->setChecked(ReadSaveReal(path) != 0);
    ShowDeviceOf(port->currentText());

    connect(port, &QComboBox::currentTextChanged, this, &CCommSetDlg::ShowDeviceOf);
    connect(device, &QComboBox::currentTextChanged, this, &CCommSetDlg::UpdateHint);
}

void CCommSetDlg::ShowDeviceOf(const QString& portName) {
    const QString mapped =
        QString::fromStdString(PortDevice(doc_.settingsPath(), portName.trimmed().toStdString()));
    const int at = device->findText(mapped);
    if (at >= 0)
        device->setCurrentIndex(at);
    else
        device->setEditText(mapped);
    UpdateHint();
}

void CCommSetDlg::UpdateHint() {
    deviceHint->setText(QString::fromStdString(
        PermissionHint(device->currentText().trimmed().toStdString(), true, kPortGroup)));
}

void CCommSetDlg::accept() {
    Reporter& reporter = doc_.reporter();
    int addressValue = cs_.address;
    if (const std::string message =
            IntegerFieldMessage(address->text().toStdString(), 0, 255, addressValue);
        !message.empty()) {
        reporter.ShowMessage(message, MessageIcon::Information);
        address->setFocus();
        address->selectAll();
        return;
    }
    const std::string portName = port->currentText().trimmed().toStdString();
    if (portName.empty() || portName.size() > kPortNameMax) {
        reporter.ShowMessage(texts::kPortNameTooLong, MessageIcon::Information);
        port->setFocus();
        return;
    }
    CommSettings cs = cs_;
    cs.address = addressValue;
    cs.portName = portName;
    // A field left without a selection keeps what the file held.
    if (interval->currentIndex() >= 0) cs.samplingInterval = interval->currentIndex();
    if (baud->currentIndex() >= 0)
        cs.baudRate = kBaudRates[static_cast<std::size_t>(baud->currentIndex())];
    if (model->currentIndex() >= 0) cs.modelIndex = model->currentData().toInt();

    const std::string path = doc_.settingsPath();
    const std::string deviceText = device->currentText().trimmed().toStdString();
    bool saved = SaveCommSettings(path, cs) && WriteSaveReal(path, saveReal->isChecked() ? 1 : 0);
    if (saved && !deviceText.empty() && deviceText != PortDevice(path, portName))
        saved = WritePortDevice(path, portName, deviceText);
    if (!saved) {
        ReportSettingsWriteFailed(reporter, path);
        return;
    }
    QDialog::accept();
}

}  // namespace vardo
