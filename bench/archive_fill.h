#pragma once
// What the archive benchmarks build before they measure: full files end to end, written and added
// as the program adds them, and a year of one recorder added as a collector adds it. A build that
// fails stops the run with its reason: a figure taken over half an archive would mislead. A
// header, as the folder makes an executable of every source file.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "archive/history_add.h"
#include "support/history_file_builder.h"

namespace vardo::bench {

[[noreturn]] inline void SetupFailed(const std::string& why) {
    std::fprintf(stderr, "benchmark setup failed: %s\n", why.c_str());
    std::exit(1);
}

// The PostgreSQL server of scripts/with-postgres (its private database), or null with why the
// benchmark is skipped.
inline const char* TestPostgresUrl(std::string& why) {
    const char* url = std::getenv("VARDO_TEST_PG_URL");
    if (url != nullptr && *url != '\0') return url;
    why = "VARDO_TEST_PG_URL is not set (scripts/with-postgres)";
    return nullptr;
}

inline std::unique_ptr<ArchiveStore> OpenOrFail(const std::string& url) {
    ArchiveOpen open = OpenArchive(url, true);
    if (open.status != ArchiveStatus::Ok) SetupFailed(url + ": " + open.error);
    return std::move(open.store);
}

// count full 12-channel files of 131072 records a second apart, end to end from the start of
// 2030, written into dir as 05@0.vd, 05@1.vd, ... and each added to store as a file of address 5.
// Gives their paths, oldest first.
inline std::vector<std::string> AddEndToEndFiles(ArchiveStore& store, const std::string& dir,
                                                 int count) {
    vardo::testing::FileLayout layout = vardo::testing::FullFileLayout();
    layout.newestSlot = 131071;
    VTime newest = MakeLocalTime(2030, 1, 1, 0, 0, 0);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i, newest += 131072) {
        layout.newest = PackTime(newest);
        const std::string path = dir + "/05@" + std::to_string(i) + ".vd";
        const auto decoded = vardo::testing::DecodeFile(layout);
        if (decoded->check != HeaderCheck::Ok) SetupFailed(path + ": the built file does not load");
        if (!vardo::testing::WriteBytes(path, decoded->h.file)) SetupFailed(path + ": not written");
        HistoryAddRequest request;
        request.path = path;
        request.address = 5;
        const HistoryAddResult added = AddHistoryFile(store, decoded->h, request);
        if (added.result != HistoryAdd::Added) SetupFailed(path + ": not added: " + added.error);
        files.push_back(path);
    }
    return files;
}

// A recorder's channels at ten seconds: a daily swing per channel with a little noise and, now
// and then, a one-record spike that an envelope must keep.
inline RecordConfig TenSecondConfig(int channels) {
    RecordConfig config;
    config.intervalCode = 3;
    config.channelCount = channels;
    config.present = static_cast<std::uint16_t>((1u << channels) - 1);
    for (int ch = 0; ch < channels; ++ch) {
        config.low[static_cast<std::size_t>(ch)] = MakeDecimal(-500, 1);
        config.high[static_cast<std::size_t>(ch)] = MakeDecimal(1500 + 100 * ch, 1);
    }
    return config;
}

inline std::uint8_t DaySample(int ch, std::int64_t k) {
    if (k % 50021 == 7 * ch) return 250;
    const std::int64_t phase = (k + 720 * ch) % 8640;
    const std::int64_t swing = phase < 4320 ? phase : 8640 - phase;  // 0..4320 and back
    return static_cast<std::uint8_t>(40 + 10 * ch + swing / 200 + (k * 7 + ch) % 5);
}

// Records k = from .. to-1 of a recorder that started at start, of config's channels, added to
// store as collected in adds of perAdd records each.
inline void AddTenSecondRecords(ArchiveStore& store, const RecorderKey& key,
                                const RecordConfig& config, VTime start, std::int64_t from,
                                std::int64_t to, std::int64_t perAdd) {
    std::vector<OfferedRecord> records;
    for (std::int64_t at = from; at < to; at += perAdd) {
        records.clear();
        for (std::int64_t k = at; k < std::min(at + perAdd, to); ++k) {
            OfferedRecord r;
            r.time = start + k * 10;
            for (int ch = 0; ch < config.channelCount; ++ch)
                r.samples[static_cast<std::size_t>(ch)] = DaySample(ch, k);
            records.push_back(r);
        }
        SourceInfo source;
        source.how = kSourceCollect;
        source.path = "records " + std::to_string(at) + " of " + key.model;
        AddCounts counts;
        if (store.Add(key, config, records, source, counts) != ArchiveStatus::Ok)
            SetupFailed("adding " + source.path + ": " + store.LastError());
        if (counts.added != static_cast<std::int64_t>(records.size()))
            SetupFailed(source.path + ": the archive held some of them already");
    }
}

inline constexpr std::int64_t kDayOfTenSeconds = 8640;
inline constexpr std::int64_t kYearOfTenSeconds = 365 * kDayOfTenSeconds;  // 3.15 M records

// The recorder's id and the span it holds, as the readers want them.
struct HeldSpan {
    std::int64_t recorder = 0;
    VTime first = 0;
    VTime last = 0;
};

// A year of a 12-channel recorder at ten seconds from the start of 2025, added a week at a time.
inline HeldSpan AddYear(ArchiveStore& store, const RecorderKey& key) {
    const VTime first = MakeLocalTime(2025, 1, 1, 0, 0, 0);
    AddTenSecondRecords(store, key, TenSecondConfig(12), first, 0, kYearOfTenSeconds,
                        7 * kDayOfTenSeconds);
    std::vector<RecorderSummary> recorders;
    if (store.Recorders(recorders) != ArchiveStatus::Ok)
        SetupFailed("listing the recorders: " + store.LastError());
    for (const RecorderSummary& r : recorders)
        if (r.key == key) return {r.id, first, first + (kYearOfTenSeconds - 1) * 10};
    SetupFailed("the year's recorder is not listed");
}

}  // namespace vardo::bench
