#include "collect/collect_run_dlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "app/collect_archive.h"
#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

enum Column { kName, kProgress, kAdded, kResult, kColumns };

QString Lines(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) out << Utf8(l);
    return out.join(QLatin1Char('\n'));
}

}  // namespace

CCollectRunDlg::CCollectRunDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      table(new QTableWidget(0, kColumns, this)),
      status(new QLabel(this)),
      stopButton(new QPushButton(UiText(texts::kStop), this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kCollectNow));
    const DialogUnits du(this);
    setFixedSize(du.Size(360, 190));
    du.Place(table, 7, 7, 346, 140);
    du.Place(status, 7, 152, 346, 12);
    du.Place(stopButton, 245, 169, 50, 14);
    du.Place(closeButton, 303, 169, 50, 14);
    QStringList headers;
    for (const char* h : {texts::kCollectColumnName, texts::kCollectColumnProgress,
                          texts::kCollectColumnAdded, texts::kCollectColumnResult})
        headers << UiText(h);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(kName, du.Size(50, 0).width());
    table->setColumnWidth(kProgress, du.Size(70, 0).width());
    table->setColumnWidth(kAdded, du.Size(35, 0).width());
    status->setWordWrap(true);
    stopButton->setAutoDefault(false);
    connect(stopButton, &QPushButton::clicked, this, &CCollectRunDlg::Stop);
    connect(closeButton, &QPushButton::clicked, this, &CCollectRunDlg::reject);
}

CCollectRunDlg::~CCollectRunDlg() {
    stop_ = true;
    Join();
}

void CCollectRunDlg::Join() {
    if (thread_.joinable()) thread_.join();
}

void CCollectRunDlg::Start() {
    if (running_) return;
    Join();
    const RecorderList list = ReadRecorderList(doc_.settingsPath());
    recorders_ = list.recorders;
    results_.clear();
    bars_.clear();
    table->setRowCount(static_cast<int>(recorders_.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        table->setItem(row, kName,
                       new QTableWidgetItem(Utf8(recorders_[static_cast<std::size_t>(row)].name)));
        auto* bar = new QProgressBar(table);
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setTextVisible(false);
        table->setCellWidget(row, kProgress, bar);
        bars_.push_back(bar);
        table->setItem(row, kAdded, new QTableWidgetItem());
        table->setItem(row, kResult, new QTableWidgetItem(UiText(texts::kCollectWaiting)));
    }
    std::vector<std::string> problems;
    for (const RecorderProblem& p : list.problems) problems.push_back(ProblemLine(p));
    status->setText(Lines(problems));
    stop_ = false;
    running_ = true;
    stopButton->setEnabled(true);

    QPointer<CCollectRunDlg> self(this);
    const std::string home = doc_.home();
    const std::string settings = doc_.settingsPath();
    thread_ = std::thread([this, self, home, settings, recorders = recorders_] {
        std::vector<std::string> failure;
        std::vector<CollectResult> results;
        ArchiveOpen open = OpenCollectArchive(home, settings, {}, failure);
        if (open.status == ArchiveStatus::Ok) {
            CollectSetup setup;
            setup.settingsPath = settings;
            setup.home = home;
            setup.archive = open.store.get();
            setup.addFile = AddCollectedFile;
            // Workers reach the dialog only through queued calls that first check it is there.
            results = RunCollection(
                recorders, setup,
                [self](std::size_t row, std::uint32_t done, std::uint32_t total) {
                    QMetaObject::invokeMethod(
                        self,
                        [self, row, done, total] {
                            if (self) self->Progress(row, done, total);
                        },
                        Qt::QueuedConnection);
                },
                [self](std::size_t row, const CollectResult& r) {
                    QMetaObject::invokeMethod(
                        self,
                        [self, row, r] {
                            if (self) self->Done(row, r);
                        },
                        Qt::QueuedConnection);
                },
                &stop_);
        }
        QMetaObject::invokeMethod(
            self,
            [self, results, failure] {
                if (self) self->Finished(results, failure);
            },
            Qt::QueuedConnection);
    });
}

void CCollectRunDlg::Stop() {
    stop_ = true;
    stopButton->setEnabled(false);
}

void CCollectRunDlg::reject() {
    if (!running_) {
        QDialog::reject();
        return;
    }
    // The uploads end between blocks; the dialog goes once they have.
    closeWhenDone_ = true;
    Stop();
}

void CCollectRunDlg::Progress(std::size_t row, std::uint32_t done, std::uint32_t total) {
    if (row >= bars_.size()) return;
    bars_[row]->setRange(0, static_cast<int>(total == 0 ? 1 : total));
    bars_[row]->setValue(static_cast<int>(total == 0 ? 1 : done));
    table->item(static_cast<int>(row), kResult)->setText(QString());
}

void CCollectRunDlg::Done(std::size_t row, const CollectResult& r) {
    if (row >= bars_.size()) return;
    const int i = static_cast<int>(row);
    if (r.collected) {
        bars_[row]->setRange(0, 1);
        bars_[row]->setValue(1);
        table->item(i, kAdded)->setText(QString::number(r.added));
    }
    // One line a row: the file's name or the failure, then the warnings; the tip holds it all.
    std::vector<std::string> lines;
    if (r.collected) {
        lines.push_back(r.path.empty() ? std::string(texts::kCollectNothingNew)
                                       : std::filesystem::path(r.path).filename().string());
    } else {
        lines = r.failure;
    }
    lines.insert(lines.end(), r.warnings.begin(), r.warnings.end());
    QStringList shown;
    for (const std::string& l : lines) shown << UiMessage(l);
    table->item(i, kResult)->setText(shown.join(UiText(QT_TRANSLATE_NOOP("vardo", "；"))));
    if (!r.path.empty()) lines.insert(lines.begin(), r.path);
    table->item(i, kResult)->setToolTip(Lines(lines));
    table->item(i, kResult)
        ->setForeground(r.collected && r.warnings.empty() ? palette().text()
                                                          : QBrush(QColor(0xB0, 0, 0)));
}

void CCollectRunDlg::Finished(const std::vector<CollectResult>& results,
                              const std::vector<std::string>& failure) {
    Join();
    running_ = false;
    results_ = results;
    stopButton->setEnabled(false);
    if (!failure.empty()) status->setText(Lines(failure));
    if (closeWhenDone_) QDialog::reject();
}

}  // namespace vardo
