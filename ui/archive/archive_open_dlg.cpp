#include "archive/archive_open_dlg.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "app/ui_text.h"
#include "archive/archive_location.h"
#include "archive/span_envelope.h"
#include "base/texts.h"

namespace vardo {

namespace {

constexpr int kCoverageWidth = 240;
constexpr int kCoverageColumn = 6;

// One recorder's coverage: the runs of its records over [first, last], gaps left empty.
class CoverageBar : public QWidget {
  public:
    CoverageBar(std::vector<CoverageRun> runs, QWidget* parent)
        : QWidget(parent), runs_(std::move(runs)) {
        setFixedWidth(kCoverageWidth);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int h = height();
        p.fillRect(0, 4, kCoverageWidth, h - 8, QColor(224, 224, 224));
        for (const CoverageRun& r : runs_)
            p.fillRect(r.start, 4, r.end - r.start + 1, h - 8, QColor(0, 128, 64));
    }

  private:
    std::vector<CoverageRun> runs_;
};

}  // namespace

CArchiveOpenDlg::CArchiveOpenDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent), doc_(doc), start_(this), end_(this) {
    setWindowTitle(UiText(texts::kArchiveOpenTitle));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 7, this);
    QStringList headers;
    for (const char* h : texts::kArchiveColumns) headers << UiText(h);
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setMinimumSize(860, 220);
    layout->addWidget(table_);
    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { SelectRow(row); });

    // The adds of the selected recorder: where its records came from, a live save among them.
    layout->addWidget(new QLabel(UiText(texts::kArchiveSourcesLabel), this));
    sources_ = new QTableWidget(0, 4, this);
    QStringList sourceHeaders;
    for (const char* h : texts::kArchiveSourceColumns) sourceHeaders << UiText(h);
    sources_->setHorizontalHeaderLabels(sourceHeaders);
    sources_->verticalHeader()->hide();
    sources_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sources_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sources_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    sources_->horizontalHeader()->setStretchLastSection(true);
    sources_->setMinimumHeight(140);
    layout->addWidget(sources_);

    auto* picker = new QGridLayout;
    picker->addWidget(new QLabel(UiText(texts::kArchiveStart), this), 0, 0);
    picker->addWidget(start_.date, 0, 1);
    picker->addWidget(start_.time, 0, 2);
    picker->addWidget(new QLabel(UiText(texts::kArchiveEnd), this), 1, 0);
    picker->addWidget(end_.date, 1, 1);
    picker->addWidget(end_.time, 1, 2);
    const char* names[4] = {texts::kArchiveLastDay, texts::kArchiveLastWeek,
                            texts::kArchiveLastMonth, texts::kArchiveAll};
    for (int k = 0; k < 4; ++k) {
        auto* b = new QPushButton(UiText(names[k]), this);
        b->setAutoDefault(false);
        shortcuts_[static_cast<std::size_t>(k)] = b;
        picker->addWidget(b, k / 2, 3 + k % 2);
        connect(b, &QPushButton::clicked, this,
                [this, k] { ApplyShortcut(static_cast<SpanShortcut>(k)); });
    }
    picker->setColumnStretch(5, 1);
    layout->addLayout(picker);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ok_ = new QPushButton(UiText(texts::kOk), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(UiText(texts::kCancel), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &CArchiveOpenDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool CArchiveOpenDlg::Load() {
    url_ = ResolveArchiveUrl(doc_.home(), doc_.settingsPath(), {});
    const std::string& url = url_;
    ArchiveOpen open = OpenArchive(url, false);
    ArchiveStatus status = open.status;
    if (status == ArchiveStatus::Ok) {
        store_ = std::move(open.store);
        status = store_->Recorders(recorders_);
    }
    if (status == ArchiveStatus::Ok) status = store_->Sources(allSources_);
    if (status != ArchiveStatus::Ok) {
        doc_.reporter().ShowMessage(ArchiveDisplayName(url) + ": " + ArchiveStatusMessage(status),
                                    MessageIcon::Information);
        return false;
    }
    table_->setRowCount(static_cast<int>(recorders_.size()));
    for (int row = 0; row < static_cast<int>(recorders_.size()); ++row) {
        const RecorderSummary& r = recorders_[static_cast<std::size_t>(row)];
        char address[16];
        std::snprintf(address, sizeof address, UiFormat(texts::kArchiveAddressFormat),
                      r.key.address);
        const std::string cells[6] = {r.key.site,          address,
                                      r.key.model,         std::to_string(r.channelCount),
                                      FormatTime(r.first), FormatTime(r.last)};
        for (int c = 0; c < 6; ++c)
            table_->setItem(row, c, new QTableWidgetItem(QString::fromStdString(cells[c])));
        // The bar is the envelope's columns at its width: an empty column is a gap.
        SpanConfigs configs;
        Envelope e;
        std::vector<CoverageRun> runs;
        if (configs.Load(*store_, r.id) == ArchiveStatus::Ok &&
            SpanEnvelope(*store_, r.id, configs, r.first, r.last, kCoverageWidth, e) ==
                ArchiveStatus::Ok)
            runs = CoverageRuns(e);
        table_->setCellWidget(row, kCoverageColumn, new CoverageBar(std::move(runs), table_));
    }
    table_->setColumnWidth(kCoverageColumn, kCoverageWidth);
    if (!recorders_.empty()) table_->selectRow(0);
    SelectRow(recorders_.empty() ? -1 : 0);
    return true;
}

void CArchiveOpenDlg::SelectRow(int row) {
    ok_->setEnabled(row >= 0 && row < static_cast<int>(recorders_.size()));
    const std::vector<SourceInfo> shown =
        ok_->isEnabled()
            ? RecorderSources(allSources_, recorders_[static_cast<std::size_t>(row)].id)
            : std::vector<SourceInfo>{};
    sources_->setRowCount(static_cast<int>(shown.size()));
    for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
        const SourceInfo& s = shown[static_cast<std::size_t>(i)];
        // The way it came is the program's word; the rest is data.
        const QString cells[4] = {QString::fromStdString(FormatTime(s.addedAt)),
                                  UiText(SourceHowText(s.how).c_str()), QString::number(s.records),
                                  QString::fromStdString(s.path)};
        for (int c = 0; c < 4; ++c) sources_->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    for (QPushButton* b : shortcuts_) b->setEnabled(ok_->isEnabled());
    if (ok_->isEnabled()) ApplyShortcut(SpanShortcut::All);
}

void CArchiveOpenDlg::ApplyShortcut(SpanShortcut which) {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(recorders_.size())) return;
    const RecorderSummary& r = recorders_[static_cast<std::size_t>(row)];
    const SpanWindow w = ShortcutSpan(which, r.first, r.last);
    start_.Set(w.from);
    end_.Set(w.to);
}

void CArchiveOpenDlg::accept() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(recorders_.size()) || !store_) return;
    const VTime from = JoinDateAndTime(start_.DateFields(), start_.TimeFields());
    const VTime to = JoinDateAndTime(end_.DateFields(), end_.TimeFields());
    if (from > to) {
        doc_.reporter().ShowMessage(texts::kStartBeforeEnd, MessageIcon::Information);
        return;
    }
    if (doc_.OpenSpan(std::move(store_), recorders_[static_cast<std::size_t>(row)], from, to,
                      url_) == 0) {
        // The store went with the attempt; the dialog cannot go on without one.
        QDialog::reject();
        return;
    }
    QDialog::accept();
}

void CArchiveOpenDlg::Run(CVardoDoc& doc, QWidget* parent) {
    CArchiveOpenDlg dlg(doc, parent);
    if (!dlg.Load()) return;
    dlg.exec();
}

}  // namespace vardo
