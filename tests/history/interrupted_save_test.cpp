#include "history/interrupted_save.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "../support/history_file_builder.h"
#include "history/history_writer.h"

namespace vardo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::set<std::string>;

const VTime kFirst = MakeLocalTime(2004, 5, 6, 7, 8, 9);

// The header a real-time save of a ZT330 starts from.
HistoryData SavedHeader(int channels) {
    HistoryData h;
    std::memcpy(h.model, "ZT330", 6);
    h.channelCount = static_cast<std::uint8_t>(channels);
    h.intervalCode = 3;
    h.capacity = CapacityOfCode("ZT330");
    h.channelEnabled.fill(1);
    h.hasOldestTime = 1;
    return h;
}

// What a real-time save leaves when it is killed: the writer's file as it stood, before the
// first record (empty) or after two (readable, newest 07:08:19).
struct KilledSaves {
    Bytes empty, readable;
    KilledSaves() {
        testing::TempDir home;
        HistoryData h = SavedHeader(3);
        CHistoryWriter w;
        w.SetTarget(&h, "vd", 8, home.path());
        EXPECT_EQ(w.Create(), 1);
        empty = testing::ReadBytes(w.GetPath());
        h.oldestTime = kFirst;
        const std::uint8_t samples[3] = {1, 2, 3};
        EXPECT_EQ(w.AppendRecord(samples), 1);
        EXPECT_EQ(w.AppendRecord(samples), 1);
        EXPECT_EQ(w.MarkNewest(), 1);
        readable = testing::ReadBytes(w.GetPath());
        w.Discard();
    }
};

std::string Told(const std::vector<LeftoverSave>& done, const std::string& data) {
    std::string text;
    for (const LeftoverSave& d : done) {
        const auto name = [&](const std::string& p) { return p.substr(data.size() + 1); };
        if (d.outcome == LeftoverSave::Outcome::Renamed)
            text += name(d.from) + " -> " + name(d.to) + ";";
        else if (d.outcome == LeftoverSave::Outcome::Removed)
            text += name(d.from) + " removed;";
        else
            text += name(d.from) + " failed;";
    }
    return text;
}

TEST(InterruptedSave, ReadableLeftoversAreNamedEmptyOnesRemovedTheRestLeftAlone) {
    const KilledSaves killed;
    Bytes damaged = killed.empty;
    damaged.back() = 7;  // never written by a run that took no record
    const Bytes other = testing::BuildFile(testing::FileLayout{});
    const struct {
        std::vector<std::pair<std::string, Bytes>> files;
        const char* told;
        Names after;
    } cases[] = {
        {{{"08@1970-01-01_08-00-00.vd", killed.readable}},
         "08@1970-01-01_08-00-00.vd -> 08@2004-05-06_07-08-19.vd;",
         {"08@2004-05-06_07-08-19.vd"}},
        // Never over another file: the taken name's variant.
        {{{"08@1970-01-01_08-00-00.vd", killed.readable}, {"08@2004-05-06_07-08-19.vd", other}},
         "08@1970-01-01_08-00-00.vd -> 08@2004-05-06_07-08-19(1).vd;",
         {"08@2004-05-06_07-08-19.vd", "08@2004-05-06_07-08-19(1).vd"}},
        // Another zone's time 0, a variant, another address and extension.
        {{{"110@1969-12-31_16-00-00(2).dat", killed.readable}},
         "110@1969-12-31_16-00-00(2).dat -> 110@2004-05-06_07-08-19.dat;",
         {"110@2004-05-06_07-08-19.dat"}},
        {{{"08@1970-01-01_08-00-00.vd", killed.empty},
          {"08@1970-01-01_08-00-00(1).vd", killed.empty}},
         "08@1970-01-01_08-00-00(1).vd removed;08@1970-01-01_08-00-00.vd removed;",
         {}},
        {{{"08@1970-01-01_08-00-00.vd", damaged}}, "", {"08@1970-01-01_08-00-00.vd"}},
        // Not a placeholder name: the user's files, an upload under way.
        {{{"08@2004-05-06_07-08-09.vd", killed.empty},
          {"08@1970-01-01_08-00-00.vd.txt", killed.readable},
          {"x08@1970-01-01_08-00-00.vd", killed.readable},
          {".08@1970-01-01_08-00-00.vd.77-0.part", killed.empty},
          {"08@1970-01-02_08-00-00.vd", killed.readable}},
         "",
         {"08@2004-05-06_07-08-09.vd", "08@1970-01-01_08-00-00.vd.txt",
          "x08@1970-01-01_08-00-00.vd", ".08@1970-01-01_08-00-00.vd.77-0.part",
          "08@1970-01-02_08-00-00.vd"}},
    };
    for (const auto& c : cases) {
        testing::TempDir home;
        std::filesystem::create_directory(home / "Data");
        for (const auto& [name, bytes] : c.files)
            ASSERT_TRUE(testing::WriteBytes(home / ("Data/" + name), bytes));
        EXPECT_EQ(Told(RecoverInterruptedSaves(home.path()), home / "Data"), c.told);
        EXPECT_EQ(testing::FileNames(home / "Data"), c.after) << c.told;
        for (const auto& [name, bytes] : c.files) {
            if (bytes == other) {
                EXPECT_EQ(testing::ReadBytes(home / ("Data/" + name)), other);
            }
        }
    }
    testing::TempDir none;
    EXPECT_TRUE(RecoverInterruptedSaves(none.path()).empty()) << "no Data/ at all";
}

// A save still running (this process or another) holds its file: it is not a leftover.
TEST(InterruptedSave, AFileBeingWrittenIsLeftAlone) {
    testing::TempDir home;
    HistoryData h = SavedHeader(1);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", 8, home.path());
    ASSERT_EQ(w.Create(), 1);
    EXPECT_TRUE(RecoverInterruptedSaves(home.path()).empty());
    h.oldestTime = kFirst;
    const std::uint8_t sample = 9;
    ASSERT_EQ(w.AppendRecord(&sample), 1);
    ASSERT_EQ(w.MarkNewest(), 1);
    EXPECT_TRUE(RecoverInterruptedSaves(home.path()).empty());
    EXPECT_EQ(testing::FileNames(home / "Data"), Names{"08@1970-01-01_08-00-00.vd"});
    EXPECT_EQ(w.Finish(), 1);
    EXPECT_EQ(testing::FileNames(home / "Data"), Names{"08@2004-05-06_07-08-09.vd"});
}

TEST(InterruptedSave, MessagesSayWhatWasDone) {
    EXPECT_EQ(LeftoverSaveMessage({LeftoverSave::Outcome::Renamed, "/d/a.vd", "/d/b.vd", 0}),
              "/d/a.vd: 中断的实时保存，已按最新记录改名为 /d/b.vd");
    EXPECT_EQ(LeftoverSaveMessage({LeftoverSave::Outcome::Removed, "/d/a.vd", "", 0}),
              "/d/a.vd: 中断的实时保存，没有记录，已删除");
    EXPECT_EQ(LeftoverSaveMessage({LeftoverSave::Outcome::RenameFailed, "/d/a.vd", "", EROFS}),
              "/d/a.vd: 中断的实时保存，无法改名（Read-only file system），保留原名");
}

}  // namespace
}  // namespace vardo
