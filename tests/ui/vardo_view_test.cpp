#include "curves/vardo_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "base/reporter.h"
#include "base/texts.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "settings/setup_ini.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::CountColor;
using testing::CountNear;
using testing::PixelAt;
using testing::TempDir;
using testing::WriteLevelFile;

const QColor kYellow(192, 192, 0);
const QColor kLegendRed(255, 84, 84);
const QColor kLegendGreen(0, 192, 0);
const QColor kGrid(64, 0, 0);

// Channel ch holds a constant level, so that its curve is one horizontal line.
std::uint8_t Level(int ch) {
    return static_cast<std::uint8_t>(10 + 20 * ch);
}

class CurveViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        doc = std::make_unique<CVardoDoc>(reporter, home.path() + "/");
    }
    void TearDown() override {
        view.reset();
        doc.reset();
    }

    std::string LevelFile(int channels, std::uint32_t records = 3000,
                          const std::string& name = "08@2026-03-04_12-00-00.vd") {
        return WriteLevelFile(home / ("Data/" + name), channels, records,
                              [](int ch, std::uint32_t) { return Level(ch); });
    }

    // The view shown at w x h after its first paint.
    CVardoView& Show(int w, int h) {
        view = std::make_unique<CVardoView>(*doc, nullptr);
        view->resize(w, h);
        view->show();
        testing::WaitUntil([this] { return view->LaidOut(); });
        view->repaint();
        return *view;
    }

    const QImage& Work() const { return view->workSurface; }
    PlotFrame Frame() const { return FrameOf(doc->displaySettings); }
    QColor ChannelColor(int ch) const {
        return ToQColor(doc->displaySettings.channelColors.at(static_cast<std::size_t>(ch)));
    }
    int CurveY(int ch) const {
        return WindowSampleY(Frame(), doc->displaySettings, doc->history, ch, 0);
    }

    TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoDoc> doc;
    std::unique_ptr<CVardoView> view;
};

TEST_F(CurveViewTest, WithoutDataTheAreaIsBackgroundOnly) {
    CVardoView& v = Show(800, 500);
    ASSERT_FALSE(v.workSurface.isNull());
    EXPECT_EQ(v.workSurface.size(), QSize(800, 500));
    EXPECT_EQ(CountColor(Work(), Work().rect(), QColor(0, 0, 0)), 800 * 500);
}

TEST_F(CurveViewTest, FirstPaintReopensTheLastFileAndDrawsEveryCurveWhereTheGeometrySays) {
    const std::string path = LevelFile(12);
    WriteLastFile(doc->settingsPath(), path);
    Show(1000, 600);
    ASSERT_EQ(doc->dataValid, 1);
    EXPECT_EQ(doc->filePath, path);
    const PlotFrame f = Frame();
    EXPECT_EQ(f.L, 70);
    EXPECT_EQ(f.R, 860);
    for (int ch = 0; ch < 12; ++ch) {
        const int y = CurveY(ch);
        for (int i : {0, 1, 100, 700}) {
            const int x = SampleX(f, i, 1);
            EXPECT_EQ(PixelAt(Work(), x, y).rgb(), ChannelColor(ch).rgb())
                << "channel " << ch << " sample " << i;
        }
        EXPECT_EQ(PixelAt(Work(), 3, y).rgb(), QColor(0, 0, 0).rgb())
            << "curves end at the plot's left edge";
    }
}

TEST_F(CurveViewTest, GridAndFrameUseTheGridColour) {
    doc->OpenPath(LevelFile(1));
    Show(1000, 600);
    const PlotFrame f = Frame();
    const int curve = CurveY(0);
    for (int y : GridLinesY(f, doc->displaySettings.YLines))
        if (y != curve) {
            EXPECT_EQ(PixelAt(Work(), f.L + 40, y).rgb(), kGrid.rgb()) << y;
        }
    for (int x : GridLinesX(f, doc->displaySettings.XLines))
        EXPECT_EQ(PixelAt(Work(), x, f.T + 3).rgb(), kGrid.rgb()) << x;
    EXPECT_EQ(PixelAt(Work(), f.L, f.T + 100).rgb(), kGrid.rgb());
    EXPECT_EQ(PixelAt(Work(), f.R - 1, 3).rgb(), kGrid.rgb()) << "right axis up to the top";
    EXPECT_EQ(PixelAt(Work(), 3, f.B - 1).rgb(), kGrid.rgb()) << "bottom axis across the width";
    EXPECT_EQ(PixelAt(Work(), f.L + 40, f.T + 10).rgb(), QColor(0, 0, 0).rgb());
}

