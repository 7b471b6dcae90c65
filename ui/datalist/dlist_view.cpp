#include "datalist/dlist_view.h"

namespace vardo {

CDListView::CDListView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : QWidget(parent), doc_(doc), frame_(frame) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

}  // namespace vardo
