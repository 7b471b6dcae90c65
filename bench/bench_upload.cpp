// Serial upload against vardo-recorder-sim paced like a real line. The figure of merit is the
// ratio of the measured time to what the line and the fixed pauses cost at the least:
// requests x 20 ms + characters on the line x 10 bits / baud.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "link/recorder_link.h"
#include "link/serial_upload.h"
#include "support/sim_process.h"

namespace {

namespace fs = std::filesystem;

// One channel of `records` records ending ten records before the newest, across the seam.
void BM_SerialUpload(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    const int records = static_cast<int>(state.range(1));
    vardo::testing::SimProcess sim({"--model", "1", "--channels", "2", "--interval", "3",
                                    "--pointer", "511", "--freeze", "--baud",
                                    std::to_string(baud)});
    if (sim.device.empty()) {
        state.SkipWithError("vardo-recorder-sim did not start");
        return;
    }
    std::string t = (fs::temp_directory_path() / "vardo-bench-XXXXXX").string();
    const std::string home = std::string(mkdtemp(t.data())) + "/";
    vardo::CommSettings cs;
    cs.portName = sim.device;
    cs.baudRate = baud;
    cs.modelIndex = 1;

    double ratioSum = 0;
    double overlapRatioSum = 0;
    std::uint64_t requests = 0;
    std::uint64_t chars = 0;
    for (auto _ : state) {
        vardo::CRecorderLink link;
        if (!link.Open(cs, home + "SetUp.ini")) {
            state.SkipWithError("port did not open");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        vardo::CSerialUpload upload(link, 1);
        vardo::UploadStatus status = upload.ReadTimeRange();
        const vardo::VTime newest = upload.Range().newestTime;
        vardo::UploadChoice choice;
        choice.start = newest - 10 * (10 + records);
        choice.end = newest - 10 * 10;
        choice.channels[0] = true;
        if (status == vardo::UploadStatus::Done) status = upload.Prepare(choice);
        vardo::UploadTarget target;
        target.home = home;
        if (status == vardo::UploadStatus::Done) status = upload.Run(target, nullptr, nullptr);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != vardo::UploadStatus::Done) {
            state.SkipWithError("upload failed");
            break;
        }
        fs::remove(upload.OutputPath());
        const vardo::LineStats& line = link.port.Stats();
        requests = line.exchanges;
        chars = line.charsSent + line.charsReceived;
        const double floor =
            static_cast<double>(requests) * 0.020 + static_cast<double>(chars) * 10.0 / baud;
        ratioSum += seconds / floor;
        // The transport's 10 ms pause passes while the request and the reply are on the line, so
        // the lowest possible time counts only the protocol's pause.
        const double overlapped =
            static_cast<double>(requests) * 0.010 + static_cast<double>(chars) * 10.0 / baud;
        overlapRatioSum += seconds / overlapped;
        state.SetIterationTime(seconds);
    }
    fs::remove_all(home);
    state.counters["requests"] = static_cast<double>(requests);
    state.counters["line_chars"] = static_cast<double>(chars);
    state.counters["ratio"] = benchmark::Counter(ratioSum, benchmark::Counter::kAvgIterations);
    state.counters["ratio_overlapped"] =
        benchmark::Counter(overlapRatioSum, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_SerialUpload)
    ->Args({9600, 640})
    ->Args({57600, 2560})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
