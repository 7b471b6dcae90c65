#include "collect/collect_set_dlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <cstdio>
#include <ctime>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "link/model_combo.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

}  // namespace

CCollectSetDlg::CCollectSetDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      table(new QTableWidget(0, 5, this)),
      problems(new QLabel(this)),
      nameEdit(new QLineEdit(this)),
      portEdit(new QLineEdit(this)),
      addressSpin(new QSpinBox(this)),
      modelCombo(new QComboBox(this)),
      baudCombo(new QComboBox(this)),
      siteEdit(new QLineEdit(this)),
      addButton(new QPushButton(UiText(texts::kCollectAdd), this)),
      changeButton(new QPushButton(UiText(texts::kCollectChange), this)),
      removeButton(new QPushButton(UiText(texts::kCollectRemove), this)),
      testButton(new QPushButton(UiText(texts::kCollectTest), this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)),
      testResult(new QLabel(this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kCollectSettingsTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(330, 250));
    du.Place(table, 7, 7, 316, 100);
    du.Place(problems, 7, 110, 316, 20);
    const char* labels[] = {texts::kCollectColumnName,    texts::kCollectColumnPort,
                            texts::kCollectColumnAddress, texts::kCollectColumnModel,
                            texts::kCollectColumnBaud,    texts::kCollectColumnSite};
    QWidget* fields[] = {nameEdit, portEdit, addressSpin, modelCombo, baudCombo, siteEdit};
    for (int i = 0; i < 6; ++i) {
        const int x = i % 2 == 0 ? 7 : 170;
        const int y = 136 + (i / 2) * 18;
        du.Place(new QLabel(UiText(labels[i]), this), x, y + 2);
        du.Place(fields[i], x + 45, y, 108, 13);
    }
    du.Place(testResult, 7, 192, 316, 30);
    du.Place(addButton, 7, 229, 50, 14);
    du.Place(changeButton, 62, 229, 50, 14);
    du.Place(removeButton, 117, 229, 50, 14);
    du.Place(testButton, 172, 229, 50, 14);
    du.Place(closeButton, 273, 229, 50, 14);

    QStringList headers;
    for (const char* h :
         {texts::kCollectColumnName, texts::kCollectColumnPort, texts::kCollectColumnAddress,
          texts::kCollectColumnModel, texts::kCollectColumnSite})
        headers << UiText(h);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {55, 80, 25, 100};
    for (int c = 0; c < 4; ++c) table->setColumnWidth(c, du.Size(widths[c], 0).width());
    problems->setWordWrap(true);
    problems->setStyleSheet(QStringLiteral("color: #b00000"));
    testResult->setWordWrap(true);
    testResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    addressSpin->setRange(0, 255);
    addressSpin->setValue(8);
    FillModelCombo(modelCombo, doc_.settingsPath(), 0);
    baudCombo->addItem(UiText(texts::kCollectBaudDefault), 0);
    for (int rate : kBaudRates) baudCombo->addItem(QString::number(rate), rate);
    for (QPushButton* b : {addButton, changeButton, removeButton, testButton})
        b->setAutoDefault(false);
    closeButton->setDefault(true);

    connect(table, &QTableWidget::itemSelectionChanged, this, &CCollectSetDlg::ShowSelected);
    connect(addButton, &QPushButton::clicked, this, &CCollectSetDlg::Add);
    connect(changeButton, &QPushButton::clicked, this, &CCollectSetDlg::Change);
    connect(removeButton, &QPushButton::clicked, this, &CCollectSetDlg::Remove);
    connect(testButton, &QPushButton::clicked, this, &CCollectSetDlg::Test);
    connect(closeButton, &QPushButton::clicked, this, &CCollectSetDlg::reject);
    FillList();
}

CCollectSetDlg::~CCollectSetDlg() {
    worker_.Stop();
}

void CCollectSetDlg::reject() {
    // A test in progress ends at its next exchange; the dialog does not wait out a dead line.
    worker_.Stop();
    QDialog::reject();
}

