#include "curves/vardo_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/app_printer.h"
#include "base/reporter.h"
#include "curves/curve_fonts.h"
#include "curves/curve_geometry.h"
#include "curves/set_panel.h"
#include "settings/setup_ini.h"
#include "support/workbook_reader.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::CountColor;
using testing::CountText;
using testing::PixelAt;
using testing::RunShell;
using testing::WriteLevelFile;

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kYellow = qRgb(192, 192, 0);
const QRgb kLegendRed = qRgb(255, 84, 84);
const QRgb kLegendGreen = qRgb(0, 192, 0);
const QRgb kGrid = qRgb(64, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kPaperGrid = qRgb(225, 225, 225);
const QRgb kCursorBox = qRgb(0, 0, 128);
const QRgb kButton = qRgb(128, 0, 0);

// Channel ch holds a constant level, so that its curve is one horizontal line.
std::uint8_t Level(int ch) {
    return static_cast<std::uint8_t>(10 + 20 * ch);
}

class CurveViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        doc = std::make_unique<CVardoDoc>(reporter, home.path() + "/");
        // The picture is placed here without the settings panel; the panel's tests place it.
        DisplaySettings noPanel;
        noPanel.SetPannel = 0;
        ASSERT_EQ(SaveDisplaySettings(doc->settingsPath(), noPanel), 1);
    }
    std::string LevelFile(int channels, std::uint32_t records = 3000,
                          const std::string& name = "08@2026-03-04_12-00-00.vd") {
        return WriteLevelFile(home / ("Data/" + name), channels, records,
                              [](int ch, std::uint32_t) { return Level(ch); });
    }
    // The view shown at w x h after its first paint.
    void Show(int w, int h) {
        view = std::make_unique<CVardoView>(*doc, nullptr);
        view->resize(w, h);
        view->show();
        testing::WaitUntil([this] { return view->LaidOut(); });
        view->repaint();
    }
    const QImage& Work() const { return view->workSurface; }
    PlotFrame Frame() const { return FrameOf(doc->displaySettings); }
    QRect Plot() const {
        return QRect(Frame().L + 1, Frame().T + 1, Frame().W() - 2, Frame().HP() - 3);
    }
    QRgb ChannelColor(int ch) const {
        return ToQColor(doc->displaySettings.channelColors.at(static_cast<std::size_t>(ch))).rgb();
    }
    int CurveY(int ch) const {
        return WindowSampleY(Frame(), doc->displaySettings, doc->history, ch, 0);
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoDoc> doc;
    std::unique_ptr<CVardoView> view;
};

TEST_F(CurveViewTest, FirstPaintReopensTheLastFileAndDrawsCurvesAndGridWhereTheGeometrySays) {
    const std::string path = LevelFile(12);
    ASSERT_EQ(WriteLastFile(doc->settingsPath(), path), 1);
    Show(1000, 600);
    ASSERT_EQ(doc->dataValid, 1);
    EXPECT_EQ(doc->filePath, path);
    const PlotFrame f = Frame();
    ASSERT_EQ(f.R, 860);
    std::vector<int> curves;
    for (int ch = 0; ch < 12; ++ch) {
        curves.push_back(CurveY(ch));
        for (int i : {0, 1, 700})
            EXPECT_EQ(PixelAt(Work(), SampleX(f, i, 1), curves.back()), ChannelColor(ch))
                << "channel " << ch << " sample " << i;
        EXPECT_EQ(PixelAt(Work(), 3, curves.back()), kBlack) << "curves end at the plot's edge";
    }
    for (int y : GridLinesY(f, doc->displaySettings.YLines))
        if (std::find(curves.begin(), curves.end(), y) == curves.end()) {
            EXPECT_EQ(PixelAt(Work(), f.L + 40, y), kGrid) << y;
        }
    for (int x : GridLinesX(f, doc->displaySettings.XLines))
        EXPECT_EQ(PixelAt(Work(), x, f.T + 3), kGrid) << x;
    EXPECT_EQ(PixelAt(Work(), f.L, f.T + 100), kGrid);
    EXPECT_EQ(PixelAt(Work(), f.R - 1, 3), kGrid) << "right axis up to the top";
    EXPECT_EQ(PixelAt(Work(), 3, f.B - 1), kGrid) << "bottom axis across the width";
    // The time edges are kept for the other commands.
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    EXPECT_EQ(view->Edges().right, newest);
    EXPECT_EQ(view->Edges().left, newest - (790 - 3) * 10);
}

