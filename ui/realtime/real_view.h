#pragma once
// The real-time view: the live values as curves that move in from the right. It is the history
// curve view with its own time axis and picture (no scroll buttons) and its own commands: start
// and stop acquisition, print what is shown while it runs. The history view's mouse navigation
// and file drops do not apply to live data.

#include "curves/vardo_view.h"

class QTimer;

namespace vardo {

class CRealView : public CVardoView {
  public:
    CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);
    // Closing while acquiring stops it and finishes the saved file.
    ~CRealView() override;

    // Commands 32794 and 32801.
    void Start();
    void Stop();
    // Takes every sample due and draws them; the timer calls it when the next one is due.
    void OnTick();
    bool Acquiring() const { return doc_.history.acquiring != 0; }

    void FinishStatic(QPainter& p, const DisplaySettings& ds) override;
    void DrawTimeAxis(QPainter& p, const DisplaySettings& ds) override;

  protected:
    void InitialUpdate() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    // Sets the timer for the next sample due.
    void ScheduleTick();

    QTimer* tickTimer_ = nullptr;
};

}  // namespace vardo
