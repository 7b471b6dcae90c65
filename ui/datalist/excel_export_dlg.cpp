#include "datalist/excel_export_dlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "app/dialog_units.h"
#include "app/file_names.h"
#include "app/ui_text.h"
#include "archive/archive_location.h"
#include "base/dialog_integer.h"
#include "base/file_refusal.h"
#include "base/texts.h"

namespace vardo {

namespace {

// Grows by one after each finished export, for the whole run.
int untitledCounter = 1;

QLabel* Label(const char* text, QWidget* parent) {
    return new QLabel(UiText(text), parent);
}

std::string ChooseWithDialog(QWidget* parent, const QString& title, const QString& folder,
                             const QString& name, const QString& filters, QString* selected) {
    const QString chosen =
        QFileDialog::getSaveFileName(parent, title, folder + "/" + name, filters, selected);
    return chosen.isEmpty() ? std::string() : FileNameBytes(chosen);
}

// The formats in the order the save dialog offers them, the first the default.
constexpr std::pair<const char*, ExportFormat> kFormats[] = {
    {texts::kExportFilterXls, ExportFormat::Xls},
    {texts::kExportFilterXlsx, ExportFormat::Xlsx},
    {texts::kExportFilterCsv, ExportFormat::Csv},
};

bool AskWithBox(QWidget* parent, const std::string& path) {
    const QString text = UiText(texts::kReplaceFile).arg(DisplayName(path));
    return QMessageBox::question(parent, UiText(texts::kMessageTitle), text) == QMessageBox::Yes;
}

}  // namespace

CExcelExportDlg::CExcelExportDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      chooseFile(ChooseWithDialog),
      askReplace(AskWithBox),
      span(this, {27, 103, 42, 64, 86}),
      order(new QComboBox(this)),
      exportButton(new QPushButton(UiText(texts::kExportButton), this)),
      progress(new QProgressBar(this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kExcelExportTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(247, 177));
    du.Place(Label(texts::kOrderLabel, this), 50, 112);
    order->addItem(UiText(texts::kOrderNewestFirst));
    order->addItem(UiText(texts::kOrderOldestFirst));
    du.Place(order, 77, 108, 52, 14);
    du.Place(exportButton, 190, 133, 50, 14);
    du.Place(progress, 7, 156, 233, 14);
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    exportButton->setDefault(true);
    connect(exportButton, &QPushButton::clicked, this, &CExcelExportDlg::OnExport);
}

CExcelExportDlg::~CExcelExportDlg() {
    StopWorker();
}

void CExcelExportDlg::OnExport() {
    // A running export keeps what it was given; a second press changes nothing.
    if (busy != 0) return;
    Reporter& reporter = doc_.reporter();
    int step = 1;
    const std::string stepMessage = IntegerFieldMessage(span.StepText(), 1, kMaxRowStep, step);
    if (!stepMessage.empty()) {
        reporter.ShowMessage(stepMessage, MessageIcon::Information);
        return;
    }
    ExportRequest request;
    request.start = span.StartTime();
    request.end = span.EndTime();
    request.step = step;
    request.ascending = order->currentIndex() == 0 ? 0 : 1;
    if (const char* refused =
            CheckExportRange(request.start, request.end, span.fileOldest, span.fileNewest)) {
        reporter.ShowMessage(refused, MessageIcon::Information);
        return;
    }

    const std::string folder = doc_.dataDirectory();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    char name[64];
    std::snprintf(name, sizeof name, UiFormat(texts::kUntitledXls), untitledCounter);
    QStringList filters;
    for (const auto& [filter, format] : kFormats) filters << UiText(filter);
    QString selected = filters.front();
    const std::string chosen = chooseFile(this, UiText(texts::kExcelSaveTitle), DisplayName(folder),
                                          QString::fromUtf8(name), filters.join(";;"), &selected);
    if (chosen.empty()) return;
    request.format = kFormats[std::max<qsizetype>(0, filters.indexOf(selected))].second;
    request.path = ExportPath(chosen, request.format);
    // The save dialog asked about the name chosen, not about the one with its extension added.
    if (request.path != chosen && std::filesystem::exists(request.path, ignored) &&
        !askReplace(this, request.path)) {
        return;
    }

    busy = 1;
    path_ = request.path;
    progress->setRange(0, 1);
    progress->setValue(0);
    // The worker works on a copy of the request and on a job that holds copies of what it
    // reads (a file's whole record, or a span's address and configurations): whatever the
    // document does meanwhile, the worker reads nothing of it.
    worker_.Start(
        this,
        [request, job = MakeExportJob(doc_), show = QueuedProgress(progress),
         stop = worker_.StopFlag()] {
            std::int64_t shown = -1;
            return job->Run(request, [&](std::int64_t done, std::int64_t all) {
                // The bar moves in 1/1000 steps: a message per row would flood the interface.
                const std::int64_t permille = all > 0 ? done * 1000 / all : 0;
                if (permille != shown) {
                    shown = permille;
                    show(static_cast<std::uint32_t>(permille), 1000);
                }
                return !stop->load();
            });
        },
        [this](const ExportJob::Result& result) { Finished(result); });
}

void CExcelExportDlg::Finished(const ExportJob::Result& job) {
    busy = 0;
    if (job.archive != ArchiveStatus::Ok) {
        // Reading the span failed: the export stopped and left nothing.
        doc_.reporter().ShowMessage(
            WithReason(ArchiveStatusMessage(job.archive), job.archiveName, job.archiveError),
            MessageIcon::Error);
        return;
    }
    const ExportResult& result = job.written;
    if (result.outcome == ExportOutcome::Written) {
        ++untitledCounter;
        progress->setRange(0, 1000);
        progress->setValue(1000);
        doc_.reporter().ShowMessage(texts::kExportDone, MessageIcon::Information);
    } else if (result.outcome == ExportOutcome::Failed) {
        doc_.reporter().ShowMessage(
            WithReason(texts::kExcelCreateFailed, path_, ExportFailureReason(result)),
            MessageIcon::Error);
    }
}

void CExcelExportDlg::StopWorker() {
    worker_.Stop();
    busy = 0;
}

void CExcelExportDlg::reject() {
    // The worker notices within a row and removes its unfinished file; only then the dialog
    // goes.
    StopWorker();
    QDialog::reject();
}

}  // namespace vardo
