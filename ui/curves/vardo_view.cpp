#include "curves/vardo_view.h"

#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "app/app_printer.h"
#include "app/command_ids.h"
#include "app/file_names.h"
#include "app/main_frame.h"
#include "app/ui_text.h"
#include "archive/archive_location.h"
#include "archive/span_rank.h"
#include "base/texts.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "curves/scroll_bitmaps.h"
#include "curves/set_panel.h"
#include "curves/span_geometry.h"
#include "curves/span_stats_run.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/pos_query_dlg.h"
#include "datalist/stat_dlg.h"
#include "history/file_browse_dlg.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

// On paper the strip right of the picture is as wide as the settings panel, shown or not.
constexpr int kPrintStripWidth = 160;
// Rows copied to the window at a time.
constexpr int kBlitRows = 64;

bool Contains(const Rect& r, QPoint p) {
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The image under p when one-pixel lines may be set straight into its memory: a 32-bit image,
// no transform, no clip. Curves are thousands of short segments, and setting their pixels
// directly costs a fraction of stroking them.
QImage* DirectTarget(QPainter& p, int penWidth) {
    if (penWidth > 1 || p.hasClipping() || !p.transform().isIdentity()) return nullptr;
    auto* img = dynamic_cast<QImage*>(p.device());
    if (img == nullptr) return nullptr;
    const QImage::Format f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    return img;
}

// Pixels of a 32-bit image, fetched once: the image's own accessors check and detach per call.
struct Pixels {
    explicit Pixels(QImage& img)
        : bits(img.bits()), stride(img.bytesPerLine()), w(img.width()), h(img.height()) {}
    QRgb* Row(int y) const {
        return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride);
    }
    void Set(int x, int y, QRgb c) const {
        if (x >= 0 && y >= 0 && x < w && y < h) Row(y)[x] = c;
    }
    void Xor(int x, int y, QRgb c) const {
        if (x >= 0 && y >= 0 && x < w && y < h) Row(y)[x] ^= c;
    }
    uchar* bits;
    qsizetype stride;
    int w, h;
};

// The band [left, right) x [top, bottom) mixed in by exclusive-or, and its outline one pixel
// beyond on the right and at the bottom: what the painter gives for drawRect with this brush and
// a one-pixel pen in that mode.
void XorBand(const Pixels& img, int left, int top, int right, int bottom, QRgb fill, QRgb pen) {
    fill &= 0x00FFFFFFu;
    pen &= 0x00FFFFFFu;
    for (int y = std::max(top, 0); y < std::min(bottom, img.h); ++y) {
        QRgb* row = img.Row(y);
        for (int x = std::max(left, 0); x < std::min(right, img.w); ++x) row[x] ^= fill;
    }
    for (int x = left; x <= right; ++x) {
        img.Xor(x, top, pen);
        img.Xor(x, bottom, pen);
    }
    for (int y = top + 1; y < bottom; ++y) {
        img.Xor(left, y, pen);
        img.Xor(right, y, pen);
    }
}