TEST_F(CurveViewTest, AxesAndLegendAreWrittenAndTheHeaderLosesPiecesAsThePlotNarrows) {
    doc->OpenPath(LevelFile(12));
    Show(1000, 600);
    PlotFrame f = Frame();
    EXPECT_GT(CountText(Work(), QRect(f.L - 40, f.B - 14, 40, 14), kYellow), 0) << "0.00";
    EXPECT_GT(CountText(Work(), QRect(f.L - 60, f.T - 14, 60, 14), kYellow), 0) << "100.00";
    EXPECT_GT(CountText(Work(), QRect(f.R - 30, f.B + 2, 70, 14), kYellow), 0) << "right time";
    EXPECT_GT(CountText(Work(), QRect(f.L - 30, f.B + 2, 70, 14), kYellow), 0) << "left time";
    for (int r = 0; r < 12; ++r) {
        EXPECT_GT(CountText(Work(), QRect(f.R + 20, 10 + 40 * r, 100, 17), kLegendRed), 0) << r;
        EXPECT_GT(CountText(Work(), QRect(f.R + 40, 28 + 40 * r, 90, 18), kLegendGreen), 0) << r;
    }
    struct Case {
        int w;                      // plot width
        std::array<bool, 3> shown;  // time span, channel count, record interval
    } cases[] = {{600, {true, true, true}},
                 {500, {false, true, true}},
                 {200, {false, false, true}},
                 {120, {false, false, false}}};
    for (const Case& c : cases) {
        Show(c.w + 210, 400);
        f = Frame();
        ASSERT_EQ(f.W(), c.w);
        // Each piece is looked for where only it can be, right of the value labels.
        const int from = f.L + 2;
        const QRect pieces[] = {{from, 8, std::max(f.W() - 254, 0), 18},
                                {std::max(f.R - 250, from), 8, 60, 18},
                                {std::max(f.R - 128, from), 8, 110, 18}};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(CountText(Work(), pieces[k], kYellow) > 0, c.shown[k]) << c.w << " " << k;
    }
}

TEST_F(CurveViewTest, ASingleSampleIsOnePixelChannelsWithoutDataHaveNoRowHiddenOnesKeepTheirs) {
    doc->OpenPath(WriteLevelFile(home / "Data/gap.vd", 3, 1,
                                 [](int ch, std::uint32_t) { return Level(ch); }, {1, 0, 1}));
    doc->displaySettings.channelChecks.at(2) = 0;
    Show(1000, 600);
    ASSERT_EQ(doc->history.windowCount, 1);
    const PlotFrame f = Frame();
    EXPECT_EQ(CountColor(Work(), Plot(), ChannelColor(0)), 1);
    EXPECT_EQ(PixelAt(Work(), f.R - 2, CurveY(0)), ChannelColor(0));
    EXPECT_EQ(CountColor(Work(), Plot(), ChannelColor(2)), 0) << "hidden curve";
    // Rows: channel 1, then channel 3 (hidden but listed); channel 2 has none.
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(CountText(Work(), QRect(f.R + 20, 10 + 40 * r, 100, 17), kLegendRed) > 0, r < 2);
}

