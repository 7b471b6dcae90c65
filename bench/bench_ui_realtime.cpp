// What acquisition costs the interface thread in the real-time view, with 12 channels and a full
// window of 1200 samples: one sampling period's tick (copy, shift, store, append, header update)
// and redraw of the whole picture, with the recorder answering and with it silent while the
// worker sits in its retries (budget 20 ms); and the stop command on a dead line, which ends the
// worker's exchange in progress; and the start command on a dead line, whose reads run on a thread
// of their own. Run on the offscreen platform.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/vardo_doc.h"
#include "base/reporter.h"
#include "qt_benchmark_main.h"
#include "realtime/real_view.h"
#include "recorder_server.h"

namespace {

using namespace vardo;

// A 12-channel recorder served in-process, a home whose SetUp.ini reaches it with the default
// time-outs, and the real-time view acquiring from it.
struct LiveView {
    // stallAfter: the reply from which the recorder is silent (0: never); start: begin acquiring.
    explicit LiveView(int silentAfterLiveReads, int stallAfter = 0, bool start = true) {
        char tmpl[] = "/tmp/vardo-bench-rt-XXXXXX";
        home = std::string(mkdtemp(tmpl)) + "/";
        sim::RecorderConfig recorder;
        recorder.modelIndex = 5;
        recorder.channelCount = 12;
        recorder.livePerRead = true;
        recorder.silentAfterLiveReads = silentAfterLiveReads;
        sim::FaultConfig faults;
        faults.stallAfter = stallAfter;
        server = std::make_unique<sim::CRecorderServer>(recorder, faults, 0);
        server->Start();
        server->StartThread();
        std::ofstream(home + "SetUp.ini")
            << "[ComSet]\nComPort=COM1\nBaudrate=57600\nJlyIndex=5\nInterval=0\n[SaveReal]\n"
               "SaveReal=1\n[Ports]\nCOM1="
            << server->DevicePath() << "\n";
        doc = std::make_unique<CVardoDoc>(reporter, home);
        view = std::make_unique<CRealView>(*doc, nullptr);
        view->resize(1400, 900);
        view->show();
        while (!view->LaidOut()) QApplication::processEvents();
        if (!start) return;
        view->Start();
        while (view->Starting()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ~LiveView() {
        view.reset();
        doc.reset();
        std::filesystem::remove_all(home);
    }
    std::string home;
    std::unique_ptr<sim::CRecorderServer> server;
    SilentReporter reporter;
    std::unique_ptr<CVardoDoc> doc;
    std::unique_ptr<CRealView> view;
};

void TickAndRedraw(benchmark::State& state, int silentAfterLiveReads) {
    LiveView live(silentAfterLiveReads);
    if (!live.view->Acquiring()) {
        state.SkipWithError("no start");
        return;
    }
    const auto start = live.doc->acquisition.StartPoint();
    // A full window first: every redraw below draws 12 x 1200 samples.
    live.doc->Tick(start + std::chrono::seconds(1200));
    std::int64_t k = 1200;
    for (auto _ : state) {
        live.doc->Tick(start + std::chrono::seconds(++k));
        live.view->Redraw();
    }
    live.view->Stop();
}

void BM_TickAndRedraw12Channels(benchmark::State& state) {
    TickAndRedraw(state, 0);
}
void BM_TickAndRedraw12ChannelsRecorderSilent(benchmark::State& state) {
    TickAndRedraw(state, 2);
}
BENCHMARK(BM_TickAndRedraw12Channels)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_TickAndRedraw12ChannelsRecorderSilent)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_StopOnADeadLine(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        // Start's read of the live values is the last the recorder answers.
        auto live = std::make_unique<LiveView>(1);
        if (!live->view->Acquiring()) {
            state.SkipWithError("no start");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        state.ResumeTiming();
        live->view->Stop();
        state.PauseTiming();
        live.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StopOnADeadLine)->Unit(benchmark::kMillisecond)->Iterations(5);

// The start command against a recorder silent from its first reply: what it holds the
// interface thread while the reads go on without it.
void BM_StartCommandOnADeadLine(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto live = std::make_unique<LiveView>(0, 1, false);
        state.ResumeTiming();
        live->view->Start();
        state.PauseTiming();
        if (!live->view->Starting()) state.SkipWithError("the start did not go on");
        live->view->Stop();
        while (live->view->Starting()) QApplication::processEvents(QEventLoop::AllEvents, 20);
        live.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartCommandOnADeadLine)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

VARDO_QT_BENCHMARK_MAIN()