// A line from a to b without its end pixel, as the platform's line drawing has always done.
void LineWithoutEnd(const Pixels& img, QPoint a, QPoint b, QRgb c) {
    const int dx = std::abs(b.x() - a.x());
    const int dy = -std::abs(b.y() - a.y());
    const int sx = a.x() < b.x() ? 1 : -1;
    const int sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy;
    int x = a.x();
    int y = a.y();
    while (x != b.x() || y != b.y()) {
        img.Set(x, y, c);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// A side line of the printed page, at most room long: a long path would run off the sheet, so
// the font shrinks to fit, and below a legible size the path loses its middle instead.
void DrawSideLine(QPainter& p, const QString& text, int room) {
    constexpr int kFull = 14;
    constexpr int kSmallest = 6;
    int px = kFull;
    p.setFont(SongFont(px, 300));
    while (px > kSmallest && QFontMetricsF(p.font(), p.device()).horizontalAdvance(text) > room)
        p.setFont(SongFont(--px, 300));
    const QFontMetricsF m(p.font(), p.device());
    p.drawText(QPointF(0, m.ascent()),
               m.horizontalAdvance(text) > room ? m.elidedText(text, Qt::ElideMiddle, room) : text);
}

}  // namespace

CVardoView::CVardoView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : QWidget(parent), doc_(doc), frame_(frame) {
    settings = &doc_.displaySettings;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    scrollTimer_ = new QTimer(this);
    scrollTimer_->setInterval(1);
    connect(scrollTimer_, &QTimer::timeout, this, [this] {
        if (scrollOlder != 0)
            Back();
        else
            Forward();
    });
    const Rule open = WhileCurvesShown(doc_);
    Handle(
        cmd::kForward, [this] { Forward(); }, open);
    Handle(
        cmd::kBack, [this] { Back(); }, open);
    Handle(
        cmd::kZoomIn, [this] { ZoomIn(); }, open);
    Handle(
        cmd::kZoomOut, [this] { ZoomOut(); }, open);
    Handle(
        cmd::kActualSize, [this] { ActualSize(); }, open);
    Handle(
        cmd::kPositionQuery, [this] { PositionQuery(); }, open);
    Handle(
        cmd::kExport, [this] { Export(); }, open);
    Handle(
        cmd::kPrint, [this] { OnPrint(true); }, open);
    Handle(
        cmd::kPrintPreview, [this] { OnPrintPreview(); }, open);
    Handle(
        cmd::kStatistics, [this] { Statistics(); },
        [this] { return selRect.right - selRect.left > 0; });
    doc_.AddView(this);
    Handle(cmd::kFileBrowser, [this] { CFileBrowseDlg::Run(doc_, this); });
    Handle(
        cmd::kSettingsPanel, [this] { TogglePanel(); }, {}, [this] { return panelShown != 0; });
}

CVardoView::~CVardoView() {
    doc_.RemoveView(this);
    // Leaving the curve view closes the file; this also saves the display settings.
    doc_.LeaveView();
}

void CVardoView::OnDocumentUpdate(int hint) {
    if (hint == kHintOpened) {
        if (panel != nullptr) {
            panel->RefreshChannels();
            panel->SetSpanShown(doc_.span != nullptr);
        }
        BuildShownWindow();
        Redraw();
        UpdateZoomText();
    } else if (hint == kHintFailed) {
        settings->layoutDirty = 1;
        workReady_ = false;
        update();
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::ClearSelection() {
    selRect = {};
    dragPoint = anchorPoint;
}

void CVardoView::Rebuild() {
    BuildShownWindow();
    Redraw();
}

void CVardoView::BuildShownWindow() {
    if (doc_.span) {
        if (ArchiveStatus s = doc_.span->BuildWindow(SpanColumns(FrameOf(*settings)));
            s != ArchiveStatus::Ok)
            doc_.reporter().ShowMessage(ArchiveStatusMessage(s), MessageIcon::Error);
    } else if (doc_.dataValid != 0) {
        doc_.BuildWindow();
    }
}

void CVardoView::MoveSpan(const SpanWindow& w) {
    ClearSelection();
    doc_.span->window = w;
    Rebuild();
    UpdateZoomText();
}

void CVardoView::Scroll(bool older) {
    if (doc_.span) {
        MoveSpan(ScrollSpan(doc_.span->window, doc_.span->All(), scrollMultiplier, older));
        return;
    }
    if (doc_.dataValid == 0) return;
    ClearSelection();
    HistoryData& h = doc_.history;
    h.windowStart = ScrollWindowStart(h.windowStart, h.windowStep, scrollMultiplier, older);
    Rebuild();
}

void CVardoView::Forward() {
    Scroll(false);
}

void CVardoView::Back() {
    Scroll(true);
}

void CVardoView::SetZoom(const Zoom& z) {
    if (doc_.dataValid == 0) return;
    doc_.history.windowStep = z.windowStep;
    settings->pixelsPerPoint = z.pixelsPerPoint;
    ClearSelection();
    Rebuild();
    UpdateZoomText();
}

void CVardoView::ZoomIn() {
    if (doc_.span) {
        // Finer than one record per column only spreads the records apart.
        const VTime finest =
            static_cast<VTime>(SpanColumns(FrameOf(*settings))) * doc_.span->MinStep();
        MoveSpan(ZoomSpanIn(doc_.span->window, doc_.span->All(), finest));
        return;
    }
    SetZoom(vardo::ZoomIn({doc_.history.windowStep, settings->pixelsPerPoint}));
}

void CVardoView::ZoomOut() {
    if (doc_.span) {
        MoveSpan(ZoomSpanOut(doc_.span->window, doc_.span->All()));
        return;
    }
    const HistoryData& h = doc_.history;
    SetZoom(vardo::ZoomOut({h.windowStep, settings->pixelsPerPoint}, h.newestTime - h.oldestTime,
                           IntervalSeconds(h), FrameOf(*settings).W()));
}

void CVardoView::ActualSize() {
    // A span's actual size is all of it: the view that the envelope was made for.
    if (doc_.span) {
        MoveSpan(doc_.span->All());
        return;
    }
    SetZoom({1, 1});
}

WindowEdges CVardoView::Edges() const {
    return WindowEdgeTimes(doc_.history, FrameOf(*settings), settings->pixelsPerPoint);
}

void CVardoView::PositionQuery() {
    if (doc_.span) {
        const SpanWindow all = doc_.span->All();
        const std::optional<VTime> back =
            CPosQueryDlg::Ask(this, doc_.reporter(), all.from, all.to, doc_.span->window.to);
        if (back) MoveSpan(SpanWindowEndingAt(doc_.span->window, all, *back));
        return;
    }
    if (doc_.dataValid == 0) return;
    const HistoryData& h = doc_.history;
    const std::optional<VTime> back =
        CPosQueryDlg::Ask(this, doc_.reporter(), h.oldestTime, h.newestTime, Edges().right);
    if (!back) return;
    // The chosen moment becomes the plot's right edge.
    doc_.history.windowStart = QueryWindowStart(*back, IntervalSeconds(h));
    Rebuild();
}

void CVardoView::Statistics() {
    if (doc_.span) {
        SpanStatistics();
        return;
    }
    CStatDlg dlg(this);
    dlg.SetInputs(settings, &doc_.history);
    dlg.ComputeStats(selRect.left, selRect.top, selRect.right, selRect.bottom);
    dlg.exec();
}

void CVardoView::Export() {
    if (doc_.span) {
        // The span's records bound the range as a file's do; the window is the range proposed.
        VTime first = 0;
        VTime last = 0;
        if (ArchiveStatus s = SpanRecordBounds(*doc_.span, first, last); s != ArchiveStatus::Ok) {
            doc_.reporter().ShowMessage(ArchiveStatusMessage(s), MessageIcon::Error);
            return;
        }
        CExcelExportDlg dlg(doc_, this);
        dlg.span.SetFileRange(first, last);
        dlg.span.SetRange(std::max(doc_.span->window.from, first),
                          std::min(doc_.span->window.to, last), 1);
        if (exportDialogShown) exportDialogShown(dlg);
        dlg.exec();
        return;
    }
    const HistoryData& h = doc_.history;
    CExcelExportDlg dlg(doc_, this);
    dlg.span.SetFileRange(h.oldestTime, h.newestTime);
    // What the plot shows is what the user most likely wants written out.
    const WindowEdges edges = Edges();
    dlg.span.SetRange(edges.left, edges.right, std::max(h.windowStep, 1));
    if (exportDialogShown) exportDialogShown(dlg);
    dlg.exec();
}

QPoint CVardoView::HeldPoint(QPoint point) const {
    if (!confined_) return point;
    int x = point.x();
    int y = point.y();
    ClampIntoRect(confinement_, x, y);
    return {x, y};
}

void CVardoView::ShowReadout(QPoint point) {
    if (workSurface.isNull()) return;
    const DisplaySettings& ds = *settings;
    const PlotFrame f = FrameOf(ds);
    const int x = ClampPointerX(f, point.x() - ds.drawRect.left);
    CopyStaticToWork();
    {
        QPainter p(&workSurface);
        DrawValueLegend(p, ds, PointerToIndex(f, x, ds.pixelsPerPoint));
        DrawCursor(p, ds, QPoint(x + ds.drawRect.left, point.y()));
    }
    ShowWork();
}

void CVardoView::StopAutoScroll() {
    scrollTimer_->stop();
    autoScrolling = 0;
    scrollMultiplier = 1;
}

void CVardoView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (Contains(settings->plotRect, point)) {
            ClearSelection();
            cursorArmed = 1;
            confinement_ = PointerConfinement(settings->plotRect);
            confined_ = true;
            grabMouse();
            ShowReadout(HeldPoint(point));
        }
        if (autoScrolling != 0) StopAutoScroll();
        static constexpr int kMove[4] = {-1, 1, -1, 1};
        for (int k = 0; k < 4; ++k) {
            if (!Contains(buttonRects[k], point)) continue;
            (k < 2 ? upperFirst : lowerFirst) += kMove[k];
            Redraw();
        }
    } else if (event->button() == Qt::RightButton && Contains(settings->plotRect, point)) {
        anchorPoint = point;
        rightDragging = 1;
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (confined_) releaseMouse();
        confined_ = false;
        if (autoScrolling != 0) {
            StopAutoScroll();
            unsetCursor();
        }
    } else if (event->button() == Qt::RightButton) {
        rightDragging = 0;
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = HeldPoint(event->position().toPoint());
    const DisplaySettings& ds = *settings;
    const bool leftOnly = event->buttons() == Qt::LeftButton &&
                          (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) == 0;
    const bool dragging = cursorArmed != 0 && leftOnly;
    // Readout, band and buttons all land on the work surface first: the window gets one copy
    // per move, not one per overlay.
    bool drawn = false;
    inPaint_ = true;
    if (dragging && autoScrolling == 0) {
        ShowReadout(point);
        drawn = true;
    }
    const int wasScrolling = autoScrolling;
    const AutoScroll next =
        AutoScrollOnMove(FrameOf(ds), {autoScrolling, scrollOlder, scrollMultiplier},
                         point.x() - ds.drawRect.left, dragging);
    autoScrolling = next.autoScrolling;
    scrollOlder = next.scrollOlder;
    scrollMultiplier = next.scrollMultiplier;
    if (autoScrolling != 0) {
        if (wasScrolling == 0) scrollTimer_->start();
        setCursor(ScrollPointer(scrollOlder != 0 ? kPointerOlder : kPointerNewer));
    } else if (wasScrolling != 0) {
        scrollTimer_->stop();
        unsetCursor();
    }
    if (rightDragging != 0) {
        dragPoint = event->position().toPoint();
        DrawSelection();
        drawn = true;
    }
    if (!workSurface.isNull() && doc_.ShowsCurves()) {
        QPainter p(&workSurface);
        DrawScrollButtons(p, ds, {0, 0, 0, 0});
        for (int k = 0; k < 4; ++k) {
            if (!Contains(buttonRects[k], point)) continue;
            std::array<int, 4> lit{0, 0, 0, 0};
            lit[k] = 1;
            DrawScrollButtons(p, ds, lit);
        }
        drawn = true;
    }
    inPaint_ = false;
    if (drawn) ShowWorkChanges();
}

void CVardoView::wheelEvent(QWheelEvent* event) {
    const DisplaySettings& ds = *settings;
    const QPoint point = event->position().toPoint();
    const WheelRegion region =
        WheelRegionAt(FrameOf(ds), point.x() - ds.drawRect.left, point.y() - ds.drawRect.top);
    event->accept();
    if (region == WheelRegion::None) return;
    const int rows = wheel_.Add(event->angleDelta().y());
    if (rows == 0) return;
    (region == WheelRegion::Upper ? upperFirst : lowerFirst) -= rows;
    Redraw();
}

int CVardoView::RecalcLayout() {
    if (panel == nullptr) CreatePanel();
    panelWidth = panelShown != 0 && panel != nullptr ? panel->width() : 0;
    if (panel != nullptr) {
        panel->setGeometry(0, 0, panel->width(), height());
        panel->setVisible(panelShown != 0);
    }
    const CurveLayout lay = ComputeCurveLayout({0, 0, width(), height()}, panelWidth);
    settings->drawRect = lay.drawRect;
    settings->plotRect = lay.plotRect;
    settings->layoutDirty = 1;
    upperRows = lowerRows = lay.rows;
    upperFirst = PullBackFirstRow(upperFirst, settings->Chnls, upperRows);
    lowerFirst = PullBackFirstRow(lowerFirst, settings->Chnls, lowerRows);
    return 1;
}

void CVardoView::CreatePanel() {
    panel = new CSetPanel(doc_.reporter(), this);
    panel->LoadFrom(*settings);
    // A span kept from the list is shown from the start, without an opening to tell the panel.
    panel->SetSpanShown(doc_.span != nullptr);
    // Every change is kept at once, so a crash or a second program sees what is shown.
    panel->onChanged = [this] {
        doc_.NoteSettingsSaved(SaveDisplaySettings(doc_.settingsPath(), *settings));
        Redraw();
    };
    panelShown = settings->SetPannel != 0 ? 1 : 0;
}

void CVardoView::TogglePanel() {
    panelShown = panelShown != 0 ? 0 : 1;
    settings->SetPannel = panelShown;
    doc_.NoteSettingsSaved(SaveDisplaySettings(doc_.settingsPath(), *settings));
    RecalcLayout();
    BuildShownWindow();
    Redraw();
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::FirstLayout() {
    if (laidOut_) return;
    laidOut_ = true;
    InitialUpdate();
    UpdateZoomText();
    RecalcLayout();
    BuildShownWindow();
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::InitialUpdate() {
    if (!doc_.ShowsCurves()) doc_.ReopenLastFile();
}

void CVardoView::EnsureSurfaces() {
    const QSize size(settings->drawRect.Width(), settings->drawRect.Height());
    if (settings->layoutDirty == 0 && staticSurface.size() == size) return;
    if (size.width() > 0 && size.height() > 0) {
        staticSurface = QImage(size, QImage::Format_RGB32);
        workSurface = QImage(size, QImage::Format_RGB32);
        staticSurface.fill(Qt::black);
        workSurface.fill(Qt::black);
    } else {
        staticSurface = QImage();
        workSurface = QImage();
    }
    settings->layoutDirty = 0;
    workReady_ = false;
}

void CVardoView::PaintWork() {
    EnsureSurfaces();
    if (staticSurface.isNull()) return;
    {
        QPainter p(&staticSurface);
        PaintStatic(p, *settings);
    }
    staticChanged_ = true;
    CopyStaticToWork();
    {
        QPainter p(&workSurface);
        DrawValueLegend(p, *settings, 0);
    }
    DrawSelection();
}

void CVardoView::Redraw() {
    if (!laidOut_) return;
    inPaint_ = true;
    PaintWork();
    inPaint_ = false;
    ShowWork();
}

void CVardoView::paintEvent(QPaintEvent* event) {
    if (!laidOut_) {
        // The first paint shows the empty area and the last file is reopened right after it,
        // so that a message about that file appears over a window that is already there.
        QPainter(this).fillRect(rect(), Qt::black);
        if (!firstLayoutQueued_) {
            firstLayoutQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                FirstLayout();
                workReady_ = false;
                update();
            });
        }
        return;
    }
    if (settings->layoutDirty != 0) workReady_ = false;
    if (!workReady_) {
        inPaint_ = true;
        PaintWork();
        inPaint_ = false;
    }
    workReady_ = false;
    QPainter p(this);
    const QRect draw = ToQRect(settings->drawRect);
    if (workSurface.isNull()) {
        p.fillRect(draw, Qt::black);
    } else {
        // In slices of fewer rows than the painter hands to its thread pool: waking the pool
        // for every pointer move cost more than the copy itself.
        for (const QRect& r : event->region()) {
            const QRect wanted = r.translated(-draw.topLeft()) & workSurface.rect();
            for (int y = wanted.top(); y <= wanted.bottom(); y += kBlitRows) {
                const QRect slice(wanted.left(), y, wanted.width(),
                                  std::min(kBlitRows, wanted.bottom() + 1 - y));
                p.drawImage(slice.topLeft() + draw.topLeft(), workSurface, slice);
            }
        }
    }
    // The window may have been painted only in part: what it showed before may still be there.
    shownOverlay_ += workOverlay_;
}

void CVardoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!laidOut_) return;
    RecalcLayout();
    if (doc_.dataValid != 0) doc_.BuildWindow();
    workReady_ = false;
}