TEST_F(CurveViewTest, SteepCurvesLeaveNoGapsAndMarkersAppearFromSixPixelsPerPoint) {
    // Full swings from sample to sample: every row between them must be painted.
    doc->OpenPath(WriteLevelFile(home / "Data/swing.vd", 1, 100, [](int, std::uint32_t r) {
        return static_cast<std::uint8_t>(r % 2 == 0 ? 0 : 255);
    }));
    Show(900, 500);
    const PlotFrame f = Frame();
    const QRgb c = ChannelColor(0);
    for (int ppp : {1, 4, 5, 6}) {
        doc->displaySettings.pixelsPerPoint = ppp;
        view->Redraw();
        for (int i = 0; i < 6; ++i) {
            const int right = SampleX(f, i, ppp), left = SampleX(f, i + 1, ppp);
            for (int y = f.T + 1; y <= f.B - 2; ++y)
                ASSERT_GT(CountColor(Work(), QRect(left, y, right - left + 1, 1), c), 0)
                    << "ppp " << ppp << " sample " << i << " row " << y;
        }
        // A marker is a box round the point: off the line, below the bottom sample.
        const int x = SampleX(f, 2, ppp), y = f.B - 2;
        EXPECT_EQ(PixelAt(Work(), x + 1, y - 1) == c && PixelAt(Work(), x - 1, y - 1) == c,
                  ppp >= 6)
            << ppp;
    }
}

TEST_F(CurveViewTest, ValuesBeyondTheScaleArePinnedUnderTheFrame) {
    doc->OpenPath(LevelFile(2));
    Show(1000, 600);
    ASSERT_GT(CountColor(Work(), Plot(), ChannelColor(0)), 0);
    ASSERT_GT(CountColor(Work(), Plot(), ChannelColor(1)), 0);
    DisplaySettings& ds = doc->displaySettings;
    ds.YMode = 0;
    ds.YSmall = 5;   // channel 0 at 10 * 100 / 255 = 3.9: below
    ds.YLarge = 10;  // channel 1 at 30 * 100 / 255 = 11.8: above
    view->Redraw();
    EXPECT_EQ(CountColor(Work(), Plot(), ChannelColor(0)), 0);
    EXPECT_EQ(CountColor(Work(), Plot(), ChannelColor(1)), 0);
    EXPECT_EQ(PixelAt(Work(), Frame().L + 300, Frame().T), kGrid);
    EXPECT_EQ(PixelAt(Work(), Frame().L + 300, Frame().B - 1), kGrid);
}

TEST_F(CurveViewTest, TheSelectedBandIsMixedInByExclusiveOrAndDoesNotPileUp) {
    doc->OpenPath(LevelFile(1));
    Show(900, 500);
    const PlotFrame f = Frame();
    // From the anchor to the drag point whichever way it was dragged, stopping at the plot.
    view->anchorPoint = QPoint(f.L + 300, 100);
    view->dragPoint = QPoint(f.L - 40, 200);
    view->DrawSelection();
    using E = std::array<int, 4>;
    const Rect s = view->selRect;
    EXPECT_EQ((E{s.left, s.top, s.right, s.bottom}), (E{f.L, f.T, f.L + 300, f.B}));
    EXPECT_EQ(PixelAt(Work(), f.L + 150, f.T + 7), qRgb(30, 30, 30));
    EXPECT_EQ(PixelAt(Work(), f.L + 400, f.T + 7), kBlack);
    view->dragPoint = QPoint(f.L + 100, 200);
    view->DrawSelection();
    EXPECT_EQ(PixelAt(Work(), f.L + 150, f.T + 7), qRgb(30, 30, 30));
    EXPECT_EQ(PixelAt(Work(), f.L + 50, f.T + 7), kBlack);
}

