#pragma once
// The real-time view: the live values as curves that move in from the right. It is the history
// curve view with its own time axis and picture: no scroll buttons, the legend always at the
// newest sample.

#include "curves/vardo_view.h"

namespace vardo {

class CRealView : public CVardoView {
  public:
    CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);

    void PaintStatic(QPainter& p, const DisplaySettings& ds) override;
    void DrawTimeAxis(QPainter& p, const DisplaySettings& ds) override;
};

}  // namespace vardo
