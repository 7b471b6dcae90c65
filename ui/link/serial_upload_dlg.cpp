#include "link/serial_upload_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/dialog_units.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "link/model_combo.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString RangeText(VTime oldest, VTime newest) {
    const LocalFields o = SplitLocalTime(oldest);
    const LocalFields n = SplitLocalTime(newest);
    char text[160];
    std::snprintf(text, sizeof text, texts::kRangeTextFormat, o.year, o.month, o.day, o.hour,
                  o.minute, o.second, n.year, n.month, n.day, n.hour, n.minute, n.second);
    return QString::fromUtf8(text);
}

}  // namespace

CSerialUploadDlg::CSerialUploadDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      rangeText(new QLabel(Utf8(texts::kRangeLabel), this)),
      channels(new QListWidget(this)),
      model(new QComboBox(this)),
      uploadAll(new QCheckBox(Utf8(texts::kUploadAll), this)),
      start(this),
      end(this),
      progress(new QProgressBar(this)),
      uploadButton(new QPushButton(Utf8(texts::kUpload), this)),
      stopButton(new QPushButton(Utf8(texts::kStop), this)),
      doc_(doc) {
    setWindowTitle(Utf8(texts::kSerialUploadTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(280, 182));
    du.Place(rangeText, 7, 7, 266, 10);
    du.Place(new QGroupBox(Utf8(texts::kUploadChannels), this), 7, 20, 80, 136);
    du.Place(channels, 12, 31, 70, 120);
    du.Place(new QLabel(Utf8(texts::kInstrumentType), this), 95, 24);
    du.Place(model, 135, 21, 138, 13);
    du.Place(uploadAll, 95, 40, 100, 12);
    du.Place(new QGroupBox(Utf8(texts::kTimeSetting), this), 92, 56, 181, 58);
    du.Place(new QLabel(Utf8(texts::kUploadStartLabel), this), 98, 72);
    du.Place(start.date, 135, 70, 70, 13);
    du.Place(start.time, 208, 70, 58, 13);
    du.Place(new QLabel(Utf8(texts::kQueryEndLabel), this), 98, 92);
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
    connect(stopButton, &QPushButton::clicked, this, [this] { stop_ = true; });
    UpdateControls();
}

CSerialUploadDlg::~CSerialUploadDlg() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    if (link_.IsOpen()) link_.Close();
    if (outputPath_.size() > 8) doc_.OpenPath(outputPath_);
}

void CSerialUploadDlg::UpdateControls() {
    const bool pickers = !busy_ && !uploadAll->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(start.date), static_cast<QWidget*>(start.time),
                       static_cast<QWidget*>(end.date), static_cast<QWidget*>(end.time)})
        w->setEnabled(pickers);
    uploadButton->setEnabled(!busy_ && !channels->selectedItems().isEmpty());
    stopButton->setEnabled(busy_);
    model->setEnabled(!busy_);
    uploadAll->setEnabled(!busy_);
    channels->setEnabled(!busy_);
}

void CSerialUploadDlg::ReadRange() {
    if (busy_) return;
    // Lines of a recorder that no longer answers would offer channels nobody has read.
    channels->clear();
    if (!link_.IsOpen() && !link_.Open(cs_, doc_.settingsPath())) {
        // A port the user may not open says which group may.
        doc_.reporter().ShowMessage(
            WithPermissionHint(texts::kOpenPortFailed,
                               PortDevice(doc_.settingsPath(), cs_.portName), true, kPortGroup),
            UploadIcon(UploadStatus::OpenFailed));
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
            std::snprintf(line, sizeof line, texts::kChannelLineFormat, i + 1);
            channels->addItem(QString::fromUtf8(line));
        }
        if (channels->count() > 0) channels->item(0)->setSelected(true);
    }
    UpdateControls();
}

void CSerialUploadDlg::ModelChanged() {
    if (busy_ || model->currentIndex() < 0) return;
    cs_.modelIndex = model->currentData().toInt();
    if (!SaveCommSettings(doc_.settingsPath(), cs_))
        ReportSettingsWriteFailed(doc_.reporter(), doc_.settingsPath());
    ReadRange();
}

void CSerialUploadDlg::Upload() {
    if (busy_) return;
    if (!upload_ || !upload_->RangeKnown()) {
        ReportUpload(UploadStatus::CommFailed, doc_.reporter());
        return;
    }
    // A refused span closed the link; the corrected one must not need a model change first.
    if (!link_.IsOpen() && !link_.Open(cs_, doc_.settingsPath())) {
        ReportUpload(UploadStatus::OpenFailed, doc_.reporter());
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

    busy_ = true;
    stop_ = false;
    outputPath_.clear();
    progress->setValue(0);
    UpdateControls();
    QPointer<CSerialUploadDlg> self(this);
    // The worker reaches the dialog only through queued calls that check it still exists.
    auto report = [self](std::uint32_t done, std::uint32_t total) {
        QMetaObject::invokeMethod(
            self,
            [self, done, total] {
                if (!self) return;
                self->progress->setRange(0, static_cast<int>(total));
                self->progress->setValue(static_cast<int>(done));
            },
            Qt::QueuedConnection);
    };
    CSerialUpload* upload = upload_.get();
    worker_ = std::thread([this, self, upload, target, report] {
        const UploadStatus status = upload->Run(target, report, &stop_);
        QMetaObject::invokeMethod(
            self,
            [self, status] {
                if (self) self->Finished(status);
            },
            Qt::QueuedConnection);
    });
}

void CSerialUploadDlg::Finished(UploadStatus status) {
    if (worker_.joinable()) worker_.join();
    busy_ = false;
    UpdateControls();
    if (status == UploadStatus::Done) {
        progress->setValue(progress->maximum());
        outputPath_ = upload_->OutputPath();
        doc_.reporter().ShowMessage(texts::kUploadDone, MessageIcon::Information);
        return;
    }
    progress->setValue(0);
    ReportUpload(status, doc_.reporter());
}

void CSerialUploadDlg::reject() {
    if (!busy_) QDialog::reject();
}

void CSerialUploadDlg::closeEvent(QCloseEvent* event) {
    if (busy_)
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
