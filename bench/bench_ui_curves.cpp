// The curve view's budget: a full redraw of 12 channels x 1200 samples (static surface, then the
// copy to the window) well under 5 ms, the overlay that every pointer move repaints (copy the
// static surface, write the legend, show) under 1 ms, and start-up to the first painted frame
// under 300 ms. Run on the offscreen platform.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "app/vardo_doc.h"
#include "base/le_bytes.h"
#include "base/reporter.h"
#include "curves/vardo_view.h"
#include "history/history_format.h"
#include "settings/setup_ini.h"

namespace {

using namespace vardo;

constexpr std::uint32_t kCapacity = 131072;
constexpr std::uint32_t kRecords = 20000;

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
        WriteLastFile(home + "SetUp.ini", path);
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

void BM_OverlayPointerMove(benchmark::State& state) {
    ShownView s;
    int n = 0;
    for (auto _ : state) {
        s.view->CopyStaticToWork();
        {
            QPainter p(&s.view->workSurface);
            s.view->DrawValueLegend(p, s.doc.displaySettings, n);
        }
        s.view->ShowWork();
        n = (n + 37) % 1200;
    }
}
BENCHMARK(BM_OverlayPointerMove)->Unit(benchmark::kMillisecond);

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

void BM_StartupToFirstPaint(benchmark::State& state) {
    SilentReporter reporter;
    for (auto _ : state) {
        auto app = std::make_unique<CVardoApp>(&reporter, Home().home);
        if (!app->InitInstance({"vardo"}, false)) {
            state.SkipWithError("start-up failed");
            break;
        }
        PaintCounter counter;
        auto* view = dynamic_cast<CVardoView*>(app->MainFrame()->ActiveView());
        view->installEventFilter(&counter);
        app->MainFrame()->resize(1400, 900);
        app->MainFrame()->show();
        // The first paint leaves the area empty and reopens the file; the next shows curves.
        while (!view->LaidOut() || counter.paints < 2) QApplication::processEvents();
        state.PauseTiming();
        if (app->Document().dataValid != 1) state.SkipWithError("the last file did not reopen");
        view->removeEventFilter(&counter);
        app.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
