// What an add takes from a history file: the address from its name, its configuration, its
// records from the oldest to the newest across the ring's wrap.

#include <gtest/gtest.h>

#include "archive_engines.h"

namespace vardo::testing {
namespace {

// A fresh archive given h as the file /x/05@a.vd, and the records it then holds, oldest first.
struct AddedFile {
    ArchivePlace place{Engine::Sqlite};
    ArchiveOpen open;
    HistoryAddResult result;
    std::vector<ArchivedRecord> records;
};
void AddAndReadBack(const HistoryData& h, AddedFile& out) {
    out.open = OpenArchive(out.place.url(), true);
    ASSERT_EQ(out.open.status, ArchiveStatus::Ok);
    HistoryAddRequest request;
    request.path = "/x/05@a.vd";
    out.result = AddHistoryFile(*out.open.store, h, request);
    ASSERT_EQ(out.result.result, HistoryAdd::Added);
    std::vector<RecorderSummary> recorders;
    ASSERT_EQ(out.open.store->Recorders(recorders), ArchiveStatus::Ok);
    ASSERT_EQ(recorders.size(), 1u);
    ASSERT_EQ(out.open.store->ReadLast(recorders[0].id, h.newestTime, 1000, out.records),
              ArchiveStatus::Ok);
}

TEST(HistoryAdd, AddressFromTheProgramsFileNames) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"07@2024-03-01_00-00-00.vd", 7},
        {"/home/u/Data/110@2026-03-04_12-00-00.dat", 110},
        {"Data/0@x.vd", 0},
        {"upload.vd", std::nullopt},
        {"@2024.vd", std::nullopt},
        {"1234@2024.vd", std::nullopt},
        {"7a@2024.vd", std::nullopt},
        {"/data/07@dir/file.vd", std::nullopt},
        {"a b@c.vd", std::nullopt},
    };
    for (const auto& [name, address] : cases) EXPECT_EQ(AddressFromFileName(name), address) << name;
}

// A wrapped ring hands its records over oldest first, each with the samples of its slot, and
// only the channels present.
TEST(HistoryAdd, RecordsOfAWrappedRingOldestFirst) {
    FileLayout layout;
    layout.channelCount = 4;
    layout.present = {1, 0, 1, 1};
    layout.intervalCode = 0;
    layout.newestSlot = 5;
    layout.oldest = PackTime(MakeLocalTime(2024, 3, 1, 0, 0, 0));
    layout.newest = PackTime(MakeLocalTime(2024, 3, 1, 0, 0, 19));
    layout.ranges = {{0, 0, 100, 0}, {0, 0, 999, 1}, {-50, 1, 500, 1}, {0, 0, 1, 0}};
    auto d = DecodeFile(layout);
    ASSERT_EQ(d->check, HeaderCheck::Ok);
    const RecordConfig config = ConfigOfHistory(d->h);
    EXPECT_EQ(config.channelCount, 4);
    EXPECT_EQ(config.present, 0b1101);
    EXPECT_EQ(config.low[2].integer, -50);
    EXPECT_EQ(config.high[1].integer, 0);  // absent: no range

    AddedFile added;
    ASSERT_NO_FATAL_FAILURE(AddAndReadBack(d->h, added));
    EXPECT_EQ(added.result.recorder, (RecorderKey{"", 5, "ZT330"}));
    EXPECT_EQ(added.result.counts.added, 20);
    const std::vector<ArchivedRecord>& records = added.records;
    ASSERT_EQ(records.size(), 20u);
    const std::uint32_t capacity = d->h.capacity;
    for (int i = 0; i < 20; ++i) {
        const std::uint32_t slot = (capacity + 5 - 19 + static_cast<std::uint32_t>(i)) % capacity;
        EXPECT_EQ(records[i].time, d->h.oldestTime + i);
        for (int ch : {0, 2, 3}) EXPECT_EQ(records[i].samples[ch], layout.sample(ch, slot)) << i;
        EXPECT_EQ(records[i].samples[1], 0);
    }
    HistoryAddRequest request;
    request.path = "/x/upload.vd";
    EXPECT_EQ(AddHistoryFile(*added.open.store, d->h, request).result, HistoryAdd::NoAddress);
}

// Header times that are not a whole number of intervals apart: the records stand on the newest
// record's grid, as dump lists the file, and none before the oldest time.
TEST(HistoryAdd, RecordTimesCountBackFromTheNewestRecord) {
    const VTime newest = MakeLocalTime(2024, 3, 1, 0, 0, 0);
    const struct {
        VTime oldest;
        std::vector<VTime> times;  // back from the newest
    } cases[] = {
        {newest - 40, {40, 30, 20, 10, 0}},
        {newest - 45, {40, 30, 20, 10, 0}},
        {newest - 9, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(newest - c.oldest);
        FileLayout layout;
        layout.newestSlot = 7;
        layout.newest = PackTime(newest);
        layout.oldest = PackTime(c.oldest);
        auto d = DecodeFile(layout);
        ASSERT_EQ(d->check, HeaderCheck::Ok);
        AddedFile added;
        ASSERT_NO_FATAL_FAILURE(AddAndReadBack(d->h, added));
        const std::vector<ArchivedRecord>& records = added.records;
        ASSERT_EQ(records.size(), c.times.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].time, newest - c.times[i]);
            const auto slot = static_cast<std::uint32_t>(7 - c.times[i] / 10);
            EXPECT_EQ(records[i].samples[0], layout.sample(0, slot)) << i;
        }
    }
}

}  // namespace
}  // namespace vardo::testing
