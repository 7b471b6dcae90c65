#pragma once
// The real-time view: the live values as curves that move in from the right. It is the history
// curve view with its own time axis and picture (no scroll buttons) and its own commands: start
// and stop acquisition, print what is shown while it runs. The history view's mouse navigation
// and file drops do not apply to live data.

#include <memory>

#include "app/dialog_worker.h"
#include "curves/vardo_view.h"

class QTimer;

namespace vardo {

class CProgressDlg;

class CRealView : public CVardoView {
  public:
    CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);
    // Closing while acquiring stops it and finishes the saved file; closing while starting
    // cancels the start.
    ~CRealView() override;

    // Commands 32794 and 32801. Start reads the recorder's configuration on a thread of its own
    // under the progress box and returns at once; stop while starting cancels the start.
    void Start();
    void Stop();
    bool Starting() const { return starter_.Busy(); }
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
    // Back on the interface thread once the configuration reads are over.
    void Started(StartStatus read);

    QTimer* tickTimer_ = nullptr;
    std::unique_ptr<CProgressDlg> progress_;
    DialogWorker starter_;
};

}  // namespace vardo
