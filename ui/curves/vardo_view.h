#pragma once
// The history curve view: the document's display window as one curve per channel, with grid,
// axes, header and value legend, painted on two off-screen surfaces. The static surface holds
// what changes only with data or settings; the work surface is its copy with the overlays, and
// only the work surface reaches the window.

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <array>
#include <functional>

#include "app/command_target.h"
#include "app/vardo_doc.h"
#include "base/vardo_time.h"
#include "curves/envelope.h"
#include "curves/navigation.h"
#include "curves/span_navigation.h"
#include "settings/display_settings.h"

class QPainter;
class QPrinter;
class QTimer;

namespace vardo {

class CExcelExportDlg;
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
    // The static picture: grid, curves, frame, header and axes, then FinishStatic.
    void PaintStatic(QPainter& p, const DisplaySettings& ds);
    // The static picture's last step, the one the views differ in: here the scroll buttons.
    virtual void FinishStatic(QPainter& p, const DisplaySettings& ds);
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
    // The readout at a pointer point in client coordinates: cross hair, value box, time box.
    virtual void DrawCursor(QPainter& p, const DisplaySettings& ds, QPoint point);
    // The zoom into the status bar's second pane.
    void UpdateZoomText();
    // Command 32790: the settings panel shown or hidden, and remembered.
    void TogglePanel();

    // Navigation commands.
    void Forward();
    void Back();
    void ZoomIn();
    void ZoomOut();
    void ActualSize();
    void PositionQuery();
    void Statistics();
    // The Excel export, proposing the span the plot shows at its record step.
    void Export();
    void ClearSelection();
    // The times at the screen plot's edges, as the position query and the export take them.
    WindowEdges Edges() const;

    // One printed page: the view's client area stretched over page, white, framed, with the file
    // and the time of printing in the strip on the right. Print and preview both draw this.
    void PrintPage(QPainter& p, const QRect& page);
    // One page onto printer; false when the printer cannot be opened.
    bool PrintOnto(QPrinter& printer);
    void OnPrint(bool withDialog);
    void OnPrintPreview();

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
    // A span's band statistics over more records than this run on a worker under a progress box
    // (some 30 ms of reading at this count).
    std::int64_t statsAtOnce = 50000;
    int cursorArmed = 0;
    DisplaySettings* settings = nullptr;
    QImage staticSurface;
    QImage workSurface;
    CSetPanel* panel = nullptr;
    DisplaySettings printSettings;

    // Tests answer the export dialog here before it runs.
    std::function<void(CExcelExportDlg&)> exportDialogShown;

    // True once the first paint has laid the view out and reopened the last file.
    bool LaidOut() const { return laidOut_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    // The first paint's work: InitialUpdate, lay out, build the window.
    void FirstLayout();
    // What the view does as it first shows: the curve view reopens the last file when there is
    // no data.
    virtual void InitialUpdate();
    void CreatePanel();
    void EnsureSurfaces();
    void PaintWork();
    QColor TextColor(const DisplaySettings& ds) const;
    // The window rebuilt after a change of start, step or zoom, then everything redrawn.
    void Rebuild();
    // The window of what is shown: the file's, or the open span's envelope at the plot's width.
    void BuildShownWindow();
    // The span's window moved to w, rebuilt and redrawn.
    void MoveSpan(const SpanWindow& w);
    void DrawSpanCurves(QPainter& p, const DisplaySettings& ds);
    // A file's window drawn peak-preserving, from the envelope of the times the plot shows.
    void DrawFileEnvelope(QPainter& p, const DisplaySettings& ds);
    // The envelope's curves; range gives a channel's scale ends for the percent scale.
    void DrawEnvelope(QPainter& p, const DisplaySettings& ds, const Envelope& e, VTime maxStep,
                      bool peaks, const std::function<void(int, float&, float&)>& range);
    // Statistics over the records of the span under the band.
    void SpanStatistics();
    // Forward (newer) or Back (older) by scrollMultiplier window steps.
    void Scroll(bool older);
    // A new record step and point width: rebuilt, selection cleared, the pane updated.
    void SetZoom(const Zoom& z);
    void ShowReadout(QPoint point);
    void StopAutoScroll();
    // A point in client coordinates, pulled into the confinement while the readout holds it.
    QPoint HeldPoint(QPoint point) const;

    CVardoDoc& doc_;
    CMainFrame* frame_;

  private:
    bool laidOut_ = false;
    bool firstLayoutQueued_ = false;
    bool workReady_ = false;  // the work surface is newer than the window: copy it only
    bool inPaint_ = false;
    // Where the work surface differs from the static one (surface coordinates), and where the
    // window may still show overlays of earlier moves: a pointer move restores, and the window
    // receives, only these instead of the whole picture twice.
    QRegion workOverlay_;
    QRegion shownOverlay_;
    bool staticChanged_ = true;
    void AddOverlay(const QPainter& p, const QRect& r);
    // The work surface to the window, only where it changed since the last time it was shown.
    void ShowWorkChanges();
    QTimer* scrollTimer_ = nullptr;
    WheelSteps wheel_;
    // The pointer cannot be moved on every platform: the readout grabs the mouse instead and
    // keeps the coordinates it uses inside this rectangle.
    bool confined_ = false;
    Rect confinement_;
};

}  // namespace vardo