void CCollectSetDlg::FillList() {
    list_ = ReadRecorderList(doc_.settingsPath());
    const ModelList models = ReadModelList(doc_.settingsPath());
    table->setRowCount(static_cast<int>(list_.recorders.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const RecorderEntry& r = list_.recorders[static_cast<std::size_t>(row)];
        char address[8];
        std::snprintf(address, sizeof address, "%02d", r.address);
        const std::string cells[] = {r.name, r.port, address,
                                     models.names[static_cast<std::size_t>(r.modelIndex)], r.site};
        for (int c = 0; c < 5; ++c)
            table->setItem(row, c,
                           new QTableWidgetItem(c == 3 ? UiMessage(cells[c]) : Utf8(cells[c])));
    }
    QStringList lines;
    for (const RecorderProblem& p : list_.problems) lines << UiMessage(ProblemLine(p));
    problems->setText(lines.join(QLatin1Char('\n')));
    UpdateControls();
}

void CCollectSetDlg::ShowSelected() {
    const int row = table->currentRow();
    if (row >= 0 && row < static_cast<int>(list_.recorders.size())) {
        const RecorderEntry& r = list_.recorders[static_cast<std::size_t>(row)];
        nameEdit->setText(Utf8(r.name));
        portEdit->setText(Utf8(r.port));
        addressSpin->setValue(r.address);
        modelCombo->setCurrentIndex(modelCombo->findData(r.modelIndex));
        const int baud = baudCombo->findData(r.baudRate.value_or(0));
        if (baud >= 0) {
            baudCombo->setCurrentIndex(baud);
        } else {
            baudCombo->addItem(QString::number(*r.baudRate), *r.baudRate);
            baudCombo->setCurrentIndex(baudCombo->count() - 1);
        }
        siteEdit->setText(Utf8(r.site));
    }
    UpdateControls();
}

RecorderEntry CCollectSetDlg::FieldsEntry() const {
    RecorderEntry e;
    e.name = nameEdit->text().trimmed().toStdString();
    e.port = portEdit->text().trimmed().toStdString();
    e.address = addressSpin->value();
    e.modelIndex = modelCombo->currentData().toInt();
    if (const int baud = baudCombo->currentData().toInt(); baud > 0) e.baudRate = baud;
    e.site = siteEdit->text().trimmed().toStdString();
    return e;
}

bool CCollectSetDlg::Acceptable(const RecorderEntry& e, const std::string& keep) {
    if (!CheckRecorder(e).empty()) {
        doc_.reporter().ShowMessage(texts::kCollectNeedNameAndPort, MessageIcon::Information);
        return false;
    }
    for (const RecorderEntry& r : list_.recorders) {
        if (r.name == keep || QString::fromStdString(r.name).compare(QString::fromStdString(e.name),
                                                                     Qt::CaseInsensitive) != 0)
            continue;
        char text[256];
        std::snprintf(text, sizeof text, UiFormat(texts::kCollectNameTaken), e.name.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Information);
        return false;
    }
    return true;
}

void CCollectSetDlg::Save(const RecorderEntry& e, const std::string& replaced) {
    const std::string path = doc_.settingsPath();
    // A renamed recorder is written under its new name before the old section goes, so that a
    // failed write never leaves the recorder out of the list.
    bool ok = WriteRecorder(path, e) == 1;
    const bool renamed =
        !replaced.empty() && QString::fromStdString(replaced).compare(
                                 QString::fromStdString(e.name), Qt::CaseInsensitive) != 0;
    if (ok && renamed) ok = RemoveRecorder(path, replaced) == 1;
    if (!ok) ReportSettingsWriteFailed(doc_.reporter(), path);
    FillList();
    for (int row = 0; row < table->rowCount(); ++row) {
        if (list_.recorders[static_cast<std::size_t>(row)].name == e.name) table->selectRow(row);
    }
}

void CCollectSetDlg::Add() {
    const RecorderEntry e = FieldsEntry();
    if (Acceptable(e, {})) Save(e, {});
}

void CCollectSetDlg::Change() {
    const int row = table->currentRow();
    if (row < 0 || row >= static_cast<int>(list_.recorders.size())) return;
    const std::string old = list_.recorders[static_cast<std::size_t>(row)].name;
    const RecorderEntry e = FieldsEntry();
    if (Acceptable(e, old)) Save(e, old);
}

void CCollectSetDlg::Remove() {
    const int row = table->currentRow();
    if (row < 0 || row >= static_cast<int>(list_.recorders.size())) return;
    if (RemoveRecorder(doc_.settingsPath(), list_.recorders[static_cast<std::size_t>(row)].name) !=
        1)
        ReportSettingsWriteFailed(doc_.reporter(), doc_.settingsPath());
    FillList();
}

void CCollectSetDlg::Test() {
    if (Busy()) return;
    const RecorderEntry e = FieldsEntry();
    if (e.port.empty()) {
        doc_.reporter().ShowMessage(texts::kCollectNeedNameAndPort, MessageIcon::Information);
        return;
    }
    testResult->setText(UiText(texts::kCollectTesting));
    worker_.Start(
        this,
        [e, path = doc_.settingsPath(), stop = worker_.StopFlag()] {
            return ProbeRecorder(e, path, stop);
        },
        [this](const RecorderProbe& probe) { TestFinished(probe); });
    UpdateControls();
}

void CCollectSetDlg::TestFinished(const RecorderProbe& probe) {
    if (!probe.ok) {
        QStringList lines;
        for (const std::string& l : probe.failure) lines << UiMessage(l);
        testResult->setText(lines.join(QLatin1Char('\n')));
    } else {
        std::string clock =
            probe.clock ? FormatTime(*probe.clock) : UiFormat(texts::kCollectClockUnreadable);
        if (probe.clock) {
            if (auto drift = ClockDrift(*probe.clock, std::time(nullptr)))
                clock += "  " + UiMessage(ClockDriftText(*drift)).toStdString();
        }
        char text[512];
        std::snprintf(text, sizeof text, UiFormat(texts::kCollectTestFormat),
                      FormatTime(probe.oldest).c_str(), FormatTime(probe.newest).c_str(),
                      probe.interval, probe.channelCount, clock.c_str());
        testResult->setText(Utf8(text));
    }
    UpdateControls();
}

void CCollectSetDlg::UpdateControls() {
    const bool selected = table->currentRow() >= 0 && !table->selectedItems().isEmpty();
    changeButton->setEnabled(selected);
    removeButton->setEnabled(selected);
    testButton->setEnabled(!Busy());
}

}  // namespace vardo
