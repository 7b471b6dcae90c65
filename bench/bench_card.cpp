// The card import and the catalogue, read from card image files in the page cache through the
// same reader a card reader's device goes through.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <vector>

#include "cfcard/card_import.h"
#include "cfcard/disk_reader.h"
#include "support/card_image.h"

namespace vardo::testing {
namespace {

// A 12-channel 65536-record backup, the largest data area a twelve-channel model keeps.
BackupLayout Zt772() {
    BackupLayout b;
    b.model = "ZT772";
    b.channelCount = 12;
    return b;
}

const TempDir& Home() {
    static TempDir home;
    return home;
}

const std::string& ImportImage() {
    static const std::string path = [] {
        CardImage image(card::kSignature + 1);
        image.Add(Zt772());
        image.WriteFile(Home() / "import.img");
        return Home() / "import.img";
    }();
    return path;
}

void BM_ImportTwelveChannelBackup(benchmark::State& state) {
    const std::string& image = ImportImage();
    const ImportRequest request{0, "vd", Home().path(), {}, nullptr};
    for (auto _ : state) {
        CDiskReader reader;
        reader.Open(image);
        CHistoryWriter writer;
        HistoryData h;
        if (ImportBackup(reader, request, writer, h) != ImportResult::Done)
            state.SkipWithError("import failed");
        state.PauseTiming();
        ::unlink(writer.GetPath().c_str());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 12 * 65536);
}
BENCHMARK(BM_ImportTwelveChannelBackup)->Unit(benchmark::kMillisecond)->UseRealTime();

// What bounds the import: the same sectors read in the same runs, nothing written.
void BM_ReadTwelveChannelSectors(benchmark::State& state) {
    CDiskReader reader;
    reader.Open(ImportImage());
    std::vector<std::uint8_t> buffer(card::kCopyRun * kSectorSize);
    const std::uint32_t total = 12 * 65536 / kSectorSize;
    for (auto _ : state) {
        for (std::uint32_t done = 0; done < total; done += card::kCopyRun)
            reader.ReadSectors(card::kData + done, std::min(card::kCopyRun, total - done),
                               buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * 12 * 65536);
}
BENCHMARK(BM_ReadTwelveChannelSectors)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ListFullCard(benchmark::State& state) {
    static const std::string path = [] {
        CardImage image;
        for (int s = 0; s < card::kSlotCount; ++s) {
            BackupLayout b = Zt772();
            b.slot = s;
            b.data = false;
            image.Add(b);
        }
        image.WriteFile(Home() / "full.img");
        return Home() / "full.img";
    }();
    for (auto _ : state) {
        CDiskReader reader;
        reader.Open(path);
        const Catalogue catalogue = ScanCard(reader);
        if (catalogue.entries.size() != 256) state.SkipWithError("not 256 backups");
    }
}
BENCHMARK(BM_ListFullCard)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vardo::testing

BENCHMARK_MAIN();