void CVardoView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CVardoView::dropEvent(QDropEvent* event) {
    const std::string path = DroppedFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    doc_.OpenPath(path);
}

void CVardoView::PaintStatic(QPainter& p, const DisplaySettings& ds) {
    if (!doc_.ShowsCurves()) {
        const PlotFrame f = FrameOf(ds);
        p.fillRect(0, 0, f.DW, f.DH, ToQColor(ds.backColor));
        return;
    }
    DrawGrid(p, ds);
    DrawCurves(p, ds);
    DrawFrame(p, ds);
    DrawHeader(p, ds);
    FinishStatic(p, ds);
}

void CVardoView::FinishStatic(QPainter& p, const DisplaySettings& ds) {
    DrawScrollButtons(p, ds, {0, 0, 0, 0});
}

void CVardoView::DrawGrid(QPainter& p, const DisplaySettings& ds) {
    const PlotFrame f = FrameOf(ds);
    p.fillRect(0, 0, f.DW, f.DH, ToQColor(ds.backColor));
    p.setPen(QPen(ToQColor(ds.gridColor), ds.gridWidth));
    for (int y : GridLinesY(f, ds.YLines)) p.drawLine(f.L, y, f.R, y);
    for (int x : GridLinesX(f, ds.XLines)) p.drawLine(x, f.T, x, f.B);
}