TEST_F(CurveViewTest, AxesHeaderAndLegendAreWritten) {
    doc->OpenPath(LevelFile(12));
    Show(1000, 600);
    const PlotFrame f = Frame();
    EXPECT_GT(CountNear(Work(), QRect(f.L - 40, f.B - 14, 40, 14), kYellow), 0) << "0.00";
    EXPECT_GT(CountNear(Work(), QRect(f.L - 60, f.T - 14, 60, 14), kYellow), 0) << "100.00";
    EXPECT_GT(CountNear(Work(), QRect(f.R - 30, f.B + 2, 70, 14), kYellow), 0) << "right time";
    EXPECT_GT(CountNear(Work(), QRect(f.L - 30, f.B + 2, 70, 14), kYellow), 0) << "left time";
    EXPECT_GT(CountNear(Work(), QRect(f.L, 8, 250, 18), kYellow), 0) << "time span";
    EXPECT_GT(CountNear(Work(), QRect(f.R - 250, 8, 110, 18), kYellow), 0) << "channels";
    EXPECT_GT(CountNear(Work(), QRect(f.R - 130, 8, 120, 18), kYellow), 0) << "interval";
    for (int r = 0; r < 12; ++r) {
        EXPECT_GT(CountNear(Work(), QRect(f.R + 20, 10 + 40 * r, 100, 17), kLegendRed), 0) << r;
        EXPECT_GT(CountNear(Work(), QRect(f.R + 40, 28 + 40 * r, 90, 18), kLegendGreen), 0) << r;
    }
}

TEST_F(CurveViewTest, HeaderLosesItsPiecesAsThePlotNarrows) {
    doc->OpenPath(LevelFile(3));
    struct Case {
        int w;  // plot width
        bool span, count, interval;
    } cases[] = {{600, true, true, true},
                 {500, false, true, true},
                 {200, false, false, true},
                 {120, false, false, false}};
    for (const Case& c : cases) {
        Show(c.w + 210, 400);
        const PlotFrame f = Frame();
        ASSERT_EQ(f.W(), c.w);
        // Each piece is looked for where only it can be, right of the value labels.
        const int from = f.L + 2;
        const bool span = CountNear(Work(), QRect(from, 8, f.W() - 254, 18), kYellow) > 0;
        const int countAt = std::max(f.R - 250, from);
        const bool count = CountNear(Work(), QRect(countAt, 8, 60, 18), kYellow) > 0;
        const int intervalAt = std::max(f.R - 128, from);
        const bool interval = CountNear(Work(), QRect(intervalAt, 8, 110, 18), kYellow) > 0;
        if (c.w > 254) {
            EXPECT_EQ(span, c.span) << c.w;
        }
        EXPECT_EQ(count, c.count) << c.w;
        EXPECT_EQ(interval, c.interval) << c.w;
    }
}

TEST_F(CurveViewTest, ChannelsWithoutDataHaveNoRowAndHiddenCurvesKeepTheirs) {
    testing::FileSpec file;
    file.channelCount = 3;
    file.present = {1, 0, 1};
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    file.newest = PackTime(newest);
    file.oldest = PackTime(newest - 10 * 99);
    file.newestSlot = 99;
    file.sample = [](int ch, std::uint32_t) { return Level(ch); };
    const std::string path = home / "Data/gap.vd";
    testing::WriteBytes(path, testing::BuildFile(file));
    doc->OpenPath(path);
    doc->displaySettings.channelChecks.at(2) = 0;
    Show(1000, 600);
    view->Redraw();
    const PlotFrame f = Frame();
    EXPECT_EQ(CountColor(Work(), QRect(f.L + 1, f.T + 1, f.W() - 2, f.HP() - 2), ChannelColor(2)),
              0)
        << "hidden curve";
    EXPECT_GT(CountColor(Work(), QRect(f.L + 1, f.T + 1, f.W() - 2, f.HP() - 2), ChannelColor(0)),
              0);
    // Rows: channel 1, then channel 3 (hidden but listed); channel 2 has none.
    EXPECT_GT(CountNear(Work(), QRect(f.R + 20, 10, 100, 17), kLegendRed), 0);
    EXPECT_GT(CountNear(Work(), QRect(f.R + 20, 50, 100, 17), kLegendRed), 0);
    EXPECT_EQ(CountNear(Work(), QRect(f.R + 20, 90, 100, 17), kLegendRed), 0);
}

