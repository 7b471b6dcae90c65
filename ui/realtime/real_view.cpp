#include "realtime/real_view.h"

#include <QPainter>

#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"

namespace vardo {

CRealView::CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : CVardoView(doc, frame, parent) {}

void CRealView::PaintStatic(QPainter& p, const DisplaySettings& ds) {
    if (doc_.dataValid == 0) {
        const PlotFrame f = FrameOf(ds);
        p.fillRect(0, 0, f.DW, f.DH, ToQColor(ds.backColor));
        return;
    }
    DrawGrid(p, ds);
    DrawCurves(p, ds);
    DrawFrame(p, ds);
    DrawHeader(p, ds);
    DrawValueLegend(p, ds, 0);
}

void CRealView::DrawTimeAxis(QPainter& p, const DisplaySettings& ds) {
    const PlotFrame f = FrameOf(ds);
    // The edges belong to the live window of this moment; nothing else reads them back.
    const TimeAxisLayout axis = LayoutRealTimeAxis(f, ds, doc_.history, settings->pixelsPerPoint);
    for (int x : axis.ticks) p.drawLine(x, f.B, x, f.B + 5);
    p.setFont(SystemFont(0, 100));
    p.setPen(TextColor(ds));
    for (const TextItem& t : axis.labels) DrawTextAt(p, t);
}

}  // namespace vardo