void CVardoView::DrawCurves(QPainter& p, const DisplaySettings& ds) {
    if (doc_.span) {
        DrawSpanCurves(p, ds);
        return;
    }
    if (doc_.dataValid == 0) return;
    if (ds.PeakEnvelope != 0 && doc_.history.windowCount > 0) {
        DrawFileEnvelope(p, ds);
        return;
    }
    const HistoryData& h = doc_.history;
    const PlotFrame f = FrameOf(ds);
    const int ppp = settings->pixelsPerPoint > 0 ? settings->pixelsPerPoint : 1;
    const int count = h.windowCount < kWindowSamples ? h.windowCount : kWindowSamples;
    if (count <= 0) return;
    const int chnls = ds.Chnls < kMaxChannels ? ds.Chnls : kMaxChannels;
    QPolygon line(count);
    std::vector<QRect> markers;
    std::vector<QLine> segments;
    for (int ch = 0; ch < chnls; ++ch) {
        const bool checked = ch < static_cast<int>(ds.channelChecks.size()) &&
                             ds.channelChecks[static_cast<std::size_t>(ch)] != 0;
        if (!checked || h.channelEnabled[ch] == 0) continue;
        const Colorref c = ch < static_cast<int>(ds.channelColors.size())
                               ? ds.channelColors[static_cast<std::size_t>(ch)]
                               : DefaultChannelColor(ch);
        const QColor color = ToQColor(c);
        markers.clear();
        for (int i = 0; i < count; ++i) {
            const int x = SampleX(f, i, ppp);
            const int y = WindowSampleY(f, ds, h, ch, i);
            line.setPoint(i, x, y);
            if (ppp >= 6 && y >= f.T + 1 && y <= f.B - 2) markers.emplace_back(x - 1, y - 1, 3, 3);
        }
        const QPoint last = line.point(count - 1);
        if (QImage* img = DirectTarget(p, ds.gridWidth)) {
            const Pixels px(*img);
            const QRgb rgb = color.rgb();
            for (int i = 1; i < count; ++i) {
                // Older samples only go further left: at high zoom most of the window lies
                // beyond the surface, and walking those lines pixel by pixel was most of a
                // zoom step.
                if (line.point(i - 1).x() < 0) break;
                LineWithoutEnd(px, line.point(i - 1), line.point(i), rgb);
            }
            for (const QRect& m : markers)
                for (int y = m.top(); y <= m.bottom(); ++y)
                    for (int x = m.left(); x <= m.right(); ++x) px.Set(x, y, rgb);
            // A line leaves its end pixel out; a single sample is just this pixel.
            px.Set(last.x(), last.y(), rgb);
            continue;
        }
        p.setPen(QPen(color, ds.gridWidth));
        // Segments rather than one polyline: the raster engine takes a stretched polyline
        // through its general stroker with joins, and a printed page's jagged curves cost three
        // times as long that way. Those wholly left of the plot would only be covered.
        segments.clear();
        for (int i = 1; i < count && line.point(i - 1).x() >= f.L; ++i)
            segments.emplace_back(line.point(i - 1), line.point(i));
        p.drawLines(segments.data(), static_cast<int>(segments.size()));
        for (const QRect& m : markers) p.fillRect(m, color);
        p.fillRect(last.x(), last.y(), 1, 1, color);
    }
}

