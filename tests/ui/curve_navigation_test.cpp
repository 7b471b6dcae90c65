// The curve view moved and read through the program: keys, the readout and auto-scrolling, the
// band and its statistics, as a user drives them.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "curves/curve_geometry.h"
#include "curves/vardo_view.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/pos_query_dlg.h"
#include "datalist/stat_dlg.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

const auto U = [](const char* s) { return QString::fromUtf8(s); };

using testing::Mouse;

class NavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        // 5000 records; channel 0 climbs by one raw step a record back, modulo 256.
        const std::string file = testing::WriteLevelFile(
            home / "Data/08@2026-03-04_12-00-00.vd", 2, 5000,
            [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch * 100 + r % 256); });
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        ASSERT_TRUE(app->InitInstance({"vardo", file}));
        Frame().resize(1000, 700);
        testing::WaitUntil([this] { return View().LaidOut(); });
        QApplication::processEvents();
        ASSERT_EQ(Doc().dataValid, 1);
    }
    CMainFrame& Frame() { return *app->MainFrame(); }
    CVardoView& View() { return *dynamic_cast<CVardoView*>(Frame().ActiveView()); }
    CVardoDoc& Doc() { return app->Document(); }
    Rect Plot() { return Doc().displaySettings.plotRect; }
    bool Enabled(int id) {
        Frame().UpdateCommands();
        return Frame().Action(id)->isEnabled();
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
};

TEST_F(NavigationTest, KeysZoomAndScrollTheWindowAndThePaneShowsTheZoom) {
    const struct {
        Qt::Key key;
        int step, ppp, start;
        const char* pane;
    } steps[] = {
        {Qt::Key_Z, 1, 3, 0, "缩放:300%"},   {Qt::Key_X, 1, 1, 0, "缩放:100%"},
        {Qt::Key_X, 2, 1, 0, "缩放:50.00%"}, {Qt::Key_Left, 2, 1, 2, "缩放:50.00%"},
        {Qt::Key_Left, 2, 1, 4, nullptr},    {Qt::Key_Right, 2, 1, 2, nullptr},
        {Qt::Key_Right, 2, 1, 0, nullptr},   {Qt::Key_Right, 2, 1, 0, nullptr},
        {Qt::Key_R, 1, 1, 0, "缩放:100%"},
    };
    for (const auto& s : steps) {
        QTest::keyClick(&Frame(), s.key);
        EXPECT_EQ(Doc().history.windowStep, s.step) << s.key;
        EXPECT_EQ(Doc().displaySettings.pixelsPerPoint, s.ppp) << s.key;
        EXPECT_EQ(Doc().history.windowStart, s.start) << s.key;
        if (s.pane != nullptr) {
            EXPECT_EQ(Frame().StatusText(1), U(s.pane)) << s.key;
        }
    }
    for (int id : {cmd::kForward, cmd::kBack, cmd::kZoomIn, cmd::kZoomOut, cmd::kActualSize,
                   cmd::kPositionQuery, cmd::kPrint, cmd::kPrintPreview, cmd::kExport})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(cmd::kStatistics)) << "no band yet";
    // The oldest moment the position query offers becomes the plot's right edge.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&answer] {
        if (auto* dlg = dynamic_cast<CPosQueryDlg*>(QApplication::activeModalWidget())) {
            answer.stop();
            dlg->OnTakeStart();
            dlg->accept();
        }
    });
    answer.start(10);
    QTest::keyClick(&Frame(), Qt::Key_P);
    EXPECT_EQ(Doc().history.windowStart, 4999);
    EXPECT_EQ(View().Edges().right, Doc().history.oldestTime);
    // The export proposes the span the plot shows at its record step.
    Frame().ExecuteCommand(cmd::kZoomOut);
    std::string proposed;
    View().exportDialogShown = [&](CExcelExportDlg& dlg) {
        proposed =
            dlg.span.stepEdit->text().toStdString() + " " +
            FormatTime(JoinDateAndTime(dlg.span.start.DateFields(), dlg.span.start.TimeFields()));
        QTimer::singleShot(0, &dlg, &QDialog::reject);
    };
    Frame().ExecuteCommand(cmd::kExport);
    // Proposed before any paint after the zoom, it is still what the screen then shows.
    View().repaint();
    EXPECT_EQ(proposed, "2 " + FormatTime(View().Edges().left));
    Doc().CloseHistoryFile();
    for (int id : {cmd::kForward, cmd::kPositionQuery, cmd::kPrint, cmd::kExport})
        EXPECT_FALSE(Enabled(id)) << id;
}