TEST_F(CurveViewTest, ASingleSampleWindowDrawsOnePixelPerChannel) {
    doc->OpenPath(LevelFile(4, 1));
    Show(1000, 600);
    ASSERT_EQ(doc->history.windowCount, 1);
    const PlotFrame f = Frame();
    const QRect plot(f.L + 1, f.T + 1, f.W() - 2, f.HP() - 2);
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(CountColor(Work(), plot, ChannelColor(ch)), 1) << ch;
        EXPECT_EQ(PixelAt(Work(), f.R - 2, CurveY(ch)).rgb(), ChannelColor(ch).rgb());
    }
}

TEST_F(CurveViewTest, PointMarkersAppearFromSixPixelsPerPoint) {
    doc->OpenPath(LevelFile(1, 50));
    Show(1000, 600);
    const PlotFrame f = Frame();
    const int y = CurveY(0);
    for (int ppp : {5, 6}) {
        doc->displaySettings.pixelsPerPoint = ppp;
        view->Redraw();
        const int x = SampleX(f, 3, ppp);
        const bool marker = PixelAt(Work(), x + 1, y + 1).rgb() == ChannelColor(0).rgb() &&
                            PixelAt(Work(), x - 1, y - 1).rgb() == ChannelColor(0).rgb();
        EXPECT_EQ(marker, ppp >= 6) << ppp;
    }
}

TEST_F(CurveViewTest, SteepCurvesLeaveNoGaps) {
    // Full swings from sample to sample: every row between them must be painted.
    doc->OpenPath(WriteLevelFile(home / "Data/swing.vd", 1, 100, [](int, std::uint32_t r) {
        return static_cast<std::uint8_t>(r % 2 == 0 ? 0 : 255);
    }));
    Show(900, 500);
    const PlotFrame f = Frame();
    const QRgb c = ChannelColor(0).rgb();
    for (int ppp : {1, 4}) {
        doc->displaySettings.pixelsPerPoint = ppp;
        view->Redraw();
        for (int i = 0; i < 6; ++i) {
            const int right = SampleX(f, i, ppp);
            const int left = SampleX(f, i + 1, ppp);
            for (int y = f.T + 1; y <= f.B - 2; ++y) {
                bool painted = false;
                for (int x = left; x <= right; ++x)
                    painted = painted || PixelAt(Work(), x, y).rgb() == c;
                ASSERT_TRUE(painted) << "ppp " << ppp << " sample " << i << " row " << y;
            }
        }
    }
}

TEST_F(CurveViewTest, TheSelectedBandIsMixedInByExclusiveOrAndKept) {
    doc->OpenPath(LevelFile(1));
    Show(900, 500);
    const PlotFrame f = Frame();
    // The band runs from the anchor to the drag point whichever way it was dragged, and stops
    // at the plot's edges.
    view->anchorPoint = QPoint(f.L + 300, 100);
    view->dragPoint = QPoint(f.L - 40, 200);
    view->DrawSelection();
    EXPECT_EQ(view->selRect.left, f.L);
    EXPECT_EQ(view->selRect.right, f.L + 300);
    EXPECT_EQ(view->selRect.top, f.T);
    EXPECT_EQ(view->selRect.bottom, f.B);
    EXPECT_EQ(PixelAt(Work(), f.L + 150, f.T + 7).rgb(), QColor(30, 30, 30).rgb());
    EXPECT_EQ(PixelAt(Work(), f.L + 400, f.T + 7).rgb(), QColor(0, 0, 0).rgb());
    // A second band starts from the static picture again instead of piling up.
    view->dragPoint = QPoint(f.L + 100, 200);
    view->DrawSelection();
    EXPECT_EQ(PixelAt(Work(), f.L + 150, f.T + 7).rgb(), QColor(30, 30, 30).rgb());
    EXPECT_EQ(PixelAt(Work(), f.L + 50, f.T + 7).rgb(), QColor(0, 0, 0).rgb());
    EXPECT_EQ(view->selRect.left, f.L + 100);
}

TEST_F(CurveViewTest, ValuesBeyondTheScaleArePinnedUnderTheFrame) {
    doc->OpenPath(LevelFile(2));
    Show(1000, 600);
    DisplaySettings& ds = doc->displaySettings;
    const PlotFrame f = Frame();
    const QRect inside(f.L + 1, f.T + 1, f.W() - 2, f.HP() - 3);
    ASSERT_GT(CountColor(Work(), inside, ChannelColor(0)), 0);
    ASSERT_GT(CountColor(Work(), inside, ChannelColor(1)), 0);
    ds.YMode = 0;
    ds.YSmall = 5;   // channel 0 at 10 * 100 / 255 = 3.9: below
    ds.YLarge = 10;  // channel 1 at 30 * 100 / 255 = 11.8: above
    view->Redraw();
    // Pinned to the top edge and the bottom line, where the frame is drawn over them.
    EXPECT_EQ(CountColor(Work(), inside, ChannelColor(0)), 0);
    EXPECT_EQ(CountColor(Work(), inside, ChannelColor(1)), 0);
    EXPECT_EQ(PixelAt(Work(), f.L + 300, f.T).rgb(), kGrid.rgb());
    EXPECT_EQ(PixelAt(Work(), f.L + 300, f.B - 1).rgb(), kGrid.rgb());
}