void CVardoView::DrawSpanCurves(QPainter& p, const DisplaySettings& ds) {
    const ArchiveSpan& span = *doc_.span;
    DrawEnvelope(p, ds, span.envelope, span.MaxStep(), ds.SpanPeakEnvelope != 0,
                 [&span](int ch, float& low, float& high) { span.ChannelRange(ch, low, high); });
}

void CVardoView::DrawFileEnvelope(QPainter& p, const DisplaySettings& ds) {
    const HistoryData& h = doc_.history;
    const PlotFrame f = FrameOf(ds);
    // The columns cover the times the axis puts under them, so the readout and the labels agree
    // with the peaks drawn.
    const TimeAxisLayout axis = LayoutTimeAxis(f, ds, h, settings->pixelsPerPoint);
    const VTime from = std::max(axis.leftEdgeTime, h.oldestTime);
    const VTime to = std::min(axis.rightEdgeTime, h.newestTime);
    if (from > to) return;
    const Envelope e = FileEnvelope(h, axis.leftEdgeTime, axis.rightEdgeTime, SpanColumns(f));
    DrawEnvelope(p, ds, e, IntervalSeconds(h), true, [&h](int ch, float& low, float& high) {
        low = h.rangeLow[ch].Value();
        high = h.rangeHigh[ch].Value();
    });
}

