#include "datalist/stat_dlg.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <cstdio>

#include "base/texts.h"
#include "curves/curve_geometry.h"
#include "curves/navigation.h"

namespace vardo {

namespace {

// Dialog units of the 9-point face: one unit is a pixel and a half either way.
QRect Dlu(int x, int y, int w, int h) {
    return QRect(x * 3 / 2, y * 3 / 2, w * 3 / 2, h * 3 / 2);
}

QString U(const char* text) {
    return QString::fromUtf8(text);
}

template <typename Picker>
Picker* MakePicker(QWidget* parent, const QRect& at, const char* format) {
    auto* picker = new Picker(parent);
    picker->setGeometry(at);
    picker->setDisplayFormat(QString::fromLatin1(format));
    // Nothing reads the pickers back: they show, they do not choose.
    picker->setReadOnly(true);
    picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
    return picker;
}

}  // namespace

CStatDlg::CStatDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(U(texts::kStatTitle));
    setFixedSize(Dlu(0, 0, 230, 235).size());
    (new QLabel(U(texts::kStatStart), this))->move(Dlu(8, 12, 0, 0).topLeft());
    (new QLabel(U(texts::kStatEnd), this))->move(Dlu(7, 28, 0, 0).topLeft());
    startDate_ = MakePicker<QDateEdit>(this, Dlu(45, 7, 59, 15), "yyyy-MM-dd");
    endDate_ = MakePicker<QDateEdit>(this, Dlu(45, 25, 59, 15), "yyyy-MM-dd");
    startTime_ = MakePicker<QTimeEdit>(this, Dlu(105, 7, 54, 15), "HH:mm:ss");
    endTime_ = MakePicker<QTimeEdit>(this, Dlu(105, 25, 54, 15), "HH:mm:ss");
    auto* bar = new QProgressBar(this);
    bar->setGeometry(Dlu(7, 45, 99, 14));
    bar->hide();
    auto* compute = new QPushButton(U(texts::kStatCompute), this);
    compute->setGeometry(Dlu(109, 45, 50, 14));
    compute->hide();
    list_ = new QTableWidget(0, 4, this);
    list_->setGeometry(Dlu(7, 65, 216, 145));
    list_->setShowGrid(true);
    list_->verticalHeader()->hide();
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalHeaderLabels(
        {U(texts::kStatChannel), U(texts::kStatMean), U(texts::kStatPeak), U(texts::kStatValley)});
    const int widths[4] = {42, 60, 60, 60};
    for (int c = 0; c < 4; ++c) {
        list_->setColumnWidth(c, widths[c]);
        list_->horizontalHeaderItem(c)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    auto* close = new QPushButton(U(texts::kClose), this);
    close->setGeometry(Dlu(173, 214, 50, 14));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CStatDlg::SetInputs(const DisplaySettings* settings, const HistoryData* history) {
    settings_ = settings;
    history_ = history;
}

void CStatDlg::ComputeStats(int left, int, int right, int) {
    if (settings_ == nullptr || history_ == nullptr) return;
    const DisplaySettings& ds = *settings_;
    const HistoryData& h = *history_;
    const PlotFrame f = FrameOf(ds);
    const int l = left - ds.drawRect.left;
    const int r = right - ds.drawRect.left;
    const SampleSpan span = BandSamples(f, l, r, ds.pixelsPerPoint, h.windowCount);
    result_ = span.Empty() ? StatResult{} : WindowStats(h, span.first, span.last);
    if (result_.counted) {
        statEnd = result_.newest;
        statStart = result_.oldest;
    } else {
        // Nothing under the band: its edges' times, as the readout would show them.
        statEnd = SampleTime(h, PointerToIndex(f, r, ds.pixelsPerPoint));
        statStart = SampleTime(h, PointerToIndex(f, l, ds.pixelsPerPoint));
    }
    const QDateTime start = QDateTime::fromSecsSinceEpoch(statStart);
    const QDateTime end = QDateTime::fromSecsSinceEpoch(statEnd);
    startDate_->setDate(start.date());
    startTime_->setTime(start.time());
    endDate_->setDate(end.date());
    endTime_->setTime(end.time());
    FillTable();
}

void CStatDlg::FillTable() {
    const HistoryData& h = *history_;
    const int rows = std::min<int>(h.channelCount, kMaxChannels);
    list_->setRowCount(rows);
    char name[32];
    for (int ch = 0; ch < rows; ++ch) {
        std::snprintf(name, sizeof name, texts::kColumnChannel, ch + 1);
        list_->setItem(ch, 0, new QTableWidgetItem(U(name)));
        const std::array<std::string, 3> cells = StatCells(h, result_, ch);
        for (int c = 0; c < 3; ++c)
            list_->setItem(ch, c + 1, new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
}

}  // namespace vardo