TEST_F(CurveViewTest, ScrollButtonsOnlyWhenTheChannelsDoNotFit) {
    const QColor maroon(128, 0, 0);
    doc->OpenPath(LevelFile(12));
    CVardoView& v = Show(800, 300);
    EXPECT_EQ(PixelAt(Work(), 800 - 16, 10).rgb(), maroon.rgb());
    EXPECT_EQ(PixelAt(Work(), 800 - 9, 10 + 4).rgb(), maroon.rgb()) << "arrow apex";
    EXPECT_EQ(v.buttonRects[0].left, 800 - 16);
    EXPECT_EQ(v.buttonRects[3].bottom, Frame().B - 10);
    doc->OpenPath(LevelFile(8, 100, "eight.vd"));
    Show(800, 600);
    EXPECT_EQ(CountColor(Work(), QRect(800 - 16, 0, 16, 600), maroon), 0);
}

TEST_F(CurveViewTest, WhiteBackgroundWritesEveryTextInBlack) {
    doc->OpenPath(LevelFile(3));
    Show(1000, 600);
    doc->displaySettings.backColor = 0xFFFFFF;
    view->Redraw();
    const PlotFrame f = Frame();
    EXPECT_EQ(CountNear(Work(), Work().rect(), kYellow, 10), 0);
    EXPECT_EQ(CountNear(Work(), Work().rect(), kLegendRed, 10), 0);
    EXPECT_GT(CountNear(Work(), QRect(f.L, 8, 250, 18), QColor(0, 0, 0), 10), 0);
    EXPECT_GT(CountNear(Work(), QRect(f.R + 20, 10, 100, 17), QColor(0, 0, 0), 10), 0);
}

TEST_F(CurveViewTest, AFailedOpenLeavesTheBackgroundAndAMessage) {
    doc->OpenPath(LevelFile(3));
    Show(900, 500);
    const std::string bad = home / "Data/bad.vd";
    testing::WriteBytes(bad, std::vector<std::uint8_t>(300, 'x'));
    EXPECT_EQ(doc->OpenPath(bad), kHintFailed);
    QApplication::processEvents();
    view->repaint();
    ASSERT_FALSE(reporter.entries.empty());
    EXPECT_EQ(reporter.entries.back().text, texts::kUnknownFormat);
    EXPECT_EQ(reporter.entries.back().icon, MessageIcon::Error);
    EXPECT_EQ(CountColor(Work(), Work().rect(), QColor(0, 0, 0)), 900 * 500);
}

TEST_F(CurveViewTest, ADroppedFileIsOpened) {
    const std::string first = LevelFile(2, 200, "first.vd");
    const std::string second = LevelFile(5, 10, "second.vd");
    Show(900, 500);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                  QUrl::fromLocalFile(QString::fromStdString(second))});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &drop);
    EXPECT_EQ(doc->filePath, first) << "only the first dropped file counts";
    EXPECT_EQ(doc->dataValid, 1);
    EXPECT_EQ(ReadLastFile(doc->settingsPath()), first);
    EXPECT_GT(CountColor(Work(), Work().rect(), ChannelColor(1)), 100);
}

TEST_F(CurveViewTest, TheTimeEdgesAreKeptForTheOtherCommands) {
    doc->OpenPath(LevelFile(2, 5000));
    Show(1000, 600);
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    EXPECT_EQ(view->rightEdgeTime, newest);
    EXPECT_EQ(view->leftEdgeTime, newest - (790 - 3) * 10);
}

TEST_F(CurveViewTest, ResizeRebuildsTheSurfaces) {
    doc->OpenPath(LevelFile(2));
    Show(900, 500);
    view->resize(700, 450);
    QApplication::processEvents();
    view->repaint();
    EXPECT_EQ(Work().size(), QSize(700, 450));
    EXPECT_EQ(Frame().R, 700 - 140);
    EXPECT_EQ(PixelAt(Work(), SampleX(Frame(), 5, 1), CurveY(1)).rgb(), ChannelColor(1).rgb());
}

}  // namespace
}  // namespace vardo