void CVardoView::DrawEnvelope(QPainter& p, const DisplaySettings& ds, const Envelope& e,
                              VTime maxStep, bool peaks,
                              const std::function<void(int, float&, float&)>& range) {
    const PlotFrame f = FrameOf(ds);
    const int chnls = std::min(ds.Chnls, kMaxChannels);
    std::vector<QLine> lines;
    for (int ch = 0; ch < chnls; ++ch) {
        const bool checked = ch < static_cast<int>(ds.channelChecks.size()) &&
                             ds.channelChecks[static_cast<std::size_t>(ch)] != 0;
        if (!checked) continue;
        const Colorref c = ch < static_cast<int>(ds.channelColors.size())
                               ? ds.channelColors[static_cast<std::size_t>(ch)]
                               : DefaultChannelColor(ch);
        float low = 0.0f;
        float high = 0.0f;
        range(ch, low, high);
        lines.clear();
        const std::vector<std::vector<EnvelopeStroke>> runs =
            EnvelopeRuns(f, ds, e, ch, maxStep, low, high);
        if (QImage* img = peaks ? DirectTarget(p, ds.gridWidth) : nullptr) {
            // The raster engine takes a thousand short lines per channel through its general
            // path; a one-pixel vertical stroke is just its pixels, top and bottom included, as
            // the engine draws it.
            const Pixels px(*img);
            const QRgb rgb = ToQColor(c).rgb();
            for (const std::vector<EnvelopeStroke>& run : runs)
                for (const EnvelopeStroke& s : run)
                    for (int y = s.top; y <= s.bottom; ++y) px.Set(s.x, y, rgb);
            continue;
        }
        for (const std::vector<EnvelopeStroke>& run : runs) {
            if (peaks) {
                // Vertical strokes of one pixel's width; a column whose records agree is a dot.
                for (const EnvelopeStroke& s : run) lines.emplace_back(s.x, s.top, s.x, s.bottom);
                continue;
            }
            // Without peaks, a line through the middle of each column: thinner, and a spike in
            // a crowded column shows only as a bump.
            for (std::size_t i = 0; i < run.size(); ++i) {
                const QPoint at(run[i].x, (run[i].top + run[i].bottom) / 2);
                const QPoint before =
                    i == 0 ? at : QPoint(run[i - 1].x, (run[i - 1].top + run[i - 1].bottom) / 2);
                lines.emplace_back(before, at);
            }
        }
        p.setPen(QPen(ToQColor(c), ds.gridWidth));
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
}

void CVardoView::SpanStatistics() {
    ArchiveSpan& span = *doc_.span;
    const DisplaySettings& ds = *settings;
    const PlotFrame f = FrameOf(ds);
    const int n = static_cast<int>(span.envelope.columns.size());
    if (n == 0) return;
    const int a = std::clamp(PointerToSpanColumn(f, selRect.left - ds.drawRect.left), 0, n - 1);
    const int b = std::clamp(PointerToSpanColumn(f, selRect.right - ds.drawRect.left), 0, n - 1);
    SpanBounds bounds;
    bounds.from = EnvelopeColumnStart(a, span.envelope.from, span.envelope.to, n);
    bounds.to = EnvelopeColumnStart(b + 1, span.envelope.from, span.envelope.to, n) - 1;
    // A band of a few days is read at once; a longer one on a worker the user can stop.
    SpanCount count;
    SpanStatsRun run;
    run.status = CountSpanRecords(span.Store(), span.Recorder().id, bounds.from, bounds.to, count);
    if (run.status == ArchiveStatus::Ok) {
        if (count.records <= statsAtOnce)
            run.status =
                SpanStats(span.Store(), span.Recorder().id, span.Configs(), bounds, 1, run.result);
        else
            run = RunSpanStats(this, doc_.SpanUrl(), span.Recorder().id, span.Configs(), bounds,
                               count.records);
    }
    if (run.status != ArchiveStatus::Ok) {
        doc_.reporter().ShowMessage(ArchiveStatusMessage(run.status), MessageIcon::Error);
        return;
    }
    if (run.cancelled) return;
    const SpanStatResult& result = run.result;
    CStatDlg dlg(this);
    dlg.SetSpanResult(result, bounds.from, bounds.to);
    dlg.exec();
}

void CVardoView::DrawFrame(QPainter& p, const DisplaySettings& ds) {
    const PlotFrame f = FrameOf(ds);
    p.fillRect(0, 0, f.L, f.B + 1, ToQColor(ds.backColor));
    p.setPen(QPen(ToQColor(ds.gridColor), ds.gridWidth));
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.L, f.T, f.W() - 1, f.HP() - 1);
    p.drawLine(f.R - 1, 0, f.R - 1, f.B - 1);
    p.drawLine(0, f.B - 1, f.DW, f.B - 1);
}

QColor CVardoView::TextColor(const DisplaySettings& ds) const {
    return ds.backColor == kWhite ? QColor(0, 0, 0) : QColor(192, 192, 0);
}

void CVardoView::DrawHeader(QPainter& p, const DisplaySettings& ds) {
    p.setPen(TextColor(ds));
    DrawValueAxis(p, ds);
    DrawTimeAxis(p, ds);
    p.setFont(SongFont(14, 100));
    p.setPen(TextColor(ds));
    if (doc_.span) {
        const SpanWindow all = doc_.span->All();
        const std::string title = SpanTitle(doc_.span->Recorder().key, all.from, all.to);
        for (const TextItem& t :
             SpanHeaderTexts(FrameOf(ds), ds.Chnls, doc_.span->MinStep(), title))
            DrawTextAt(p, t);
        return;
    }
    for (const TextItem& t : HeaderTexts(FrameOf(ds), ds.Chnls, doc_.history)) DrawTextAt(p, t);
}

void CVardoView::DrawValueAxis(QPainter& p, const DisplaySettings& ds) {
    p.setFont(SystemFont(0, 100));
    p.setPen(TextColor(ds));
    for (const TextItem& t : ValueLabels(FrameOf(ds), ds)) DrawTextAt(p, t);
}

void CVardoView::DrawTimeAxis(QPainter& p, const DisplaySettings& ds) {
    const PlotFrame f = FrameOf(ds);
    const TimeAxisLayout axis =
        doc_.span ? LayoutSpanTimeAxis(f, ds, doc_.span->window.from, doc_.span->window.to)
                  : LayoutTimeAxis(f, ds, doc_.history, settings->pixelsPerPoint);
    p.setPen(QPen(ToQColor(ds.gridColor), 1));
    for (int x : axis.ticks) p.drawLine(x, f.B, x, f.B + 5);
    p.setFont(SystemFont(12, 100));
    p.setPen(TextColor(ds));
    for (const TextItem& t : axis.labels) DrawTextAt(p, t);
}

void CVardoView::DrawValueLegend(QPainter& p, const DisplaySettings& ds, int n) {
    if (!doc_.ShowsCurves()) return;
    const bool white = ds.backColor == kWhite;
    const PlotFrame f = FrameOf(ds);
    AddOverlay(p, QRect(f.R, 0, f.DW - f.R, f.DH));
    // n counts from the right edge, as a file's window index does; the record nearest to that
    // column is read, or the column's range when it holds several.
    const std::vector<LegendRow> rows =
        doc_.span ? SpanLegendRows(f, ds.Chnls, doc_.span->envelope, upperFirst, upperRows,
                                   NearestFilledColumn(doc_.span->envelope, SpanColumns(f) - 1 - n))
                  : LegendRows(f, ds.Chnls, doc_.history, upperFirst, upperRows, n);
    p.setFont(SongFont(15, 700));
    p.setPen(white ? QColor(0, 0, 0) : QColor(255, 84, 84));
    for (const LegendRow& r : rows) DrawTextAt(p, r.name);
    p.setFont(SystemFont(18, 300));
    p.setPen(white ? QColor(0, 0, 0) : QColor(0, 192, 0));
    for (const LegendRow& r : rows)
        if (r.hasValue) DrawTextAt(p, r.value);
}

