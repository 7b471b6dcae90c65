// The curve view's budget on the largest file (12 channels, 131072 records): a full redraw of
// 12 x 1200 samples (static surface, then the copy to the window) and one zoom or scroll step
// (a new window and that redraw) under 5 ms each, every pointer move of the readout or the band
// under 1 ms, and start-up to the first painted frame under 100 ms (vardo FILE as vardo alone
// with its last file). Run on the offscreen platform.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app_printer.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "app/vardo_doc.h"
#include "base/le_bytes.h"
#include "base/reporter.h"
#include "curves/vardo_view.h"
#include "history/history_format.h"
#include "pointer_events.h"
#include "qt_benchmark_main.h"
#include "settings/setup_ini.h"

namespace {

using namespace vardo;
using bench::MovePointer;
using bench::PressPointer;

constexpr std::uint32_t kCapacity = 131072;
constexpr std::uint32_t kRecords = kCapacity;

// A 12-channel file of smooth, noisy waves in a temporary home, remembered as LastFile.
class BenchHome {
  public:
    BenchHome() {
        char tmpl[] = "/tmp/vardo-bench-ui-XXXXXX";
        home = std::string(mkdtemp(tmpl)) + "/";
        std::filesystem::create_directories(home + "Data");
        const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
        path = home + "Data/08@2026-03-04_12-00-00.vd";
        std::vector<std::uint8_t> bytes(kHeaderSize + 12 * kCapacity);
        const char model[] = "ZT330";
        for (int i = 0; i < 5; ++i) bytes[i] = static_cast<std::uint8_t>(model[i]);
        bytes[header::kChannelCount] = 12;
        const PackedTime n = PackTime(newest);
        const PackedTime o = PackTime(newest - 10 * (kRecords - 1));
        for (int i = 0; i < 6; ++i) {
            bytes[header::kNewestTime + i] = n[i];
            bytes[header::kOldestTime + i] = o[i];
        }
        PutU24LE(bytes.data() + header::kNewestSlot, kRecords - 1);
        bytes[header::kIntervalCode] = 3;
        bytes[header::kHasOldestTime] = 1;
        for (int k = 0; k < 12; ++k) {
            std::uint8_t* config = bytes.data() + ChannelConfigOffset(k);
            EncodeDecimalValue(MakeDecimal(0, 0), config);
            EncodeDecimalValue(MakeDecimal(static_cast<std::int16_t>(1000 * (k + 1)), 1),
                               config + 3);
            bytes[header::kChannelPresent + k] = 1;
            std::uint8_t* block = bytes.data() + kHeaderSize + k * kCapacity;
            for (std::uint32_t s = 0; s < kRecords; ++s) {
                const double wave = std::sin(s / (40.0 + 9 * k) + k) * 0.35 + 0.5;
                const double noise = ((s * 2654435761u + k * 97u) >> 27) / 32.0 * 0.08;
                block[s] = static_cast<std::uint8_t>((wave + noise) * 230);
            }
        }
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        if (!WriteLastFile(home + "SetUp.ini", path)) std::abort();
    }
    ~BenchHome() {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }
    std::string home;
    std::string path;
};

BenchHome& Home() {
    static BenchHome h;
    return h;
}

// A curve view of 1400 x 900 showing the file, laid out and painted once.
struct ShownView {
    ShownView() : doc(reporter, Home().home) {
        doc.OpenPath(Home().path);
        view = std::make_unique<CVardoView>(doc, nullptr);
        view->resize(1400, 900);
        view->show();
        while (!view->LaidOut()) QApplication::processEvents();
        view->repaint();
    }
    SilentReporter reporter;
    CVardoDoc doc;
    std::unique_ptr<CVardoView> view;
};

void BM_FullRedraw(benchmark::State& state) {
    ShownView s;
    if (s.doc.history.windowCount != 1200) state.SkipWithError("the window is not full");
    for (auto _ : state) s.view->Redraw();
    state.counters["samples"] = 12.0 * s.doc.history.windowCount;
}
BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMillisecond);

// One zoom step at a time through the whole ladder, from the record step that fits the file
// across the plot to 100 pixels per point and back: each a new window and a full redraw.
void BM_ZoomStep(benchmark::State& state) {
    ShownView s;
    bool in = false;
    for (auto _ : state) {
        const int step = s.doc.history.windowStep;
        const int ppp = s.doc.displaySettings.pixelsPerPoint;
        if (in)
            s.view->ZoomIn();
        else
            s.view->ZoomOut();
        if (s.doc.history.windowStep == step && s.doc.displaySettings.pixelsPerPoint == ppp)
            in = !in;
    }
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);

