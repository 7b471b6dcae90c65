#include "curves/vardo_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "app/command_ids.h"
#include "app/file_names.h"
#include "app/main_frame.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "curves/scroll_bitmaps.h"
#include "curves/set_panel.h"
#include "history/file_browse_dlg.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

constexpr Colorref kWhite = 0xFFFFFF;

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
    void Set(int x, int y, QRgb c) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride)[x] = c;
    }
    uchar* bits;
    qsizetype stride;
    int w, h;
};

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

}  // namespace

CVardoView::CVardoView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : QWidget(parent), doc_(doc), frame_(frame) {
    settings = &doc_.displaySettings;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    doc_.AddView(this);
    Handle(cmd::kFileBrowser, [this] { CFileBrowseDlg::Run(doc_, this); });
    Handle(
        cmd::kSettingsPanel, [this] { TogglePanel(); }, {}, [this] { return panelShown != 0; });
}

CVardoView::~CVardoView() {
    doc_.RemoveView(this);
    // Leaving the curve view closes the file; this also saves the display settings.
    doc_.CloseHistoryFile();
}

void CVardoView::OnDocumentUpdate(int hint) {
    if (hint == kHintOpened) {
        if (panel != nullptr) panel->RefreshChannels();
        doc_.BuildWindow();
        Redraw();
    } else if (hint == kHintFailed) {
        settings->layoutDirty = 1;
        workReady_ = false;
        update();
    }
    if (frame_ != nullptr) frame_->UpdateCommands();
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
    // Every change is kept at once, so a crash or a second program sees what is shown.
    panel->onChanged = [this] {
        SaveDisplaySettings(doc_.settingsPath(), *settings);
        Redraw();
    };
    panelShown = settings->SetPannel != 0 ? 1 : 0;
}

void CVardoView::TogglePanel() {
    panelShown = panelShown != 0 ? 0 : 1;
    settings->SetPannel = panelShown;
    SaveDisplaySettings(doc_.settingsPath(), *settings);
    RecalcLayout();
    if (doc_.dataValid != 0) doc_.BuildWindow();
    Redraw();
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CVardoView::FirstLayout() {
    if (laidOut_) return;
    laidOut_ = true;
    if (doc_.dataValid == 0) doc_.ReopenLastFile();
    UpdateZoomText();
    RecalcLayout();
    if (doc_.dataValid != 0) doc_.BuildWindow();
    if (frame_ != nullptr) frame_->UpdateCommands();
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

void CVardoView::paintEvent(QPaintEvent*) {
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
    if (workSurface.isNull())
        p.fillRect(draw, Qt::black);
    else
        p.drawImage(draw.topLeft(), workSurface);
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
    if (doc_.dataValid == 0) {
        const PlotFrame f = FrameOf(ds);
        p.fillRect(0, 0, f.DW, f.DH, ToQColor(ds.backColor));
        return;
    }
    DrawGrid(p, ds);
    DrawCurves(p, ds);
    DrawFrame(p, ds);
    DrawHeader(p, ds);
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
    if (doc_.dataValid == 0) return;
    const HistoryData& h = doc_.history;
    const PlotFrame f = FrameOf(ds);
    const int ppp = settings->pixelsPerPoint > 0 ? settings->pixelsPerPoint : 1;
    const int count = h.windowCount < kWindowSamples ? h.windowCount : kWindowSamples;
    if (count <= 0) return;
    const int chnls = ds.Chnls < kMaxChannels ? ds.Chnls : kMaxChannels;
    QPolygon line(count);
    std::vector<QRect> markers;
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
            for (int i = 1; i < count; ++i)
                LineWithoutEnd(px, line.point(i - 1), line.point(i), rgb);
            for (const QRect& m : markers)
                for (int y = m.top(); y <= m.bottom(); ++y)
                    for (int x = m.left(); x <= m.right(); ++x) px.Set(x, y, rgb);
            // A line leaves its end pixel out; a single sample is just this pixel.
            px.Set(last.x(), last.y(), rgb);
            continue;
        }
        p.setPen(QPen(color, ds.gridWidth));
        if (count > 1) p.drawPolyline(line);
        for (const QRect& m : markers) p.fillRect(m, color);
        p.fillRect(last.x(), last.y(), 1, 1, color);
    }
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
    for (const TextItem& t : HeaderTexts(FrameOf(ds), ds.Chnls, doc_.history)) DrawTextAt(p, t);
}

void CVardoView::DrawValueAxis(QPainter& p, const DisplaySettings& ds) {
    p.setFont(SystemFont(0, 100));
    p.setPen(TextColor(ds));
    for (const TextItem& t : ValueLabels(FrameOf(ds), ds)) DrawTextAt(p, t);
}

void CVardoView::DrawTimeAxis(QPainter& p, const DisplaySettings& ds) {
    const PlotFrame f = FrameOf(ds);
    const TimeAxisLayout axis = LayoutTimeAxis(f, ds, doc_.history, settings->pixelsPerPoint);
    rightEdgeTime = axis.rightEdgeTime;
    leftEdgeTime = axis.leftEdgeTime;
    p.setPen(QPen(ToQColor(ds.gridColor), 1));
    for (int x : axis.ticks) p.drawLine(x, f.B, x, f.B + 5);
    p.setFont(SystemFont(12, 100));
    p.setPen(TextColor(ds));
    for (const TextItem& t : axis.labels) DrawTextAt(p, t);
}

void CVardoView::DrawValueLegend(QPainter& p, const DisplaySettings& ds, int n) {
    if (doc_.dataValid == 0) return;
    const bool white = ds.backColor == kWhite;
    const std::vector<LegendRow> rows =
        LegendRows(FrameOf(ds), ds.Chnls, doc_.history, upperFirst, upperRows, n);
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
    p.setPen(QPen(ToQColor(ds.gridColor), ds.gridWidth));
    p.setBrush(QColor(30, 30, 30));
    if (b > a) p.drawRect(a, f.T, b - a, f.HP());
    p.end();
    selRect = {a + ds.drawRect.left, f.T + ds.drawRect.top, b + ds.drawRect.left,
               f.B + ds.drawRect.top};
    ShowWork();
}

void CVardoView::CopyStaticToWork() {
    if (staticSurface.isNull()) return;
    if (workSurface.size() != staticSurface.size()) workSurface = staticSurface.copy();
    std::memcpy(workSurface.bits(), staticSurface.constBits(),
                static_cast<std::size_t>(staticSurface.sizeInBytes()));
}

void CVardoView::UpdateZoomText() {
    if (frame_ == nullptr) return;
    frame_->SetStatusText(
        1, QString::fromStdString(ZoomText(doc_.history.windowStep, settings->pixelsPerPoint)));
}

void CVardoView::ShowWork() {
    if (inPaint_) return;
    workReady_ = true;
    if (isVisible()) repaint(ToQRect(settings->drawRect));
}

}  // namespace vardo