void CVardoView::DrawScrollButtons(QPainter& p, const DisplaySettings& ds,
                                   const std::array<int, 4>& highlight) {
    const QImage& probe = ScrollBitmap(kBitmapUp);
    const ScrollButtonLayout b =
        LayoutScrollButtons(FrameOf(ds), ds.Chnls, probe.width(), probe.height());
    if (!b.shown) return;
    const int normal[4] = {kBitmapUp, kBitmapDown, kBitmapUp, kBitmapDown};
    const int lit[4] = {kBitmapUpLit, kBitmapDownLit, kBitmapUpLit, kBitmapDownLit};
    for (int k = 0; k < 4; ++k) {
        const Rect& r = b.rects[k];
        p.drawImage(r.left, r.top, ScrollBitmap(highlight[k] == 1 ? lit[k] : normal[k]));
        AddOverlay(p, ToQRect(r));
        buttonRects[k] = {r.left + ds.drawRect.left, r.top + ds.drawRect.top,
                          r.right + ds.drawRect.left, r.bottom + ds.drawRect.top};
    }
}

void CVardoView::DrawSelection() {
    if (dragPoint == anchorPoint || workSurface.isNull()) return;
    // Start again from the static picture so that successive bands do not pile up.
    CopyStaticToWork();
    const DisplaySettings& ds = *settings;
    QPainter p(&workSurface);
    DrawValueLegend(p, ds, 0);
    const PlotFrame f = FrameOf(ds);
    int a = anchorPoint.x() - ds.drawRect.left;
    int b = dragPoint.x() - ds.drawRect.left;
    if (a > b) std::swap(a, b);
    if (a < f.L) a = f.L;
    if (b > f.R) b = f.R;
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor fill(30, 30, 30);
    const QColor pen = ToQColor(ds.gridColor);
    if (b > a) {
        const int m = ds.gridWidth + 1;
        AddOverlay(p, QRect(a - m, f.T - m, b - a + 2 * m + 1, f.HP() + 2 * m + 1));
        // The painter hands every span of a band as tall as the plot to its thread pool; on a
        // busy machine waking the pool costs more than flipping the pixels here.
        if (QImage* img = DirectTarget(p, ds.gridWidth)) {
            XorBand(Pixels(*img), a, f.T, b, f.B, fill.rgb(), pen.rgb());
        } else {
            p.setPen(QPen(pen, ds.gridWidth));
            p.setBrush(fill);
            p.drawRect(a, f.T, b - a, f.HP());
        }
    }
    p.end();
    selRect = {a + ds.drawRect.left, f.T + ds.drawRect.top, b + ds.drawRect.left,
               f.B + ds.drawRect.top};
    ShowWork();
}

void CVardoView::DrawCursor(QPainter& p, const DisplaySettings& ds, QPoint point) {
    const PlotFrame f = FrameOf(ds);
    const int x = point.x() - ds.drawRect.left;
    const int y = point.y() - ds.drawRect.top;
    p.setPen(QPen(Qt::white, ds.gridWidth));
    p.drawLine(x, f.T + 1, x, f.B - 1);
    p.drawLine(f.L + 1, y, f.R - 1, y);
    const CursorBoxes b = CursorBoxesAt(f, x, y);
    const QRect value = ToQRect(b.value);
    const QRect time = ToQRect(b.time);
    const int m = ds.gridWidth + 2;
    AddOverlay(p, QRect(x - m, f.T, 2 * m + 1, f.HP()));
    AddOverlay(p, QRect(f.L, y - m, f.W(), 2 * m + 1));
    AddOverlay(p, value.adjusted(-m, -m, m, m));
    AddOverlay(p, time.adjusted(-m, -m, m, m));
    p.fillRect(value, QColor(0, 0, 128));
    p.fillRect(time, QColor(0, 0, 128));
    p.setPen(QPen(QColor(128, 0, 0), ds.gridWidth));
    p.drawLine(time.left(), time.top(), time.left(), time.bottom());
    p.drawLine(time.right(), time.top(), time.right(), time.bottom());
    p.drawLine(value.left(), value.top(), value.right(), value.top());
    p.drawLine(value.left(), value.bottom(), value.right(), value.bottom());
    p.setPen(Qt::white);
    p.setFont(SystemFont(12, 100));
    const int i = PointerToIndex(f, x, settings->pixelsPerPoint);
    VTime at = 0;
    if (doc_.span) {
        const Envelope& e = doc_.span->envelope;
        const int c = NearestFilledColumn(e, PointerToSpanColumn(f, x));
        if (c >= 0) at = e.columns[static_cast<std::size_t>(c)].first;
    } else {
        at = SampleTime(doc_.history, i);
    }
    const QString when = QString::fromStdString(ReadoutTimeText(at, ds.XMode));
    p.drawText(time, Qt::AlignHCenter | (ds.XMode != 0 ? Qt::AlignVCenter : Qt::AlignTop), when);
    p.drawText(value, Qt::AlignCenter, QString::fromStdString(ReadoutValueText(f, ds, y)));
}

