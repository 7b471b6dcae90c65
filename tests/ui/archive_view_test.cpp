// The archive in the program: the dialog that opens a recorder's span, clicked as a user clicks
// it, and the curve view over that span: columns as the core's envelope, gaps as breaks, and
// navigation across the seam of two added files.

#include <gtest/gtest.h>

#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/vardo_doc.h"
#include "archive/archive_open_dlg.h"
#include "archive/span_envelope.h"
#include "base/reporter.h"
#include "curves/curve_fonts.h"
#include "curves/envelope.h"
#include "curves/span_geometry.h"
#include "curves/vardo_view.h"
#include "settings/setup_ini.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::ClickOn;

using testing::PixelAt;

constexpr VTime kStep = 10;
const VTime kStart = MakeLocalTime(2026, 5, 1, 0, 0, 0);
// Two files of ten days with a day between them that nothing recorded, then a third file that
// starts right where the second ends: a seam without a gap.
const VTime kGapFrom = kStart + 10 * 86400;
const VTime kGapTo = kStart + 11 * 86400;
const VTime kSeam = kStart + 21 * 86400;
const VTime kEnd = kStart + 30 * 86400 - kStep;
// One record far above its neighbours that every zoom must show.
const VTime kSpike = kStart + 5 * 86400 + 12345 * kStep;

std::uint8_t Sample(int ch, VTime t) {
    if (t == kSpike && ch == 0) return 250;
    return static_cast<std::uint8_t>(60 + 40 * ch + (t / kStep) % 30);
}

RecordConfig TwoChannels() {
    RecordConfig c;
    c.intervalCode = 3;
    c.channelCount = 2;
    c.present = 3;
    for (int ch = 0; ch < 2; ++ch) {
        c.low[static_cast<std::size_t>(ch)] = MakeDecimal(0, 1);
        c.high[static_cast<std::size_t>(ch)] = MakeDecimal(1000, 1);
    }
    return c;
}

void AddFile(ArchiveStore& store, VTime from, VTime to, const char* path) {
    std::vector<OfferedRecord> records;
    for (VTime t = from; t <= to; t += kStep) {
        OfferedRecord r;
        r.time = t;
        for (int ch = 0; ch < 2; ++ch) r.samples[static_cast<std::size_t>(ch)] = Sample(ch, t);
        records.push_back(r);
    }
    SourceInfo source;
    source.how = kSourceFile;
    source.path = path;
    AddCounts counts;
    ASSERT_EQ(store.Add({"", 8, "ZT772"}, TwoChannels(), records, source, counts),
              ArchiveStatus::Ok);
}

// Written only where the one who runs the test asks for them, to look at.
void KeepScreenshot(const QImage& img, const char* name) {
    if (const char* dir = std::getenv("VARDO_SCREENSHOTS"))
        img.save(QString::fromUtf8(dir) + "/" + name);
}

class ArchiveViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        doc = std::make_unique<CVardoDoc>(reporter, home.path() + "/");
        DisplaySettings noPanel;
        noPanel.SetPannel = 0;
        ASSERT_EQ(SaveDisplaySettings(doc->settingsPath(), noPanel), 1);
    }
    std::string Url() const { return "sqlite:" + home.path() + "/Archive.db"; }
    void MakeArchive() {
        ArchiveOpen open = OpenArchive(Url(), true);
        ASSERT_EQ(open.status, ArchiveStatus::Ok) << open.error;
        AddFile(*open.store, kStart, kGapFrom - kStep, "a.vd");
        AddFile(*open.store, kGapTo, kSeam - kStep, "b.vd");
        AddFile(*open.store, kSeam, kEnd, "c.vd");
    }
    void OpenSpan(VTime from, VTime to) {
        ArchiveOpen open = OpenArchive(Url(), false);
        ASSERT_EQ(open.status, ArchiveStatus::Ok);
        std::vector<RecorderSummary> recorders;
        ASSERT_EQ(open.store->Recorders(recorders), ArchiveStatus::Ok);
        ASSERT_EQ(doc->OpenSpan(std::move(open.store), recorders.at(0), from, to), 1);
    }
    void Show(int w, int h) {
        view = std::make_unique<CVardoView>(*doc, nullptr);
        view->resize(w, h);
        view->show();
        testing::WaitUntil([this] { return view->LaidOut(); });
        view->repaint();
    }
    PlotFrame Frame() const { return FrameOf(doc->displaySettings); }
    QRgb Color(int ch) const {
        return ToQColor(doc->displaySettings.channelColors.at(static_cast<std::size_t>(ch))).rgb();
    }
    int Y(float v) const { return SampleY(Frame(), doc->displaySettings, v / 100, v); }
    // Whether channel ch's colour is anywhere in plot column x.
    bool Drawn(int ch, int x) const {
        const PlotFrame f = Frame();
        for (int y = f.T + 1; y < f.B - 1; ++y)
            if (PixelAt(view->workSurface, x, y) == (Color(ch) | 0xFF000000u)) return true;
        return false;
    }
    int ColumnOf(VTime t) const {
        const Envelope& e = doc->span->envelope;
        return EnvelopeColumnOf(t, e.from, e.to, static_cast<int>(e.columns.size()));
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoDoc> doc;
    std::unique_ptr<CVardoView> view;
};

TEST_F(ArchiveViewTest, WithoutAnArchiveTheCommandSaysSoAndMakesNone) {
    CArchiveOpenDlg dlg(*doc);
    EXPECT_FALSE(dlg.Load());
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_EQ(reporter.entries[0].text, home.path() + "/Archive.db: 档案库不存在！");
    EXPECT_FALSE(std::filesystem::exists(home / "Archive.db"));
}

