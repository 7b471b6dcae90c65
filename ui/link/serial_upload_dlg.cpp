#include "link/serial_upload_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/archive_auto_add.h"
#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "archive/archive_store.h"
#include "base/file_refusal.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "link/model_combo.h"
#include "link/serial_devices.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

QString RangeText(VTime oldest, VTime newest) {
    const LocalFields o = SplitLocalTime(oldest);
    const LocalFields n = SplitLocalTime(newest);
    char text[160];
    std::snprintf(text, sizeof text, UiFormat(texts::kRangeTextFormat), o.year, o.month, o.day,
                  o.hour, o.minute, o.second, n.year, n.month, n.day, n.hour, n.minute, n.second);
    return QString::fromUtf8(text);
}

}  // namespace

CSerialUploadDlg::CSerialUploadDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      rangeText(new QLabel(UiText(texts::kRangeLabel), this)),
      channels(new QListWidget(this)),
      model(new QComboBox(this)),
      uploadAll(new QCheckBox(UiText(texts::kUploadAll), this)),
      start(this),
      end(this),
      progress(new QProgressBar(this)),
      uploadButton(new QPushButton(UiText(texts::kUpload), this)),
      stopButton(new QPushButton(UiText(texts::kStop), this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kSerialUploadTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(280, 182));
    du.Place(rangeText, 7, 7, 266, 10);
    du.PlaceFrame(new QGroupBox(UiText(texts::kUploadChannels), this), 7, 20, 80, 136);
    du.Place(channels, 12, 31, 70, 120);
    du.Place(new QLabel(UiText(texts::kInstrumentType), this), 95, 24);
    du.Place(model, 135, 21, 138, 13);
    du.Place(uploadAll, 95, 40, 100, 12);
    du.PlaceFrame(new QGroupBox(UiText(texts::kTimeSetting), this), 92, 56, 181, 58);
    du.Place(new QLabel(UiText(texts::kUploadStartLabel), this), 98, 72);
    du.Place(start.date, 135, 70, 70, 13);
    du.Place(start.time, 208, 70, 58, 13);
    du.Place(new QLabel(UiText(texts::kQueryEndLabel), this), 98, 92);
    du.Place(end.date, 135, 90, 70, 13);
    du.Place(end.time, 208, 90, 58, 13);
    du.Place(progress, 92, 124, 181, 10);
    du.Place(uploadButton, 163, 142, 52, 14);
    du.Place(stopButton, 221, 142, 52, 14);

    channels->setSelectionMode(QAbstractItemView::MultiSelection);
    progress->setTextVisible(false);
    progress->setValue(0);
    uploadButton->setDefault(true);
    stopButton->setAutoDefault(false);
    const VTime now = static_cast<VTime>(std::time(nullptr));
    start.Set(now);
    end.Set(now);

    const std::string path = doc_.settingsPath();
    LoadCommSettings(path, cs_);
    FillModelCombo(model, path, cs_.modelIndex);

    connect(model, &QComboBox::activated, this, &CSerialUploadDlg::ModelChanged);
    connect(uploadAll, &QCheckBox::toggled, this, &CSerialUploadDlg::UpdateControls);
    connect(channels, &QListWidget::itemSelectionChanged, this, &CSerialUploadDlg::UpdateControls);
    connect(uploadButton, &QPushButton::clicked, this, &CSerialUploadDlg::Upload);
    // The exchange in progress ends too, rather than at time-outs SetUp.ini may make endless.
    connect(stopButton, &QPushButton::clicked, this, [this] {
        worker_.RequestStop();
        link_.port.Interrupt();
    });
    UpdateControls();
}

CSerialUploadDlg::~CSerialUploadDlg() {
    link_.port.Interrupt();
    worker_.Stop();
    if (link_.IsOpen()) link_.Close();
    if (outputPath_.size() > 8) doc_.OpenPath(outputPath_);
}

void CSerialUploadDlg::UpdateControls() {
    const bool pickers = !Busy() && !uploadAll->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(start.date), static_cast<QWidget*>(start.time),
                       static_cast<QWidget*>(end.date), static_cast<QWidget*>(end.time)})
        w->setEnabled(pickers);
    uploadButton->setEnabled(!Busy() && !channels->selectedItems().isEmpty());
    stopButton->setEnabled(Busy());
    model->setEnabled(!Busy());
    uploadAll->setEnabled(!Busy());
    channels->setEnabled(!Busy());
}