void CVardoView::PrintPage(QPainter& p, const QRect& page) {
    const int cw = width();
    const int ch = height();
    if (cw <= 0 || ch <= 0 || page.isEmpty()) return;
    p.save();
    // One logical unit is one pixel of the view; its client area is stretched over the page.
    p.translate(page.topLeft());
    p.scale(static_cast<double>(page.width()) / cw, static_cast<double>(page.height()) / ch);
    // Nothing reaches into the sheet's margin, as nothing passes the screen's drawing surface.
    p.setClipRect(0, 0, cw, ch, Qt::IntersectClip);
    // A screen pixel x covers x .. x + 1, and a stretched line is centred on its coordinate:
    // without the half unit every line would stand half a pixel up and left of its place, and
    // the frame's outer half would fall off the page.
    p.translate(0.5, 0.5);

    printSettings =
        PaperSettings(*settings, cw, ch, panel != nullptr ? panel->width() : kPrintStripWidth);
    DrawGrid(p, printSettings);
    {
        // A full window reaches far left of the plot. On screen the surface ends at the drawing
        // area and the frame covers the rest; on paper the page's margin lies beyond it and
        // would show those pieces.
        const PlotFrame f = FrameOf(printSettings);
        p.save();
        p.setClipRect(f.L, f.T, f.W(), f.HP(), Qt::IntersectClip);
        DrawCurves(p, printSettings);
        p.restore();
    }
    DrawFrame(p, printSettings);
    DrawHeader(p, printSettings);
    DrawValueLegend(p, printSettings, 0);

    const Rect& d = printSettings.drawRect;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(d.left, d.top, d.Width() - 1, d.Height() - 1);
    const LocalFields now = SplitLocalTime(QDateTime::currentSecsSinceEpoch());
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, UiFormat(texts::kPrintTimeFormat), now.year, now.month,
                  now.day, now.hour, now.minute);
    // A span has no path: the page names the recorder and the span instead.
    const std::string shown =
        doc_.span ? SpanTitle(doc_.span->Recorder().key, doc_.span->All().from, doc_.span->All().to)
                  : doc_.filePath;
    const TextItem lines[] = {
        {std::string(UiFormat(texts::kCurvePrintFile)) + shown, d.right + 100, d.top + 20},
        {std::string(UiFormat(texts::kPrintTime)) + stamp, d.right + 60, d.top + 20}};
    p.setPen(Qt::black);
    for (const TextItem& t : lines) {
        p.save();
        // Turned a quarter clockwise: the text runs down the strip.
        p.translate(t.x, t.y);
        p.rotate(90);
        DrawSideLine(p, UiMessage(t.text), d.Height() - 40);
        p.restore();
    }
    p.restore();
}

bool CVardoView::PrintOnto(QPrinter& printer) {
    QPainter p;
    if (!p.begin(&printer)) return false;
    PrintPage(p, QRect(0, 0, printer.width(), printer.height()));
    return p.end();
}

void CVardoView::OnPrint(bool withDialog) {
    QPrinter& printer = AppPrinter();
    printer.setPageOrientation(QPageLayout::Landscape);
    if (withDialog) {
        QPrintDialog dlg(&printer, this);
        if (dlg.exec() != QDialog::Accepted) return;
    }
    if (!PrintOnto(printer)) {
        char text[1024];
        const std::string name = printer.outputFileName().isEmpty()
                                     ? printer.printerName().toStdString()
                                     : printer.outputFileName().toStdString();
        std::snprintf(text, sizeof text, UiFormat(texts::kPrintFailed), name.c_str());
        doc_.reporter().ShowMessage(text, MessageIcon::Error);
    }
}

void CVardoView::OnPrintPreview() {
    QPrinter& printer = AppPrinter();
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintOnto(*target); });
    dlg.exec();
}

void CVardoView::CopyStaticToWork() {
    if (staticSurface.isNull()) return;
    if (staticChanged_ || workSurface.size() != staticSurface.size()) {
        if (workSurface.size() != staticSurface.size()) workSurface = staticSurface.copy();
        std::memcpy(workSurface.bits(), staticSurface.constBits(),
                    static_cast<std::size_t>(staticSurface.sizeInBytes()));
        staticChanged_ = false;
    } else {
        // Only the overlays drawn since the last copy differ from the static picture.
        const QRegion dirty = workOverlay_ & QRect(QPoint(0, 0), staticSurface.size());
        const qsizetype stride = staticSurface.bytesPerLine();
        uchar* to = workSurface.bits();
        const uchar* from = staticSurface.constBits();
        for (const QRect& r : dirty) {
            const auto offset = static_cast<qsizetype>(r.left()) * 4;
            const auto bytes = static_cast<std::size_t>(r.width()) * 4;
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(to + y * stride + offset, from + y * stride + offset, bytes);
        }
    }
    workOverlay_ = QRegion();
}

void CVardoView::AddOverlay(const QPainter& p, const QRect& r) {
    if (p.device() == &workSurface) workOverlay_ += r;
}

void CVardoView::UpdateZoomText() {
    if (frame_ == nullptr) return;
    if (doc_.span) {
        frame_->SetStatusText(1, UiMessage(SpanZoomText(doc_.span->window.Width())));
        return;
    }
    frame_->SetStatusText(1,
                          UiMessage(ZoomText(doc_.history.windowStep, settings->pixelsPerPoint)));
}

void CVardoView::ShowWork() {
    if (inPaint_) return;
    workReady_ = true;
    if (isVisible()) repaint(ToQRect(settings->drawRect));
    shownOverlay_ = workOverlay_;
}

void CVardoView::ShowWorkChanges() {
    if (inPaint_) return;
    workReady_ = true;
    const QRegion changed =
        (workOverlay_ + shownOverlay_) & QRect(QPoint(0, 0), workSurface.size());
    if (isVisible()) repaint(changed.translated(settings->drawRect.left, settings->drawRect.top));
    shownOverlay_ = workOverlay_;
}

}  // namespace vardo