TEST_F(ArchiveViewTest, DialogListsTheRecorderWithItsGapAndOpensThePickedSpan) {
    MakeArchive();
    CArchiveOpenDlg dlg(*doc);
    ASSERT_TRUE(dlg.Load());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTableWidget* t = dlg.Table();
    ASSERT_EQ(t->rowCount(), 1);
    const char* cells[] = {"", "08", "ZT772", "2", "2026-05-01 00:00:00", "2026-05-30 23:59:50"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(t->item(0, c)->text().toStdString(), cells[c]) << c;
    // The coverage bar: the day without records is a hole between the covered stretches.
    const QImage bar = t->cellWidget(0, 6)->grab().toImage();
    const auto covered = [&](VTime at) {
        const int x = static_cast<int>((at - kStart) * bar.width() / (kEnd - kStart + 1));
        return QColor(bar.pixel(x, bar.height() / 2)) == QColor(0, 128, 64);
    };
    EXPECT_TRUE(covered(kStart + 86400));
    EXPECT_FALSE(covered(kGapFrom + 43200));
    EXPECT_TRUE(covered(kSeam));
    KeepScreenshot(dlg.grab().toImage(), "archive_dialog.png");

    const struct {
        SpanShortcut which;
        VTime from;
    } shortcuts[] = {
        {SpanShortcut::Day, kEnd - 86400 + 1},
        {SpanShortcut::Month, kEnd - 30 * 86400 + 1 < kStart ? kStart : kEnd - 30 * 86400 + 1},
        {SpanShortcut::Week, kEnd - 7 * 86400 + 1}};
    for (const auto& s : shortcuts) {
        ClickOn(dlg.ShortcutButton(s.which));
        EXPECT_EQ(JoinDateAndTime(dlg.StartPicker().DateFields(), dlg.StartPicker().TimeFields()),
                  s.from);
    }
    ClickOn(dlg.OkButton());
    ASSERT_TRUE(doc->span);
    EXPECT_EQ(doc->span->All(), (SpanWindow{kEnd - 7 * 86400 + 1, kEnd}));
    EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(ArchiveViewTest, ColumnsAreTheCoreEnvelopeAndTheGapIsABreak) {
    MakeArchive();
    OpenSpan(kStart, kEnd);
    Show(1000, 600);
    const PlotFrame f = Frame();
    const Envelope& shown = doc->span->envelope;
    ASSERT_EQ(static_cast<int>(shown.columns.size()), SpanColumns(f));
    Envelope core;
    ASSERT_EQ(SpanEnvelope(doc->span->Store(), doc->span->Recorder().id, doc->span->Configs(),
                           kStart, kEnd, SpanColumns(f), core),
              ArchiveStatus::Ok);
    for (std::size_t c = 0; c < core.columns.size(); ++c)
        for (int ch = 0; ch < 2; ++ch) {
            ASSERT_EQ(shown.columns[c].records, core.columns[c].records) << c;
            if (core.columns[c].records == 0) continue;
            EXPECT_EQ(shown.columns[c].min[ch], core.columns[c].min[ch]) << c;
            EXPECT_EQ(shown.columns[c].max[ch], core.columns[c].max[ch]) << c;
        }
    // Each filled column reaches its max and min in the channel's colour; the spike is drawn.
    for (int c : {0, 100, ColumnOf(kSpike), ColumnOf(kSeam), SpanColumns(f) - 1}) {
        const EnvelopeColumn& col = shown.columns[static_cast<std::size_t>(c)];
        ASSERT_GT(col.records, 0) << c;
        for (float v : {col.min[0], col.max[0]})
            EXPECT_EQ(PixelAt(view->workSurface, SpanColumnX(f, c), Y(v)), Color(0) | 0xFF000000u)
                << "column " << c << " value " << v;
    }
    EXPECT_GT(shown.columns[static_cast<std::size_t>(ColumnOf(kSpike))].max[0], 95.0f);
    for (VTime t = kGapFrom + 3600; t < kGapTo - 3600; t += 3600)
        for (int ch = 0; ch < 2; ++ch) EXPECT_FALSE(Drawn(ch, SpanColumnX(f, ColumnOf(t)))) << t;
    EXPECT_TRUE(Drawn(1, SpanColumnX(f, ColumnOf(kGapFrom - 7200))));
    EXPECT_TRUE(Drawn(1, SpanColumnX(f, ColumnOf(kGapTo + 7200))));
    KeepScreenshot(view->workSurface, "archive_month_gap.png");
}

TEST_F(ArchiveViewTest, NavigationRunsAcrossTheSeamAndZoomsOutToAll) {
    MakeArchive();
    OpenSpan(kStart, kEnd);
    Show(1000, 600);
    const SpanWindow all = doc->span->All();
    // Zoomed in to about an hour just before the seam, then forward over it.
    for (int k = 0; k < 10; ++k) view->ZoomIn();
    const VTime width = doc->span->window.Width();
    EXPECT_LT(width, 3 * 3600);
    doc->span->window = SpanWindowEndingAt(doc->span->window, all, kSeam - 1);
    view->Forward();
    view->Forward();
    const SpanWindow w = doc->span->window;
    EXPECT_EQ(w.Width(), width);
    ASSERT_LT(w.from, kSeam);
    ASSERT_GT(w.to, kSeam);
    // One unbroken curve across the seam: every column holds a record and the strokes join.
    const PlotFrame f = Frame();
    const auto runs =
        EnvelopeRuns(f, doc->displaySettings, doc->span->envelope, 0, doc->span->MaxStep(), 0, 100);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_TRUE(Drawn(0, SpanColumnX(f, ColumnOf(kSeam))));
    EXPECT_TRUE(Drawn(0, SpanColumnX(f, ColumnOf(kSeam - kStep))));
    KeepScreenshot(view->workSurface, "archive_seam.png");
    for (int k = 0; k < 20; ++k) view->ZoomOut();
    EXPECT_EQ(doc->span->window, all);
    view->ZoomIn();
    view->ActualSize();
    EXPECT_EQ(doc->span->window, all);
}

TEST_F(ArchiveViewTest, PrintedPageIsThePictureOnScreen) {
    MakeArchive();
    OpenSpan(kStart, kEnd);
    Show(1000, 600);
    QImage page(2000, 1200, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        view->PrintPage(p, page.rect());
    }
    KeepScreenshot(page, "archive_print.png");
    // The gap is as empty on paper as on screen, the curves on either side are drawn.
    const DisplaySettings& printed = view->printSettings;
    const PlotFrame f = FrameOf(printed);
    const double sx = static_cast<double>(page.width()) / view->width();
    const double sy = static_cast<double>(page.height()) / view->height();
    const auto inked = [&](VTime t) {
        const int x =
            static_cast<int>((SpanColumnX(f, ColumnOf(t)) + printed.drawRect.left + 0.5) * sx);
        int n = 0;
        for (int y = static_cast<int>((f.T + printed.drawRect.top + 2) * sy);
             y < static_cast<int>((f.B + printed.drawRect.top - 2) * sy); ++y)
            n += QColor(page.pixel(x, y)) != QColor(Qt::white) &&
                 QColor(page.pixel(x, y)) != QColor(225, 225, 225);
        return n;
    };
    EXPECT_GT(inked(kGapFrom - 7200), 0);
    EXPECT_EQ(inked(kGapFrom + 43200), 0);
}

TEST_F(ArchiveViewTest, PeakEnvelopeKeepsAFilesSpikeWhenZoomedOutAndIsSaved) {
    const VTime spikeBack = 1234;  // records back from the newest
    const std::string path = testing::WriteLevelFile(
        home / "Data/08@2026-03-04_12-00-00.vd", 1, 3000,
        [&](int, std::uint32_t r) { return static_cast<std::uint8_t>(r == spikeBack ? 250 : 60); });
    doc->OpenPath(path);
    Show(1000, 600);
    for (int k = 0; k < 3; ++k) view->ZoomOut();
    ASSERT_GT(doc->history.windowStep, 1);
    const PlotFrame f = Frame();
    const HistoryData& h = doc->history;
    const TimeAxisLayout axis = LayoutTimeAxis(f, doc->displaySettings, h, 1);
    const Envelope e = FileEnvelope(h, axis.leftEdgeTime, axis.rightEdgeTime, SpanColumns(f));
    const int c = EnvelopeColumnOf(h.newestTime - 10 * spikeBack, e.from, e.to,
                                   static_cast<int>(e.columns.size()));
    const float peak = e.columns[static_cast<std::size_t>(c)].max[0];
    const float low = h.rangeLow[0].Value();
    const float high = h.rangeHigh[0].Value();
    const int y = SampleY(f, doc->displaySettings, (peak - low) / (high - low), peak);
    const auto spikeDrawn = [&] {
        for (int x = SpanColumnX(f, c) - 1; x <= SpanColumnX(f, c) + 1; ++x)
            if (PixelAt(view->workSurface, x, y) == (Color(0) | 0xFF000000u)) return true;
        return false;
    };
    // Every n-th record passes the spike over; the envelope cannot.
    EXPECT_FALSE(spikeDrawn());
    doc->displaySettings.PeakEnvelope = 1;
    view->Redraw();
    EXPECT_TRUE(spikeDrawn()) << "column " << c << " y " << y;
    ASSERT_EQ(SaveDisplaySettings(doc->settingsPath(), doc->displaySettings), 1);
    DisplaySettings back;
    LoadDisplaySettings(doc->settingsPath(), back);
    EXPECT_EQ(back.PeakEnvelope, 1);
    EXPECT_EQ(back.SpanPeakEnvelope, 1) << "on for spans unless turned off";
}

}  // namespace
}  // namespace vardo
