#include "cfcard/cf_upload_dlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/archive_auto_add.h"
#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "archive/archive_store.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "cfcard/disk_reader.h"
#include "cfcard/removable_drives.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

QString Formatted(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromUtf8(text);
}

}  // namespace

CCfUploadDlg::CCfUploadDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      findDrives([] { return ListRemovableDrives(); }),
      drives(new QComboBox(this)),
      backups(new QTableWidget(0, 4, this)),
      progress(new QProgressBar(this)),
      detectButton(new QPushButton(UiText(texts::kCardDetect), this)),
      saveButton(new QPushButton(UiText(texts::kCardSave), this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kCfUploadTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(300, 196));
    du.Place(new QLabel(UiText(texts::kCardDrive), this), 7, 10);
    du.Place(drives, 30, 7, 150, 14);
    du.Place(detectButton, 190, 7, 50, 14);
    du.Place(backups, 7, 27, 286, 128);
    du.Place(progress, 7, 160, 286, 10);
    du.Place(saveButton, 178, 176, 55, 14);
    du.Place(closeButton, 238, 176, 55, 14);

    // A path typed here is read like a drive: a `dd` image of a card in a folder.
    drives->setEditable(true);
    drives->setInsertPolicy(QComboBox::NoInsert);
    backups->setHorizontalHeaderLabels(
        {UiText(texts::kCardColumnFile), UiText(texts::kCardColumnAddress),
         UiText(texts::kCardColumnStart), UiText(texts::kCardColumnEnd)});
    const int widths[4] = {45, 40, 130, 130};
    for (int c = 0; c < 4; ++c) backups->setColumnWidth(c, widths[c]);
    backups->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    backups->verticalHeader()->hide();
    backups->setShowGrid(true);
    backups->setSelectionBehavior(QAbstractItemView::SelectRows);
    backups->setSelectionMode(QAbstractItemView::SingleSelection);
    backups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    progress->setTextVisible(false);
    progress->setValue(0);

    connect(detectButton, &QPushButton::clicked, this, [this] {
        if (ListDrives()) Scan();
    });
    connect(drives, &QComboBox::activated, this, [this] { Scan(); });
    connect(drives->lineEdit(), &QLineEdit::returnPressed, this, [this] { Scan(); });
    connect(saveButton, &QPushButton::clicked, this, &CCfUploadDlg::Upload);
    connect(closeButton, &QPushButton::clicked, this, &CCfUploadDlg::reject);
    closeButton->setAutoDefault(false);
    detectButton->setAutoDefault(false);
    saveButton->setAutoDefault(false);
}

CCfUploadDlg::~CCfUploadDlg() {
    worker_.Stop();
}

bool CCfUploadDlg::ListDrives() {
    drives->clear();
    for (const std::string& d : findDrives()) drives->addItem(QString::fromStdString(d));
    if (drives->count() == 0) {
        doc_.reporter().ShowMessage(texts::kCardDetectFailed, MessageIcon::Information);
        return false;
    }
    drives->setCurrentIndex(0);
    return true;
}

void CCfUploadDlg::ShowOpenFailure(const std::string& device) {
    // The system's words, and for a reader the user may not read, who may.
    doc_.reporter().ShowMessage(
        WithPermissionHint(texts::kCardDetectFailed, device, false, kCardGroup),
        MessageIcon::Information);
}

void CCfUploadDlg::Scan() {
    if (Busy()) return;
    backups->setRowCount(0);
    const std::string device = drives->currentText().toStdString();
    if (device.empty()) return;
    CDiskReader reader;
    if (!reader.Open(device)) return ShowOpenFailure(device);
    const Catalogue catalogue = ScanCard(reader);
    if (!catalogue.readable) return ShowOpenFailure(device);
    for (const CatalogueEntry& e : catalogue.entries) {
        if (e.check != BackupCheck::Ok) {
            doc_.reporter().ShowMessage(texts::kCardBackupFaulty, MessageIcon::Error);
            continue;
        }
        const CardBackup& b = e.backup;
        const int row = backups->rowCount();
        backups->insertRow(row);
        const QString cells[4] = {Formatted(texts::kCardFileFormat, b.slot),
                                  Formatted(texts::kCardAddressFormat, b.address),
                                  QString::fromStdString(FormatTime(b.oldestTime)),
                                  QString::fromStdString(FormatTime(b.newestTime))};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // The row keeps its slot: its text is for the eye only.
            item->setData(Qt::UserRole, b.slot);
            backups->setItem(row, c, item);
        }
    }
}

void CCfUploadDlg::Upload() {
    if (Busy()) return;
    const QList<QTableWidgetItem*> selected = backups->selectedItems();
    if (selected.isEmpty()) {
        doc_.reporter().ShowMessage(texts::kCardSelectFile, MessageIcon::Information);
        return;
    }
    const std::string device = drives->currentText().toStdString();
    auto reader = std::make_shared<CDiskReader>();
    if (!reader->Open(device)) return ShowOpenFailure(device);

    ImportRequest request;
    request.slot = selected.front()->data(Qt::UserRole).toInt();
    request.home = doc_.home();
    request.extension = ReadModelList(doc_.settingsPath()).ext;
    request.stop = worker_.StopFlag();
    request.progress = QueuedProgress(progress);
    history_ = HistoryData{};
    detectButton->setEnabled(false);
    saveButton->setEnabled(false);
    drives->setEnabled(false);
    worker_.Start(
        this, [this, reader, request] { return ImportBackup(*reader, request, writer_, history_); },
        [this](ImportResult result) { Finished(result); });
}

void CCfUploadDlg::Finished(ImportResult result) {
    detectButton->setEnabled(true);
    saveButton->setEnabled(true);
    drives->setEnabled(true);
    if (result == ImportResult::Stopped) {
        progress->setValue(0);
        return;
    }
    const bool done = result == ImportResult::Done;
    doc_.reporter().ShowMessage(ImportMessage(result),
                                done ? MessageIcon::Information : MessageIcon::Error);
    if (!done) return;
    AddMadeFileAndTell(doc_.reporter(), doc_.home(), writer_.GetPath(), kSourceCard,
                       drives->currentText().toStdString());
    doc_.OpenPath(writer_.GetPath());
}

void CCfUploadDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    QTimer::singleShot(0, this, [this] {
        if (ListDrives()) Scan();
    });
}

void CCfUploadDlg::reject() {
    // Closing during a copy stops it; the half-made file goes with it.
    worker_.Stop();
    QDialog::reject();
}

}  // namespace vardo
