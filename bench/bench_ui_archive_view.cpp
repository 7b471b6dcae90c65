// The curve view over an archive span: a year of a 12-channel recorder at 10 s (3.15 M records)
// opened to its first painted frame (goal 100 ms: the store opened, the span's configurations
// read, the envelope of the plot's columns built from the summaries, the picture drawn), and
// each zoom or scroll step on it with its redraw (goal 16 ms), and the data list filled with the
// whole year. Run on the offscreen platform; under scripts/with-postgres the opening is also
// measured on the PostgreSQL server.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "app/list_rows.h"
#include "app/vardo_doc.h"
#include "archive_fill.h"
#include "base/reporter.h"
#include "curves/vardo_view.h"
#include "pointer_events.h"
#include "qt_benchmark_main.h"
#include "settings/setup_ini.h"
#include "support/history_file_builder.h"

namespace {

using namespace vardo;

// A home whose archive holds a year of one recorder: a SQLite file in the home, or the database
// at url.
class YearArchive {
  public:
    explicit YearArchive(const std::string& where = "") {
        setenv("TZ", "Asia/Shanghai", 1);
        if (!where.empty()) url = where;
        (void)bench::AddYear(*bench::OpenOrFail(url), {"", 1, "ZT772"});
        DisplaySettings noPanel;
        noPanel.SetPannel = 0;
        if (!SaveDisplaySettings(home / "SetUp.ini", noPanel)) std::abort();
    }
    vardo::testing::TempDir home;
    std::string url = "sqlite:" + home / "Archive.db";
};

const YearArchive& Year() {
    static YearArchive year;
    return year;
}

struct ShownSpan {
    explicit ShownSpan(const YearArchive& of = Year())
        : year(of), doc(reporter, of.home.path() + "/") {
        view = std::make_unique<CVardoView>(doc, nullptr);
        view->resize(1400, 900);
        view->show();
        while (!view->LaidOut()) QApplication::processEvents();
        view->repaint();
    }
    // Everything the OK of the dialog sets off, up to the picture on the window.
    bool Open() {
        ArchiveOpen open = OpenArchive(year.url, false);
        if (open.status != ArchiveStatus::Ok) return false;
        std::vector<RecorderSummary> recorders;
        if (open.store->Recorders(recorders) != ArchiveStatus::Ok || recorders.empty())
            return false;
        const RecorderSummary r = recorders[0];
        if (doc.OpenSpan(std::move(open.store), r, r.first, r.last) != 1) return false;
        view->repaint();
        return true;
    }
    const YearArchive& year;
    SilentReporter reporter;
    CVardoDoc doc;
    std::unique_ptr<CVardoView> view;
};

void OpenYearToFirstPaint(benchmark::State& state, const YearArchive& year) {
    ShownSpan s(year);
    for (auto _ : state)
        if (!s.Open()) state.SkipWithError("the span did not open");
}
void BM_OpenYearToFirstPaint(benchmark::State& state) {
    OpenYearToFirstPaint(state, Year());
}
// The same year on the PostgreSQL server of scripts/with-postgres (its private database); null
// without one.
const YearArchive* PostgresYear(benchmark::State& state) {
    std::string why;
    const char* url = bench::TestPostgresUrl(why);
    if (url == nullptr) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    static const YearArchive year(url);
    return &year;
}
void BM_OpenYearToFirstPaintPostgres(benchmark::State& state) {
    if (const YearArchive* year = PostgresYear(state)) OpenYearToFirstPaint(state, *year);
}
BENCHMARK(BM_OpenYearToFirstPaintPostgres)->Unit(benchmark::kMillisecond)->Iterations(20);
// The year on screen, for the one who runs the benchmark to look at.
void BM_YearScreenshot(benchmark::State& state) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    for (auto _ : state) s.view->Redraw();
    if (const char* dir = std::getenv("VARDO_SCREENSHOTS"))
        s.view->workSurface.save(QString::fromUtf8(dir) + "/archive_year.png");
}
BENCHMARK(BM_YearScreenshot)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_OpenYearToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);

// The envelope of the plot's columns alone, from the summaries and the columns' raw ends.
void BM_EnvelopeOfYear(benchmark::State& state) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    const int columns = static_cast<int>(s.doc.span->envelope.columns.size());
    for (auto _ : state)
        if (s.doc.span->BuildWindow(columns) != ArchiveStatus::Ok) state.SkipWithError("read");
    state.counters["columns"] = columns;
}
BENCHMARK(BM_EnvelopeOfYear)->Unit(benchmark::kMillisecond);