TEST_F(NavigationTest, TheReadoutFollowsTheHeldPointerAndBeyondTheEdgeTheCurvesScroll) {
    CVardoView& v = View();
    const Rect p = Plot();
    const QPoint at(p.left + 300, p.top + 100);
    Mouse(&v, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(QWidget::mouseGrabber(), &v) << "the pointer is held while the button is";
    const int x = at.x() - Doc().displaySettings.drawRect.left;
    const PlotFrame f = FrameOf(Doc().displaySettings);
    EXPECT_EQ(testing::PixelAt(v.workSurface, x, f.T + 50), qRgb(255, 255, 255)) << "cross hair";
    EXPECT_GT(testing::CountColor(v.workSurface, QRect(x - 50, f.B + 1, 100, 28), qRgb(0, 0, 128)),
              0)
        << "time box";
    // Moving on leaves nothing of the last readout behind.
    Mouse(&v, QEvent::MouseMove, at + QPoint(40, 60), Qt::NoButton, Qt::LeftButton);
    for (const QPoint old :
         {QPoint(x, f.T + 50), QPoint(x - 20, f.B + 10), QPoint(f.L + 5, at.y())})
        EXPECT_EQ(testing::PixelAt(v.workSurface, old.x(), old.y()),
                  testing::PixelAt(v.staticSurface, old.x(), old.y()))
            << old.x() << "," << old.y();

    // 30 pixels left of the plot: every tick goes 30 window steps back.
    Mouse(&v, QEvent::MouseMove, QPoint(p.left - 30, at.y()), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.autoScrolling, 1);
    EXPECT_EQ(v.scrollMultiplier, 30);
    EXPECT_EQ(v.cursor().hotSpot(), QPoint(8, 15));
    ASSERT_TRUE(testing::WaitUntil([this] { return Doc().history.windowStart >= 60; }));
    EXPECT_EQ(Doc().history.windowStart % 30, 0);
    // Far beyond the held rectangle counts as its edge, 50 pixels out.
    Mouse(&v, QEvent::MouseMove, QPoint(0, at.y()), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.scrollMultiplier, 50);
    Mouse(&v, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.autoScrolling, 0);
    const int stopped = Doc().history.windowStart;
    QTest::qWait(20);
    EXPECT_EQ(Doc().history.windowStart, stopped);
    Mouse(&v, QEvent::MouseMove, QPoint(p.right + 10, at.y()), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(v.scrollMultiplier, 12);
    EXPECT_EQ(v.cursor().hotSpot(), QPoint(22, 15));
    Mouse(&v, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(v.autoScrolling, 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(NavigationTest, ARightDragSelectsABandThatTheStatisticsReadAndALeftClickClears) {
    CVardoView& v = View();
    const Rect p = Plot();
    Mouse(&v, QEvent::MouseButtonPress, QPoint(p.left - 5, p.top + 50), Qt::RightButton,
          Qt::RightButton);
    Mouse(&v, QEvent::MouseMove, QPoint(p.left + 100, p.top + 50), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(v.selRect.Width(), 0) << "a drag from outside the plot selects nothing";
    Mouse(&v, QEvent::MouseButtonRelease, QPoint(p.left + 100, 0), Qt::RightButton, Qt::NoButton);

    const int right = p.right - 2 - 10;  // samples 10 .. 19 under the band
    Mouse(&v, QEvent::MouseButtonPress, QPoint(right, p.top + 50), Qt::RightButton,
          Qt::RightButton);
    Mouse(&v, QEvent::MouseMove, QPoint(right - 9, p.top + 80), Qt::NoButton, Qt::RightButton);
    Mouse(&v, QEvent::MouseButtonRelease, QPoint(right - 9, p.top + 80), Qt::RightButton,
          Qt::NoButton);
    EXPECT_EQ(v.selRect.Width(), 9);
    EXPECT_TRUE(Enabled(cmd::kStatistics));

    CStatDlg dlg;
    dlg.SetInputs(&Doc().displaySettings, &Doc().history);
    dlg.ComputeStats(v.selRect.left, v.selRect.top, v.selRect.right, v.selRect.bottom);
    QTableWidget* t = dlg.Table();
    ASSERT_EQ(t->rowCount(), 2);
    const char* want[2][4] = {{"通道1", "5.7", "7.5", "3.9"}, {"通道2", "44.9", "46.7", "43.1"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(t->item(r, c)->text(), U(want[r][c])) << r << c;
    t->setRowCount(kMaxChannels);
    dlg.show();
    EXPECT_LE(t->visualRect(t->model()->index(kMaxChannels - 1, 0)).bottom(),
              t->viewport()->height())
        << "twelve channels fit without scrolling";
    const VTime newest = Doc().history.newestTime;
    EXPECT_EQ(newest - dlg.statEnd, 10 * 10);
    EXPECT_EQ(newest - dlg.statStart, 19 * 10);

    Mouse(&v, QEvent::MouseButtonPress, QPoint(p.left + 50, p.top + 50), Qt::LeftButton,
          Qt::LeftButton);
    Mouse(&v, QEvent::MouseButtonRelease, QPoint(p.left + 50, p.top + 50), Qt::LeftButton,
          Qt::NoButton);
    EXPECT_FALSE(Enabled(cmd::kStatistics));
}

}  // namespace
}  // namespace vardo
