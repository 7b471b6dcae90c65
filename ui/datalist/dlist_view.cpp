#include "datalist/dlist_view.h"

#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cstdio>

#include "app/app_printer.h"
#include "app/command_ids.h"
#include "app/file_names.h"
#include "app/main_frame.h"
#include "app/ui_text.h"
#include "archive/archive_location.h"
#include "base/texts.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/list_print_layout.h"
#include "datalist/progress_dlg.h"
#include "datalist/range_set_dlg.h"
#include "history/file_browse_dlg.h"

namespace vardo {

namespace {

constexpr int kNumberWidth = 50;
constexpr int kTimeWidth = 150;
constexpr int kChannelWidth = 50;
constexpr int kPrintPoints = 10;

}  // namespace

CDListView::CDListView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : QTableView(parent), doc_(doc), frame_(frame), model_(doc) {
    setModel(&model_);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    // Every row as high as the font: the view then never measures rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setDefaultSectionSize(kChannelWidth);
    horizontalHeader()->setStretchLastSection(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    doc_.AddView(this);
    Handle(cmd::kFileBrowser, [this] { CFileBrowseDlg::Run(doc_, this); });

    const Rule open = WhileCurvesShown(doc_);
    Handle(
        cmd::kOrderAscending, [this] { SetAscending(1); }, {}, [this] { return ascending == 1; });
    Handle(
        cmd::kOrderDescending, [this] { SetAscending(0); }, {}, [this] { return ascending == 0; });
    Handle(
        cmd::kRangeSet, [this] { OnRangeSet(); }, open);
    Handle(
        cmd::kExport, [this] { OnExport(); }, open);
    Handle(
        cmd::kPrint, [this] { OnPrint(); }, open);
    Handle(
        cmd::kPrintPreview, [this] { OnPrintPreview(); }, open);
}

CDListView::~CDListView() {
    doc_.RemoveView(this);
    // Leaving the list closes the file, as leaving the curves does.
    doc_.LeaveView();
}

void CDListView::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    // Not in the constructor: the view that leaves closes the file only after this one exists.
    if (!initialised_) OnInitialUpdate();
}

void CDListView::OnInitialUpdate() {
    initialised_ = true;
    if (!doc_.ShowsCurves()) doc_.ReopenLastFile();
    ShowNewest200();
}

void CDListView::ShowNewest200() {
    model_.InsertColumns();
    setColumnWidth(0, kNumberWidth);
    setColumnWidth(1, kTimeWidth);
    // Both ways of showing the newest records start again at every record.
    rowStep = 1;
    if (model_.Rows() != nullptr && model_.Rows()->Readable()) {
        CProgressDlg box(frame_);
        box.Begin(UiText(texts::kReadingData), 0, 1);
        Shown(model_.FillNewest(ascending), 1);
        box.SetPos(1);
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CDListView::OnDocumentUpdate(int hint) {
    if (hint == kHintOpened && doc_.ShowsCurves()) {
        model_.DeleteColumns();
        ShowNewest200();
    } else if (hint == kHintFailed) {
        model_.DeleteRows();
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CDListView::FillRows(VTime start, VTime end, int step) {
    if (model_.Rows() == nullptr || !model_.Rows()->Readable()) return;
    // Rows are made when shown, so the box is up only for a moment; it still says what happens.
    CProgressDlg box(frame_);
    box.Begin(UiText(texts::kReadingData), 0, 1);
    Shown(model_.Fill(start, end, step, ascending), step);
    box.SetPos(1);
}

void CDListView::Shown(const ListFill& fill, int step) {
    if (fill.status != ArchiveStatus::Ok) {
        doc_.reporter().ShowMessage(ArchiveStatusMessage(fill.status), MessageIcon::Error);
        return;
    }
    rowStart = fill.rowStart;
    rowEnd = fill.rowEnd;
    if (frame_ != nullptr) {
        frame_->SetStatusText(1, QString::asprintf(UiFormat(texts::kRecordIntervals), step));
    }
}

void CDListView::SetAscending(int value) {
    if (ascending == value) return;
    ascending = value;
    FillRows(rowStart, rowEnd, rowStep);
}

void CDListView::OnRangeSet() {
    const ListRows* rows = model_.Rows();
    if (rows == nullptr) return;
    const std::optional<RangeChoice> choice = CRangeSetDlg::Ask(
        this, doc_.reporter(), rows->Oldest(), rows->Newest(), {rowStart, rowEnd, rowStep});
    if (!choice) return;
    rowStart = choice->start;
    rowEnd = choice->end;
    rowStep = choice->step;
    FillRows(rowStart, rowEnd, rowStep);
}

void CDListView::OnExport() {
    const ListRows* rows = model_.Rows();
    if (rows == nullptr) return;
    CExcelExportDlg dlg(doc_, this);
    dlg.span.SetFileRange(rows->Oldest(), rows->Newest());
    dlg.span.SetRange(rowStart, rowEnd, rowStep);
    if (exportDialogShown) exportDialogShown(dlg);
    dlg.exec();
}

void CDListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CDListView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CDListView::dropEvent(QDropEvent* event) {
    const std::string path = DroppedFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    doc_.OpenPath(path);
}

bool CDListView::PrintPages(QPrinter& printer, int from, int to) {
    const ListRows* source = model_.Rows();
    if (source == nullptr) return false;
    const int rows = model_.rowCount();
    const ListPrintPlan plan = PlanListPrint(source->PrintChannels(), rows);
    if (from <= 0) from = 1;
    if (to <= 0 || to > plan.pages) to = plan.pages;
    const QDateTime now = QDateTime::currentDateTime();
    char printTime[64];
    std::snprintf(printTime, sizeof printTime, UiFormat(texts::kPrintTimeFormat), now.date().year(),
                  now.date().month(), now.date().day(), now.time().hour(), now.time().minute());

    QPainter p;
    if (!p.begin(&printer)) return false;
    const QRect area(0, 0, printer.width(), printer.height());
    // 10 points on paper, whatever the printer's resolution and the page's stretch.
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(std::max(1, kPrintPoints * printer.logicalDpiY() * kListPageUnits /
                                      (72 * std::max(1, area.height()))));
    for (int page = from; page <= to; ++page) {
        if (page > from) printer.newPage();
        p.save();
        p.setViewport(area);
        p.setWindow(0, 0, kListPageUnits, kListPageUnits);
        p.setFont(font);
        p.setPen(QPen(Qt::black, 2));
        const ListPage layout =
            LayoutListPage(source->Channels(), plan, rows, page, source->Title(), printTime);
        for (const PrintLine& l : layout.lines) p.drawLine(l.x1, l.y1, l.x2, l.y2);
        for (const PrintText& t : layout.texts) {
            const QString text = t.row >= 0
                                     ? QString::fromStdString(model_.CellText(t.row, t.column))
                                     : UiMessage(t.text);
            if (t.centred) {
                p.drawText(QRect(t.left, t.top, t.right - t.left, t.bottom - t.top),
                           Qt::AlignCenter | Qt::TextSingleLine, text);
            } else {
                p.drawText(QRect(t.left, t.top, kListPageUnits, kListPageUnits),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            }
        }
        p.restore();
    }
    return p.end();
}

void CDListView::OnPrint() {
    QPrinter& printer = AppPrinter();
    printer.setPageOrientation(QPageLayout::Portrait);
    const ListRows* rows = model_.Rows();
    if (rows == nullptr) return;
    const ListPrintPlan plan = PlanListPrint(rows->PrintChannels(), model_.rowCount());
    QPrintDialog dlg(&printer, this);
    dlg.setMinMax(1, plan.pages);
    dlg.setFromTo(1, plan.pages);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dlg.exec() != QDialog::Accepted) return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    PrintPages(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

void CDListView::OnPrintPreview() {
    QPrinter& printer = AppPrinter();
    printer.setPageOrientation(QPageLayout::Portrait);
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintPages(*target); });
    dlg.exec();
}

}  // namespace vardo