// One Back or Forward through the file, turning at its ends: a new window, a full redraw.
void BM_ScrollStep(benchmark::State& state) {
    ShownView s;
    s.doc.history.windowStart = 60000;
    bool older = true;
    for (auto _ : state) {
        const int start = s.doc.history.windowStart;
        if (older)
            s.view->Back();
        else
            s.view->Forward();
        if (s.doc.history.windowStart == start) older = !older;
    }
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMillisecond);

// The readout held with the left button: cross hair, both boxes and the legend at the pointer.
void BM_ReadoutPointerMove(benchmark::State& state) {
    ShownView s;
    const Rect& plot = s.doc.displaySettings.plotRect;
    const int y = (plot.top + plot.bottom) / 2;
    PressPointer(*s.view, plot.left + 10, y, Qt::LeftButton);
    int x = plot.left + 10;
    int dx = 7;
    for (auto _ : state) {
        MovePointer(*s.view, x, y, Qt::LeftButton);
        if (x + dx <= plot.left || x + dx >= plot.right - 2) dx = -dx;
        x += dx;
    }
    if (s.view->autoScrolling != 0) state.SkipWithError("the readout scrolled");
}
BENCHMARK(BM_ReadoutPointerMove)->Unit(benchmark::kMillisecond);

// The band dragged with the right button, growing and shrinking.
void BM_BandPointerMove(benchmark::State& state) {
    ShownView s;
    const Rect& plot = s.doc.displaySettings.plotRect;
    const int y = (plot.top + plot.bottom) / 2;
    PressPointer(*s.view, plot.right - 20, y, Qt::RightButton);
    int x = plot.right - 30;
    int dx = -7;
    for (auto _ : state) {
        MovePointer(*s.view, x, y, Qt::RightButton);
        if (x + dx <= plot.left || x + dx >= plot.right - 20) dx = -dx;
        x += dx;
    }
    if (s.view->selRect.right - s.view->selRect.left <= 0) state.SkipWithError("no band");
}
BENCHMARK(BM_BandPointerMove)->Unit(benchmark::kMillisecond);

// Counts the paints the curve view receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// From start-up to the first paint that shows curves: the file remembered as LastFile, or the
// file named on the command line (vardo FILE), as the user starts the program.
void BM_StartupToFirstPaint(benchmark::State& state, bool named) {
    SilentReporter reporter;
    std::vector<std::string> args = {"vardo"};
    if (named) args.push_back(Home().path);
    for (auto _ : state) {
        auto app = std::make_unique<CVardoApp>(&reporter, Home().home);
        if (!app->InitInstance(args, false)) {
            state.SkipWithError("start-up failed");
            break;
        }
        PaintCounter counter;
        auto* view = dynamic_cast<CVardoView*>(app->MainFrame()->ActiveView());
        view->installEventFilter(&counter);
        app->MainFrame()->resize(1400, 900);
        app->MainFrame()->show();
        // The first paint leaves the area empty and opens the file; the next shows curves.
        while (!view->LaidOut() || counter.paints < 2) QApplication::processEvents();
        state.PauseTiming();
        if (app->Document().dataValid != 1) state.SkipWithError("the file did not open");
        view->removeEventFilter(&counter);
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_StartupToFirstPaint, last_file, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_StartupToFirstPaint, named_file, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// One printed page through the application's landscape printer: written as PDF, as printing to a
// file and the print system's spool receive it, and drawn into a sheet at 300 dpi, as a raster
// driver receives it. Budget: 200 ms each.
void BM_PrintPagePdf(benchmark::State& state) {
    ShownView s;
    QPrinter& printer = AppPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(Home().home + "page.pdf"));
    for (auto _ : state)
        if (!s.view->PrintOnto(printer)) state.SkipWithError("the page was not written");
    state.counters["bytes"] =
        static_cast<double>(std::filesystem::file_size(Home().home + "page.pdf"));
}
BENCHMARK(BM_PrintPagePdf)->Unit(benchmark::kMillisecond);

void BM_PrintPage300Dpi(benchmark::State& state) {
    ShownView s;
    const QPageLayout layout = AppPrinter().pageLayout();
    QImage sheet(layout.fullRectPixels(300).size(), QImage::Format_RGB32);
    const QRect page = layout.paintRectPixels(300);
    for (auto _ : state) {
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        s.view->PrintPage(p, page);
    }
}
BENCHMARK(BM_PrintPage300Dpi)->Unit(benchmark::kMillisecond);

}  // namespace

VARDO_QT_BENCHMARK_MAIN()
