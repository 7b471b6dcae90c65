// One real-time tick (shift, store, append, header update), against a recorder served
// in-process; and the same tick while the recorder is silent and the worker sits in its retries:
// the interface thread must never wait on the line.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "realtime/realtime_acquisition.h"
#include "recorder_server.h"

namespace {

using namespace vardo;

void TickBench(benchmark::State& state, bool silent) {
    char dir[] = "/tmp/vardo-bench-XXXXXX";
    const std::string home = mkdtemp(dir);
    sim::RecorderConfig recorder;
    recorder.modelIndex = 5;
    recorder.channelCount = 12;
    recorder.frozen = true;
    if (silent) recorder.silentAfterLiveReads = 2;
    sim::CRecorderServer server(recorder, {}, 0);
    server.Start();
    server.StartThread();
    AcquisitionSettings settings;
    settings.comm.portName = server.DevicePath();
    settings.comm.modelIndex = 5;
    settings.comm.baudRate = 57600;
    settings.comm.samplingInterval = 0;
    settings.settingsPath = home + "/SetUp.ini";
    settings.home = home;
    settings.save = true;
    HistoryData data;
    CRealtimeAcquisition acquisition;
    if (acquisition.Start(settings, data) != StartStatus::Started) {
        state.SkipWithError("no start");
        return;
    }
    std::uint64_t k = 0;
    for (auto _ : state) {
        ++k;
        benchmark::DoNotOptimize(
            acquisition.Tick(acquisition.StartPoint() + std::chrono::seconds(k)));
    }
    acquisition.Stop();
    std::filesystem::remove_all(home);
}

void BM_TickSaving12Channels(benchmark::State& state) {
    TickBench(state, false);
}
void BM_TickSaving12ChannelsRecorderSilent(benchmark::State& state) {
    TickBench(state, true);
}
BENCHMARK(BM_TickSaving12Channels)->Unit(benchmark::kMicrosecond)->Iterations(2000)->Repetitions(5);
BENCHMARK(BM_TickSaving12ChannelsRecorderSilent)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