void CSerialUploadDlg::ReadRange() {
    if (Busy()) return;
    // Lines of a recorder that no longer answers would offer channels nobody has read.
    channels->clear();
    if (!link_.IsOpen() && !link_.Open(cs_, doc_.settingsPath())) {
        TellOpenFailed();
        UpdateControls();
        return;
    }
    upload_ = std::make_unique<CSerialUpload>(link_, cs_.modelIndex);
    const UploadStatus status = upload_->ReadTimeRange();
    if (!upload_->RangeKnown()) link_.Close();
    if (upload_->RangeKnown()) {
        const RecorderRange& r = upload_->Range();
        rangeText->setText(RangeText(r.oldestTime, r.newestTime));
        start.Set(r.newestTime);
        end.Set(r.newestTime);
    }
    if (status == UploadStatus::Done) {
        char line[32];
        for (int i = 0; i < upload_->Range().channelCount; ++i) {
            std::snprintf(line, sizeof line, UiFormat(texts::kChannelLineFormat), i + 1);
            channels->addItem(QString::fromUtf8(line));
        }
        if (channels->count() > 0) channels->item(0)->setSelected(true);
    }
    UpdateControls();
}

void CSerialUploadDlg::TellOpenFailed() {
    // The device and the system's reason under the message; a port the user may not open also
    // says which group may.
    const std::string device = PortDevice(doc_.settingsPath(), cs_.portName);
    doc_.reporter().ShowMessage(
        WithPermissionHint(WithReason(texts::kOpenPortFailed, device, PortRefusalReason(device)),
                           device, true, kPortGroup),
        UploadIcon(UploadStatus::OpenFailed));
}

void CSerialUploadDlg::ModelChanged() {
    if (Busy() || model->currentIndex() < 0) return;
    cs_.modelIndex = model->currentData().toInt();
    if (!SaveCommSettings(doc_.settingsPath(), cs_))
        ReportSettingsWriteFailed(doc_.reporter(), doc_.settingsPath());
    ReadRange();
}

void CSerialUploadDlg::Upload() {
    if (Busy()) return;
    if (!upload_ || !upload_->RangeKnown()) {
        ReportUpload(UploadStatus::CommFailed, doc_.reporter());
        return;
    }
    // A refused span closed the link; the corrected one must not need a model change first.
    if (!link_.IsOpen() && !link_.Open(cs_, doc_.settingsPath())) {
        TellOpenFailed();
        return;
    }
    UploadChoice choice;
    choice.all = uploadAll->isChecked();
    choice.start = JoinDateAndTime(start.DateFields(), start.TimeFields());
    choice.end = JoinDateAndTime(end.DateFields(), end.TimeFields());
    for (int i = 0; i < channels->count() && i < kMaxChannels; ++i)
        choice.channels[static_cast<std::size_t>(i)] = channels->item(i)->isSelected();
    const UploadStatus prepared = upload_->Prepare(choice);
    if (prepared != UploadStatus::Done) {
        ReportUpload(prepared, doc_.reporter());
        link_.Close();
        return;
    }
    CommSettings now;
    LoadCommSettings(doc_.settingsPath(), now);
    UploadTarget target;
    target.extension = ReadModelList(doc_.settingsPath()).ext;
    target.address = now.address;
    target.home = doc_.home();

    outputPath_.clear();
    progress->setValue(0);
    CSerialUpload* upload = upload_.get();
    worker_.Start(
        this,
        [upload, target, report = QueuedProgress(progress), stop = worker_.StopFlag()] {
            return upload->Run(target, report, stop);
        },
        [this](UploadStatus status) { Finished(status); });
    UpdateControls();
}

void CSerialUploadDlg::Finished(UploadStatus status) {
    // An interrupted port answers nothing until it is opened again, which the next upload does.
    if (link_.port.Interrupted()) link_.Close();
    UpdateControls();
    if (status == UploadStatus::Done) {
        progress->setValue(progress->maximum());
        outputPath_ = upload_->OutputPath();
        doc_.reporter().ShowMessage(texts::kUploadDone, MessageIcon::Information);
        AddMadeFileAndTell(doc_.reporter(), doc_.home(), outputPath_, kSourceUpload,
                           PortDevice(doc_.settingsPath(), cs_.portName));
        return;
    }
    progress->setValue(0);
    if (status == UploadStatus::FileFailed) {
        // The file was to go into Data/: what kept it from there is the second line.
        const std::string data = doc_.dataDirectory();
        doc_.reporter().ShowMessage(
            WithReason(texts::kFileCreateFailed, data, FolderWriteRefusalReason(data)),
            UploadIcon(status));
        return;
    }
    ReportUpload(status, doc_.reporter());
}

void CSerialUploadDlg::reject() {
    if (!Busy()) QDialog::reject();
}

void CSerialUploadDlg::closeEvent(QCloseEvent* event) {
    if (Busy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CSerialUploadDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Read once the dialog is up, so that what the link has to say appears over it.
    QTimer::singleShot(0, this, &CSerialUploadDlg::ReadRange);
}

}  // namespace vardo
