// Opening a full 12-channel history file and cutting its display window must stay well under a
// millisecond, though the file is read whole into memory of our own; walking and formatting every
// record of it should be limited by the formatting, not by the ring arithmetic.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/vardo_doc.h"
#include "base/le_bytes.h"
#include "base/local_time_text.h"
#include "datalist/row_texts.h"
#include "datalist/row_walk.h"
#include "history/history_loader.h"

namespace {

using namespace vardo;

constexpr std::uint32_t kCapacity = 131072;
constexpr int kCoarsestStep = (kCapacity + kWindowSamples - 1) / kWindowSamples;

// A wrapped ZT330 ring of 12 channels in a temporary home, made once for all benchmarks.
class BenchFile {
  public:
    BenchFile() {
        char tmpl[] = "/tmp/vardo-bench-XXXXXX";
        home = mkdtemp(tmpl);
        path = home + "/08@2004-05-06_07-08-09.vd";
        std::vector<std::uint8_t> bytes(kHeaderSize + 12 * kCapacity);
        const char model[] = "ZT330";
        for (int i = 0; i < 5; ++i) bytes[i] = static_cast<std::uint8_t>(model[i]);
        bytes[header::kChannelCount] = 12;
        const std::uint8_t newest[6] = {4, 5, 6, 7, 8, 9};
        for (int i = 0; i < 6; ++i) bytes[header::kNewestTime + i] = newest[i];
        PutU24LE(bytes.data() + header::kNewestSlot, 70000);
        bytes[header::kIntervalCode] = 0;
        for (int k = 0; k < 12; ++k) {
            std::uint8_t* config = bytes.data() + ChannelConfigOffset(k);
            EncodeDecimalValue(MakeDecimal(-1000, 1), config);
            EncodeDecimalValue(MakeDecimal(static_cast<std::int16_t>(1000 * (k + 1)), 2),
                               config + 3);
            bytes[header::kChannelPresent + k] = 1;
        }
        for (std::size_t i = kHeaderSize; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
        }
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    ~BenchFile() {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }
    std::string home;
    std::string path;
};

const BenchFile& File() {
    static BenchFile file;
    return file;
}

void OpenAndWindow(benchmark::State& state, int step) {
    auto h = std::make_unique<HistoryData>();
    for (auto _ : state) {
        if (!ReadHistoryFile(File().path, *h) ||
            DecodeHistoryHeader(ByteSpan(h->file), *h) != HeaderCheck::Ok) {
            state.SkipWithError("the bench file did not open");
            break;
        }
        h->windowStart = 0;
        h->windowStep = step;
        BuildWindow(*h);
        benchmark::DoNotOptimize(h->window.data());
        ReleaseHistoryFile(*h);
    }
}

void BM_OpenAndWindowStep1(benchmark::State& state) {
    OpenAndWindow(state, 1);
}
BENCHMARK(BM_OpenAndWindowStep1);

void BM_OpenAndWindowCoarsest(benchmark::State& state) {
    OpenAndWindow(state, kCoarsestStep);
}
BENCHMARK(BM_OpenAndWindowCoarsest);

// The document's whole open, settings file round trip included, then the window.
void BM_DocumentOpenAndWindow(benchmark::State& state) {
    SilentReporter reporter;
    auto doc = std::make_unique<CVardoDoc>(reporter, File().home);
    for (auto _ : state) {
        doc->filePath = File().path;
        if (!doc->OpenHistoryFile()) {
            state.SkipWithError("the bench file did not open");
            break;
        }
        doc->BuildWindow();
        benchmark::DoNotOptimize(doc->history.window.data());
    }
}
BENCHMARK(BM_DocumentOpenAndWindow);

std::unique_ptr<HistoryData> OpenForWalk() {
    auto h = std::make_unique<HistoryData>();
    ReadHistoryFile(File().path, *h);
    DecodeHistoryHeader(ByteSpan(h->file), *h);
    return h;
}

// Every cell of every record as the data list makes it when the view asks: the row from its
// index, the number, the time text, then each channel's text (dump's bulk path is measured in
// bench_dump).
void BM_ListCellsOfAllRecords(benchmark::State& state) {
    auto h = OpenForWalk();
    for (auto _ : state) {
        CRowTexts cells(*h);
        LocalTimeText times;
        const RowWalkResult walk = PlanWalk(*h, h->oldestTime, h->newestTime, 1, 0);
        std::size_t bytes = 0;
        char time[LocalTimeText::kMaxSize];
        for (int i = 0; i < walk.rows; ++i) {
            const WalkedRow row = RowOfWalk(*h, walk, 1, 0, i);
            bytes += std::to_string(row.number).size();
            bytes += static_cast<std::size_t>(times.Write(row.time, time) - time);
            for (std::size_t d = 0; d < cells.Channels().size(); ++d) {
                bytes += std::string(cells.Value(d, row.slot)).size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * h->totalRecords);
    ReleaseHistoryFile(*h);
}
BENCHMARK(BM_ListCellsOfAllRecords)->Unit(benchmark::kMillisecond);

// The same walk reading every sample but formatting nothing: the ring arithmetic's share.
void BM_WalkAllRecordsUnformatted(benchmark::State& state) {
    auto h = OpenForWalk();
    const std::vector<int> channels = ListedChannels(*h);
    for (auto _ : state) {
        unsigned sum = 0;
        WalkRows(*h, h->oldestTime, h->newestTime, 1, 0, [&](const WalkedRow& row) {
            for (int ch : channels) sum += SampleAtSlot(*h, ch, row.slot);
        });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * h->totalRecords);
    ReleaseHistoryFile(*h);
}
BENCHMARK(BM_WalkAllRecordsUnformatted)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
