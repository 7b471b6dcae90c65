#include "realtime/real_view.h"

namespace vardo {

CRealView::CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : QWidget(parent), doc_(doc), frame_(frame) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
}

}  // namespace vardo
