#pragma once
// The real-time view: live values of the recorder as curves. For now an empty page that keeps
// its place among the three views.

#include <QWidget>

#include "app/command_target.h"
#include "app/vardo_doc.h"

namespace vardo {

class CMainFrame;

class CRealView : public QWidget, public CommandTarget {
  public:
    CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);

  private:
    CVardoDoc& doc_;
    CMainFrame* frame_;
};

}  // namespace vardo