TEST_F(CurveViewTest, ScrollButtonsOnlyWhenTheChannelsDoNotFitAndWhiteMakesTextBlack) {
    const QRgb maroon = qRgb(128, 0, 0);
    doc->OpenPath(LevelFile(12));
    Show(800, 300);
    EXPECT_EQ(PixelAt(Work(), 800 - 16, 10), maroon);
    EXPECT_EQ(view->buttonRects[3].bottom, Frame().B - 10);
    doc->OpenPath(LevelFile(8, 100, "eight.vd"));
    Show(800, 600);
    EXPECT_EQ(CountColor(Work(), QRect(800 - 16, 0, 16, 600), maroon), 0);
    doc->displaySettings.backColor = 0xFFFFFF;
    view->Redraw();
    EXPECT_EQ(CountColor(Work(), Work().rect(), kYellow, 10), 0);
    EXPECT_EQ(CountColor(Work(), Work().rect(), kLegendRed, 10), 0);
    EXPECT_GT(CountColor(Work(), QRect(Frame().R + 20, 10, 100, 17), kBlack, 10), 0);
}

TEST_F(CurveViewTest, ADroppedFileIsOpenedAResizeRedrawsItAndAFailedOpenLeavesOnlyTheBackground) {
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
    view->resize(700, 450);
    QApplication::processEvents();
    view->repaint();
    EXPECT_EQ(Work().size(), QSize(700, 450));
    EXPECT_EQ(Frame().R, 700 - 140);
    EXPECT_EQ(PixelAt(Work(), SampleX(Frame(), 5, 1), CurveY(1)), ChannelColor(1));
    testing::WriteBytes(home / "Data/bad.vd", std::vector<std::uint8_t>(300, 'x'));
    EXPECT_EQ(doc->OpenPath(home / "Data/bad.vd"), kHintFailed);
    QApplication::processEvents();
    view->repaint();
    EXPECT_FALSE(reporter.entries.empty());
    EXPECT_EQ(CountColor(Work(), Work().rect(), kBlack), 700 * 450);
}

}  // namespace
}  // namespace vardo

