#include "realtime/real_view.h"

#include <QPainter>
#include <QTimer>
#include <chrono>
#include <string>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "curves/set_panel.h"
#include "datalist/progress_dlg.h"
#include "history/file_browse_dlg.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

// One step of the start as the progress box shows it; an empty text closes the box.
void ShowStep(CProgressDlg& box, int position, int range, const std::string& text) {
    if (text.empty()) {
        box.hide();
        return;
    }
    if (!box.isVisible()) box.Begin(QString(), 0, range);
    box.SetText(UiMessage(text));
    box.SetPos(position);
}

}  // namespace

CRealView::CRealView(CVardoDoc& doc, CMainFrame* frame, QWidget* parent)
    : CVardoView(doc, frame, parent) {
    setAcceptDrops(false);
    tickTimer_ = new QTimer(this);
    tickTimer_->setSingleShot(true);
    tickTimer_->setTimerType(Qt::PreciseTimer);
    connect(tickTimer_, &QTimer::timeout, this, &CRealView::OnTick);
    const Rule idle = [this] { return !Acquiring() && !Starting(); };
    const Rule running = [this] { return Acquiring(); };
    Handle(
        cmd::kAcquireStart, [this] { Start(); }, idle);
    Handle(
        cmd::kAcquireStop, [this] { Stop(); }, [this] { return Acquiring() || Starting(); });
    Handle(
        cmd::kPrint, [this] { OnPrint(true); }, running);
    Handle(
        cmd::kPrintPreview, [this] { OnPrintPreview(); }, running);
    // Its files open into the record that acquisition writes.
    Handle(
        cmd::kFileBrowser, [this] { CFileBrowseDlg::Run(doc_, this); }, idle);
    // Moving or zooming the window would rebuild it from a file the live record does not have,
    // and its start counts the records saved.
    for (int id : {cmd::kForward, cmd::kBack, cmd::kZoomIn, cmd::kZoomOut, cmd::kActualSize,
                   cmd::kPositionQuery, cmd::kStatistics}) {
        Handle(
            id, [] {}, [] { return false; });
    }
}

CRealView::~CRealView() {
    if (Starting()) {
        doc_.acquisition.Cancel();
        starter_.Stop();
        // The reads' launch will not come: what they opened closes here.
        doc_.starting = false;
        doc_.acquisition.Stop();
    }
    if (Acquiring()) {
        tickTimer_->stop();
        doc_.Stop();
        doc_.dataValid = 0;
    }
    // The base closes the record and saves the display settings.
}

void CRealView::InitialUpdate() {
    if (doc_.onFileShown) doc_.onFileShown(doc_.filePath);
}

void CRealView::Start() {
    if (Acquiring() || Starting()) return;
    const AcquisitionSettings settings = doc_.PrepareStart();
    progress_ =
        std::make_unique<CProgressDlg>(frame_ != nullptr ? static_cast<QWidget*>(frame_) : this);
    // The reads' steps reach the box through the event loop, which goes on meanwhile.
    const QPointer<CProgressDlg> box(progress_.get());
    const StartProgress queued = [box](int position, int range, const std::string& text) {
        QMetaObject::invokeMethod(
            box,
            [box, position, range, text] {
                if (box) ShowStep(*box, position, range, text);
            },
            Qt::QueuedConnection);
    };
    CRealtimeAcquisition* acquisition = &doc_.acquisition;
    starter_.Start(
        this,
        [acquisition, settings, queued] {
            return acquisition->ReadConfiguration(settings, queued);
        },
        [this](StartStatus read) { Started(read); });
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CRealView::Started(StartStatus read) {
    // Steps still queued from the reads must not reopen the box.
    const std::unique_ptr<CProgressDlg> box = std::move(progress_);
    const StartStatus status =
        doc_.FinishStart(read, [&box](int position, int range, const std::string& text) {
            ShowStep(*box, position, range, text);
        });
    box->hide();
    if (status != StartStatus::Started) {
        // A start the user cancelled did not fail.
        if (status != StartStatus::Cancelled)
            doc_.reporter().ShowMessage(texts::kInitFailed, MessageIcon::Error);
        doc_.Stop();
        update();
        if (frame_ != nullptr) frame_->UpdateCommands();
        return;
    }
    // The channel count just read reaches the display settings, and channels new to them get
    // their defaults.
    doc_.NoteSettingsSaved(SaveDisplaySettings(doc_.settingsPath(), *settings));
    LoadDisplaySettings(doc_.settingsPath(), *settings);
    RecalcLayout();
    if (panel != nullptr) panel->RefreshChannels();
    ScheduleTick();
    Redraw();
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CRealView::Stop() {
    if (Starting()) {
        // The reads end at once; their finish closes what they opened, without a message.
        doc_.acquisition.Cancel();
        return;
    }
    tickTimer_->stop();
    doc_.Stop();
    if (frame_ != nullptr) frame_->UpdateCommands();
}

void CRealView::ScheduleTick() {
    if (!Acquiring()) return;
    using namespace std::chrono;
    const auto wait = ceil<milliseconds>(doc_.acquisition.NextDue() - SteadyClock::now());
    tickTimer_->start(static_cast<int>(wait.count() > 0 ? wait.count() : 0));
}

void CRealView::OnTick() {
    if (!Acquiring()) return;
    // Set before the tick: a message about a failed save keeps the event loop running, and the
    // samples due meanwhile are taken on time.
    ScheduleTick();
    if (doc_.Tick(SteadyClock::now()) > 0) Redraw();
}

void CRealView::FinishStatic(QPainter&, const DisplaySettings&) {
    // No scroll buttons. The legend at the newest sample goes over the picture as in the curve
    // view, on the surface the window shows.
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

// The readout, the band and auto-scrolling read and move a history file's window.
void CRealView::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
}

void CRealView::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
}

void CRealView::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
}

}  // namespace vardo
