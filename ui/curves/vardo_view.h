#pragma once
// The history curve view: the document's display window as one curve per channel, with grid,
// axes, header and value legend, painted on two off-screen surfaces. The static surface holds
// what changes only with data or settings; the work surface is its copy with the overlays, and
// only the work surface reaches the window.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>

#include "app/command_target.h"
#include "app/vardo_doc.h"
#include "base/vardo_time.h"
#include "settings/display_settings.h"

class QPainter;

namespace vardo {

class CMainFrame;
class CSetPanel;

class CVardoView : public QWidget, public DocumentView, public CommandTarget {
  public:
    CVardoView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent = nullptr);
    ~CVardoView() override;

    void OnDocumentUpdate(int hint) override;

    CVardoDoc& GetDocument() { return doc_; }

    // Everything that changed goes to the window: static picture, legend at the newest sample,
    // selection band.
    virtual void Redraw();
    virtual int RecalcLayout();
    virtual void PaintStatic(QPainter& p, const DisplaySettings& ds);
    virtual void DrawGrid(QPainter& p, const DisplaySettings& ds);
    virtual void DrawCurves(QPainter& p, const DisplaySettings& ds);
    virtual void DrawFrame(QPainter& p, const DisplaySettings& ds);
    virtual void DrawHeader(QPainter& p, const DisplaySettings& ds);
    virtual void DrawValueAxis(QPainter& p, const DisplaySettings& ds);
    virtual void DrawTimeAxis(QPainter& p, const DisplaySettings& ds);
    virtual void DrawValueLegend(QPainter& p, const DisplaySettings& ds, int n);
    virtual void DrawScrollButtons(QPainter& p, const DisplaySettings& ds,
                                   const std::array<int, 4>& highlight);
    // The second channel list has its slot but nothing shows it.
    virtual void DrawChannelList(QPainter&, const DisplaySettings&) {}
    virtual void DrawSelection();
    virtual void CopyStaticToWork();
    virtual void ShowWork();
    // The zoom into the status bar's second pane.
    void UpdateZoomText();
    // Command 32790: the settings panel shown or hidden, and remembered.
    void TogglePanel();

    // The view's own state, in the order the drawing and navigation code uses it.
    int panelShown = 0;
    int panelWidth = 0;
    QPoint anchorPoint;
    QPoint dragPoint;
    int scrollMultiplier = 1;
    int scrollOlder = 0;
    int upperRows = 0;
    int lowerRows = 0;
    int upperFirst = 0;
    int lowerFirst = 0;
    std::array<Rect, 4> buttonRects{};  // client coordinates
    Rect selRect;                       // client coordinates
    int autoScrolling = 0;
    int rightDragging = 0;
    int cursorArmed = 0;
    DisplaySettings* settings = nullptr;
    QImage staticSurface;
    QImage workSurface;
    CSetPanel* panel = nullptr;
    DisplaySettings printSettings;
    VTime leftEdgeTime = 0;
    VTime rightEdgeTime = 0;

    // True once the first paint has laid the view out and reopened the last file.
    bool LaidOut() const { return laidOut_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // The first paint's work: reopen the last file when there is no data, lay out, build the
    // window.
    void FirstLayout();
    void CreatePanel();
    void EnsureSurfaces();
    void PaintWork();
    QColor TextColor(const DisplaySettings& ds) const;

    CVardoDoc& doc_;
    CMainFrame* frame_;

  private:
    bool laidOut_ = false;
    bool firstLayoutQueued_ = false;
    bool workReady_ = false;  // the work surface is newer than the window: copy it only
    bool inPaint_ = false;
};

}  // namespace vardo