// In and out between the whole year and half of it, and then deeper, alternating.
void ZoomSteps(benchmark::State& state, const YearArchive& year) {
    ShownSpan s(year);
    if (!s.Open()) state.SkipWithError("the span did not open");
    int depth = 0;
    bool in = true;
    for (auto _ : state) {
        if (in)
            s.view->ZoomIn();
        else
            s.view->ZoomOut();
        depth += in ? 1 : -1;
        if (depth == 8) in = false;
        if (depth == 0) in = true;
    }
}
void BM_ZoomStep(benchmark::State& state) {
    ZoomSteps(state, Year());
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond);
void BM_ZoomStepPostgres(benchmark::State& state) {
    if (const YearArchive* year = PostgresYear(state)) ZoomSteps(state, *year);
}
BENCHMARK(BM_ZoomStepPostgres)->Unit(benchmark::kMillisecond);

// A week's window moved a quarter at a time across the year's files.
void ScrollSteps(benchmark::State& state, const YearArchive& year) {
    ShownSpan s(year);
    if (!s.Open()) state.SkipWithError("the span did not open");
    for (int k = 0; k < 6; ++k) s.view->ZoomIn();
    bool older = true;
    for (auto _ : state) {
        const SpanWindow before = s.doc.span->window;
        if (older)
            s.view->Back();
        else
            s.view->Forward();
        if (s.doc.span->window == before) older = !older;
    }
}
void BM_ScrollStep(benchmark::State& state) {
    ScrollSteps(state, Year());
}
BENCHMARK(BM_ScrollStep)->Unit(benchmark::kMillisecond);
void BM_ScrollStepPostgres(benchmark::State& state) {
    if (const YearArchive* year = PostgresYear(state)) ScrollSteps(state, *year);
}
BENCHMARK(BM_ScrollStepPostgres)->Unit(benchmark::kMillisecond);

// The readout held with the left button over the year, and the band dragged with the right: each
// pointer move with its overlay (goal under 1 ms, as over a file).
void PointerAcrossTheYear(benchmark::State& state, Qt::MouseButton button) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    const Rect& plot = s.doc.displaySettings.plotRect;
    const int y = (plot.top + plot.bottom) / 2;
    bench::PressPointer(*s.view, plot.left + 10, y, button);
    int x = plot.left + 10;
    int dx = 7;
    for (auto _ : state) {
        bench::MovePointer(*s.view, x, y, button);
        if (x + dx <= plot.left || x + dx >= plot.right - 20) dx = -dx;
        x += dx;
    }
}
void BM_ReadoutPointerMove(benchmark::State& state) {
    PointerAcrossTheYear(state, Qt::LeftButton);
}
BENCHMARK(BM_ReadoutPointerMove)->Unit(benchmark::kMillisecond);
void BM_BandPointerMove(benchmark::State& state) {
    PointerAcrossTheYear(state, Qt::RightButton);
}
BENCHMARK(BM_BandPointerMove)->Unit(benchmark::kMillisecond);

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The list's heaviest fill: every record of the year, newest first, as the range dialog allows.
// heldMB is what the filled list keeps resident.
void BM_ListWholeYear(benchmark::State& state) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    std::unique_ptr<ListRows> rows = MakeSpanListRows(*s.doc.span);
    const double before = ResidentMb();
    int listed = 0;
    for (auto _ : state) {
        const ListFill fill = rows->Fill(rows->Oldest(), rows->Newest(), 1, 0);
        if (fill.status != ArchiveStatus::Ok) state.SkipWithError("read");
        listed = fill.rows;
        benchmark::DoNotOptimize(rows->Cell(listed / 2, 2));
    }
    state.counters["rows"] = listed;
    state.counters["heldMB"] = ResidentMb() - before;
}
BENCHMARK(BM_ListWholeYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// Statistics of a band over the whole year: every record is read, the mean needs them all.
void BM_StatsOfTheYear(benchmark::State& state) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    ArchiveSpan& span = *s.doc.span;
    for (auto _ : state) {
        SpanStatResult result;
        if (SpanStats(span.Store(), span.Recorder().id, span.Configs(),
                      SpanBounds{false, span.All().from, span.All().to, 0}, 1,
                      result) != ArchiveStatus::Ok)
            state.SkipWithError("read");
    }
}
BENCHMARK(BM_StatsOfTheYear)->Unit(benchmark::kMillisecond)->Iterations(2);

// The scrollbar of that list dragged anywhere: the page under it read from the store.
void BM_ListPageJump(benchmark::State& state) {
    ShownSpan s;
    if (!s.Open()) state.SkipWithError("the span did not open");
    std::unique_ptr<ListRows> rows = MakeSpanListRows(*s.doc.span);
    const ListFill fill = rows->Fill(rows->Oldest(), rows->Newest(), 1, 0);
    if (fill.status != ArchiveStatus::Ok || fill.rows == 0) state.SkipWithError("read");
    std::uint64_t row = 12345;
    for (auto _ : state) {
        row = (row * 6364136223846793005ULL + 1442695040888963407ULL);
        benchmark::DoNotOptimize(rows->Cell(static_cast<int>(row % fill.rows), 2));
    }
}
BENCHMARK(BM_ListPageJump)->Unit(benchmark::kMillisecond);

}  // namespace

VARDO_QT_BENCHMARK_MAIN()