namespace vardo {
namespace {

using testing::Mouse;
using testing::Wheel;

TEST_F(CurveViewTest, TheWheelAndTheButtonsScrollTheChannelListOnlyBesideThePlot) {
    doc->OpenPath(LevelFile(12));
    Show(800, 300);  // 9 rows for 12 channels
    const PlotFrame f = Frame();
    const QPoint upper(f.R + 40, 20);
    struct Step {
        QPoint at;
        int delta, first;
    } steps[] = {{upper, -120, 1},
                 {upper, -40, 1},
                 {upper, -40, 1},
                 {upper, -40, 2},
                 {QPoint(300, 100), -120, 2},
                 {upper, 120, 1},
                 {upper, -480, 3}};
    for (const Step& s : steps) {
        Wheel(view.get(), s.at, s.delta);
        EXPECT_EQ(view->upperFirst, s.first) << s.delta << " at " << s.at.x();
    }
    EXPECT_GT(CountText(Work(), QRect(f.R + 20, 10, 100, 17), kLegendRed), 0) << "a row on top";
    const Rect up = view->buttonRects[0];
    Mouse(view.get(), QEvent::MouseButtonPress, QPoint(up.left + 5, up.top + 5), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_EQ(view->upperFirst, 2);
    const Rect down = view->buttonRects[1];
    Mouse(view.get(), QEvent::MouseMove, QPoint(down.left + 5, down.top + 5), Qt::NoButton,
          Qt::NoButton);
    EXPECT_EQ(PixelAt(Work(), down.left + 7, down.top + 8), qRgb(0, 128, 0))
        << "lit under the pointer";
}

TEST_F(CurveViewTest, PastTheOldestSampleTheReadoutShowsNamesAndTimeButNoValues) {
    doc->OpenPath(LevelFile(3, 100));
    Show(1000, 600);
    const PlotFrame f = Frame();
    const QRect values(f.R + 40, 28, 90, 120);
    for (auto [x, shown] : {std::pair{f.R - 50, true}, {f.L + 100, false}}) {
        Mouse(view.get(), QEvent::MouseButtonPress, QPoint(x, 200), Qt::LeftButton, Qt::LeftButton);
        EXPECT_EQ(CountText(Work(), values, kLegendGreen) > 0, shown) << x;
        EXPECT_GT(CountText(Work(), QRect(f.R + 20, 10, 100, 17), kLegendRed), 0);
        EXPECT_GT(CountColor(Work(), QRect(x - 40, f.B + 2, 80, 26), qRgb(0, 0, 128)), 0);
        Mouse(view.get(), QEvent::MouseButtonRelease, QPoint(x, 200), Qt::LeftButton, Qt::NoButton);
    }
}

// Printing: the page as paper shows it, rendered into an image for exact pixels, and once through
// the application's printer into a PDF that independent tools read back.

class CurvePrintTest : public CurveViewTest {
  protected:
    // Twelve channels on a screen that holds the readout, a band and the scroll buttons: all
    // three are the screen's, and paper must show none of them.
    void ShowEverythingOnScreen() {
        doc->OpenPath(LevelFile(12));
        Show(1000, 350);
        const PlotFrame f = Frame();
        ASSERT_GT(CountColor(Work(), Work().rect(), kButton), 0);
        Mouse(view.get(), QEvent::MouseButtonPress, QPoint(f.R - 100, 150), Qt::LeftButton,
              Qt::LeftButton);
        ASSERT_GT(CountColor(Work(), Work().rect(), kCursorBox), 0);
        view->anchorPoint = QPoint(Band().left(), 100);
        view->dragPoint = QPoint(Band().right(), 200);
        view->DrawSelection();
        ASSERT_GT(CountColor(Work(), Band(), qRgb(30, 30, 30)), 0);
    }
    // The page printed into an image with a margin round it, as a printer's printable area lies
    // inside the sheet: the view's 1000 x 350 at twice its size.
    QImage Printed() {
        QImage sheet(2080, 760, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        view->PrintPage(p, kPage);
        return sheet;
    }
    // A rectangle of the view's logical units on the printed sheet.
    static QRect OnSheet(int x, int y, int w, int h) {
        return QRect(kPage.left() + 2 * x, kPage.top() + 2 * y, 2 * w, 2 * h);
    }
    PlotFrame PaperFrame() const { return FrameOf(view->printSettings); }

    QRect Band() const { return QRect(Frame().L + 100, Frame().T, 200, Frame().HP()); }

    static inline const QRect kPage{40, 30, 2000, 700};
};

TEST_F(CurvePrintTest, ThePageIsWhiteFramedAndWrittenBesideWithoutOverlaysAndNothingOffThePage) {
    ShowEverythingOnScreen();
    const QImage sheet = Printed();
    const PlotFrame f = PaperFrame();
    const Rect& d = view->printSettings.drawRect;
    ASSERT_EQ(d.right, 1000 - view->panel->width()) << "the strip is the panel's width";
    // Curves reach far left of the plot, and the sheet's margin lies beyond the page.
    EXPECT_EQ(sheet.width() * sheet.height() - CountColor(sheet, sheet.rect(), kWhite),
              kPage.width() * kPage.height() - CountColor(sheet, kPage, kWhite))
        << "nothing drawn outside the page";
    for (int ch = 0; ch < 12; ++ch) {
        const int y = WindowSampleY(f, view->printSettings, doc->history, ch, 0);
        EXPECT_GT(CountColor(sheet, OnSheet(SampleX(f, 0, 1), y, 1, 1), ChannelColor(ch)), 0)
            << "channel " << ch;
        EXPECT_EQ(CountColor(sheet, OnSheet(0, y, f.L, 1), ChannelColor(ch)), 0)
            << "channel " << ch << " stops at the plot";
    }
    for (int x : GridLinesX(f, view->printSettings.XLines))
        EXPECT_GT(CountColor(sheet, OnSheet(x, f.T, 1, f.HP()), kPaperGrid), f.HP()) << x;
    // The frame lies on the page's edges, whole, as the screen's outermost pixels would.
    const int edges[][4] = {
        {0, 0, 1, 350}, {d.right - 1, 0, 1, 350}, {0, 0, d.right, 1}, {0, 349, d.right, 1}};
    for (const auto& e : edges)  // a corner may lose a pixel to the join
        EXPECT_GE(CountColor(sheet, OnSheet(e[0], e[1], e[2], e[3]), kBlack), 4 * e[2] * e[3] - 2)
            << "frame at " << e[0] << "," << e[1];
    // "打印文件：..." and "打印时间：..." run down the strip from 20 units below the top.
    for (int x : {d.right + 100, d.right + 60}) {
        EXPECT_GT(CountText(sheet, OnSheet(x - 16, 20, 16, 200), kBlack), 100) << x;
        EXPECT_EQ(CountColor(sheet, OnSheet(x - 16, 0, 16, 19), kWhite), 2 * 16 * 2 * 19) << x;
    }
    EXPECT_GT(CountText(sheet, OnSheet(f.R + 20, 10, 100, 17), kBlack), 0) << "legend";
    EXPECT_EQ(CountColor(sheet, kPage, kYellow, 10), 0);
    EXPECT_EQ(CountColor(sheet, kPage, kCursorBox, 10), 0);
    EXPECT_EQ(CountColor(sheet, kPage, kButton, 10), 0);
    const QRect paperBand = OnSheet(Band().left() + 2, f.T + 2, Band().width() - 4, 60);
    EXPECT_GT(CountColor(sheet, paperBand, kWhite), paperBand.width() * paperBand.height() * 8 / 10)
        << "no band";
    // A hidden panel still leaves its width to the strip: the page is the same with it shown,
    // but for the minute of printing, which may have turned in between.
    view->TogglePanel();
    ASSERT_EQ(view->panelShown, 1);
    const QImage shown = Printed();
    const int timeLeft = OnSheet(d.right + 40, 0, 0, 0).left();
    const int timeRight = OnSheet(d.right + 64, 0, 0, 0).left();
    EXPECT_EQ(shown.copy(0, 0, timeLeft, sheet.height()),
              sheet.copy(0, 0, timeLeft, sheet.height()));
    EXPECT_EQ(shown.copy(timeRight, 0, sheet.width() - timeRight, sheet.height()),
              sheet.copy(timeRight, 0, sheet.width() - timeRight, sheet.height()));
    // However long the path, its line ends 20 units above the page's bottom, as it starts below
    // the top.
    doc->filePath = "/" + std::string(400, 'x') + "/08@2026-03-04_12-00-00.vd";
    const QImage longPath = Printed();
    EXPECT_GT(CountText(longPath, OnSheet(d.right + 84, 300, 16, 30), kBlack), 0);
    EXPECT_EQ(CountColor(longPath, OnSheet(d.right + 84, 331, 16, 19), kWhite), 2 * 16 * 2 * 19);
}

// pdftoppm's picture of the only page of pdf, unsmoothed so that lines keep their colours.
QImage Rasterised(const std::string& pdf) {
    const std::string out = pdf + "-page";
    RunShell("pdftoppm -r 50 -aa no -aaVector no -png -singlefile '" + pdf + "' '" + out + "'");
    return QImage(QString::fromStdString(out + ".png")).convertToFormat(QImage::Format_RGB32);
}

TEST_F(CurvePrintTest, TheApplicationsPrinterGivesOneLandscapePdfPageThatThePreviewShowsToo) {
    if (RunShell("for t in pdfinfo pdftotext pdftoppm; do command -v $t >/dev/null || exit 1; done")
            .find("exit status") != std::string::npos)
        GTEST_SKIP() << "pdfinfo, pdftotext and pdftoppm (poppler-utils) are not installed";
    ShowEverythingOnScreen();
    QPrinter& printer = AppPrinter();
    const std::string pdf = home / "page.pdf";
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    view->OnPrint(false);
    EXPECT_TRUE(reporter.entries.empty());

    const std::string info = RunShell("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    double w = 0, h = 0;
    const std::size_t size = info.find("Page size:");
    ASSERT_NE(size, std::string::npos) << info;
    ASSERT_EQ(std::sscanf(info.c_str() + size, "Page size: %lf x %lf", &w, &h), 2) << info;
    EXPECT_GT(w, h) << "landscape";

    const std::string text = RunShell("pdftotext '" + pdf + "' - | tr -d '\\n'");
    for (const std::string& s :
         {"打印文件：" + doc->filePath, std::string("打印时间："), std::string("通道数目：12"),
          std::string("记录间隔：10秒"), std::string("=> 2026-03-04 12:00:00"),
          std::string("通道 1 :"), std::string("通道 8 :")})
        EXPECT_NE(text.find(s), std::string::npos) << s << " in " << text;
    const std::size_t at = text.find("打印时间：");
    int fields[5] = {};
    EXPECT_EQ(std::sscanf(text.c_str() + at + std::strlen("打印时间："), "%d-%d-%d %d:%d",
                          &fields[0], &fields[1], &fields[2], &fields[3], &fields[4]),
              5)
        << text.substr(at);

    const QImage page = Rasterised(pdf);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(CountColor(page, page.rect(), kWhite), page.width() * page.height() / 2);
    EXPECT_GT(CountColor(page, page.rect(), kPaperGrid), 50);
    for (int ch = 0; ch < 4; ++ch)
        EXPECT_GT(CountColor(page, page.rect(), ChannelColor(ch)), 50) << ch;
    EXPECT_EQ(CountColor(page, page.rect(), kCursorBox, 10), 0);
    EXPECT_EQ(CountColor(page, page.rect(), kButton, 10), 0);
    // The frame is the longest black column, the side text lies right of its right edge.
    int left = -1, right = -1;
    for (int x = 0; x < page.width(); ++x)
        if (CountColor(page, QRect(x, 0, 1, page.height()), kBlack) > page.height() * 3 / 4) {
            if (left < 0) left = x;
            right = x;
        }
    ASSERT_GT(right - left, page.width() / 2) << "frame";
    EXPECT_GT(CountColor(page, QRect(right + 2, 0, page.width(), page.height()), kBlack), 20)
        << "side text";

    // The preview asks for its page through the same hook: handed the dialog's own printer, it
    // writes what printing wrote.
    const std::string previewPdf = home / "preview.pdf";
    int previewPages = 0;
    QPageLayout::Orientation previewOrientation = QPageLayout::Portrait;
    QTimer::singleShot(0, view.get(), [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dlg = qobject_cast<QPrintPreviewDialog*>(w);
            if (dlg == nullptr || !dlg->isVisible()) continue;
            auto* preview = dlg->findChild<QPrintPreviewWidget*>();
            testing::WaitUntil([preview] { return preview->pageCount() > 0; });
            previewPages = preview->pageCount();
            previewOrientation = preview->orientation();
            dlg->printer()->setOutputFileName(QString::fromStdString(previewPdf));
            emit dlg->paintRequested(dlg->printer());
            dlg->reject();
        }
    });
    view->OnPrintPreview();
    printer.setOutputFileName({});
    EXPECT_EQ(previewPages, 1);
    EXPECT_EQ(previewOrientation, QPageLayout::Landscape);
    const QImage previewed = Rasterised(previewPdf);
    ASSERT_EQ(previewed.size(), page.size());
    // The minute of printing may have turned in between; the picture left of it may not differ.
    EXPECT_EQ(previewed.copy(0, 0, right + 1, page.height()),
              page.copy(0, 0, right + 1, page.height()));
}

}  // namespace
}  // namespace vardo
