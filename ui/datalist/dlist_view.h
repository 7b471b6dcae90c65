#pragma once
// The data list view: the open file's records as a table. For now an empty page that keeps its
// place among the three views.

#include <QWidget>

#include "app/command_target.h"
#include "app/vardo_doc.h"

namespace vardo {

class CMainFrame;

class CDListView : public QWidget, public CommandTarget {
  public:
    CDListView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);

  private:
    CVardoDoc& doc_;
    CMainFrame* frame_;
};

}  // namespace vardo
