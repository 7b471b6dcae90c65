#include "datalist/stat_dlg.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <algorithm>
#include <cstdio>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "curves/band_stats.h"

namespace vardo {

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// Nothing reads the pickers back: they show, they do not choose.
void ShowOnly(DateTimePair& pair) {
    for (QAbstractSpinBox* picker :
         {static_cast<QAbstractSpinBox*>(pair.date), static_cast<QAbstractSpinBox*>(pair.time)}) {
        picker->setReadOnly(true);
        picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
    }
    pair.date->setCalendarPopup(false);
}

}  // namespace

CStatDlg::CStatDlg(QWidget* parent) : QDialog(parent), start_(this), end_(this) {
    setWindowTitle(UiText(texts::kStatTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(230, 235));
    du.Place(new QLabel(UiText(texts::kStatStart), this), 8, 12);
    du.Place(new QLabel(UiText(texts::kStatEnd), this), 7, 28);
    du.Place(start_.date, 45, 7, 59, 15);
    du.Place(end_.date, 45, 25, 59, 15);
    du.Place(start_.time, 105, 7, 54, 15);
    du.Place(end_.time, 105, 25, 54, 15);
    ShowOnly(start_);
    ShowOnly(end_);
    auto* bar = new QProgressBar(this);
    du.Place(bar, 7, 45, 99, 14);
    bar->hide();
    auto* compute = new QPushButton(UiText(texts::kStatCompute), this);
    du.Place(compute, 109, 45, 50, 14);
    compute->hide();
    list_ = new QTableWidget(0, 4, this);
    du.Place(list_, 7, 65, 216, 145);
    list_->setShowGrid(true);
    list_->verticalHeader()->hide();
    // Rows as tall as a line of text, and no taller than lets twelve channels fit without
    // scrolling in the list's fixed height.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int line = list_->fontMetrics().height();
    const int room =
        list_->height() - list_->horizontalHeader()->sizeHint().height() - 2 * list_->frameWidth();
    // The style's minimum section would otherwise win over the height asked for.
    list_->verticalHeader()->setMinimumSectionSize(line);
    list_->verticalHeader()->setDefaultSectionSize(
        std::max(line, std::min(line + 4, room / kMaxChannels)));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalHeaderLabels({UiText(texts::kStatChannel), UiText(texts::kStatMean),
                                      UiText(texts::kStatPeak), UiText(texts::kStatValley)});
    // The channel column widens where this font would cut "通道12" short.
    char widest[32];
    std::snprintf(widest, sizeof widest, UiFormat(texts::kColumnChannel), kMaxChannels);
    const int nameWidth = list_->fontMetrics().horizontalAdvance(U(widest)) + 12;
    const int widths[4] = {std::max(42, nameWidth), 60, 60, 60};
    for (int c = 0; c < 4; ++c) {
        list_->setColumnWidth(c, widths[c]);
        list_->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    auto* close = new QPushButton(UiText(texts::kClose), this);
    du.Place(close, 173, 214, 50, 14);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    // The pickers only show: a highlighted field in them would invite typing that does nothing.
    close->setDefault(true);
    close->setFocus();
}

void CStatDlg::SetInputs(const DisplaySettings* settings, const HistoryData* history) {
    settings_ = settings;
    history_ = history;
}

void CStatDlg::ComputeStats(int left, int, int right, int) {
    if (settings_ == nullptr || history_ == nullptr) return;
    const BandStats band = StatsUnderBand(*history_, *settings_, left, right);
    result_ = band.result;
    statStart = band.start;
    statEnd = band.end;
    start_.Set(statStart);
    end_.Set(statEnd);
    FillTable();
}

void CStatDlg::SetSpanResult(const SpanStatResult& result, VTime start, VTime end) {
    statStart = result.stats.counted ? result.stats.oldest : start;
    statEnd = result.stats.counted ? result.stats.newest : end;
    start_.Set(statStart);
    end_.Set(statEnd);
    const int rows = std::min(result.channels, kMaxChannels);
    list_->setRowCount(rows);
    char name[32];
    for (int ch = 0; ch < rows; ++ch) {
        std::snprintf(name, sizeof name, UiFormat(texts::kColumnChannel), ch + 1);
        list_->setItem(ch, 0, new QTableWidgetItem(U(name)));
        const std::array<std::string, 3> cells = SpanStatCells(result, ch);
        for (int c = 0; c < 3; ++c)
            list_->setItem(ch, c + 1, new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
}

void CStatDlg::FillTable() {
    const HistoryData& h = *history_;
    const int rows = std::min<int>(h.channelCount, kMaxChannels);
    list_->setRowCount(rows);
    char name[32];
    for (int ch = 0; ch < rows; ++ch) {
        std::snprintf(name, sizeof name, UiFormat(texts::kColumnChannel), ch + 1);
        list_->setItem(ch, 0, new QTableWidgetItem(U(name)));
        const std::array<std::string, 3> cells = StatCells(h, result_, ch);
        for (int c = 0; c < 3; ++c)
            list_->setItem(ch, c + 1, new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
}

}  // namespace vardo
