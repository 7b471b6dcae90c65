#include "history/history_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "../support/history_file_builder.h"
#include "history/history_loader.h"

namespace vardo {
namespace {

using testing::ReadBytes;
using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const Bytes& b, std::size_t at, std::size_t n) {
    return at + n <= b.size() ? Bytes(b.begin() + at, b.begin() + at + n) : Bytes();
}

// A record as real-time saving fills it: three channels at 10 s, times 0 until the first
// record.
struct Writing {
    testing::TempDir home;
    HistoryData h;
    CHistoryWriter w;
    explicit Writing(std::uint32_t capacity, int address = 8) {
        std::memcpy(h.model, "ZT330", 6);
        h.channelCount = 3;
        h.intervalCode = 3;
        h.capacity = capacity;
        h.channelEnabled.fill(1);
        h.hasOldestTime = 1;
        h.oldestTime = h.newestTime = 0;
        w.SetTarget(&h, "vd", address, home.path());
    }
    std::set<std::string> Files() const { return testing::FileNames(home / "Data"); }
    std::string Name() const { return std::filesystem::path(w.GetPath()).filename(); }
};

const VTime kFirst = MakeLocalTime(2004, 5, 6, 7, 8, 9);

// This process's descriptor open on path, or -1.
int DescriptorOf(const std::string& path) {
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(e.path(), ec) == path)
            return std::stoi(e.path().filename().string());
    }
    return -1;
}

TEST(HistoryFileName, AddressTimeAndExtensionPast2038) {
    EXPECT_EQ(HistoryFileName(8, kFirst, "vd"), "08@2004-05-06_07-08-09.vd");
    EXPECT_EQ(HistoryFileName(0, MakeLocalTime(2099, 12, 31, 23, 59, 59), "abcdefg"),
              "00@2099-12-31_23-59-59.abcdefg");
}

TEST(CHistoryWriter, RealtimeSavingFixesTheHeaderRenamesAndRollsOverWhenFull) {
    Writing f(4);
    ASSERT_EQ(f.w.Create(), 1);
    EXPECT_EQ(f.Name(), "08@1970-01-01_08-00-00.vd");  // made from time 0 before any record
    f.h.oldestTime = kFirst;
    // Four records fill the file; the fifth meets it full: dropped, the file finished, a new one
    // started.
    for (std::uint8_t r = 1; r <= 5; ++r) {
        const std::uint8_t record[12] = {r, static_cast<std::uint8_t>(r + 10), 0};
        ASSERT_EQ(f.w.AppendRecord(record), 1);
        // A view scrolling the record's window meanwhile moves nothing in the file.
        f.h.windowStart = 3000 * r;
    }
    f.h.oldestTime = kFirst + 50;
    const std::uint8_t sixth[12] = {6, 16};
    EXPECT_EQ(f.w.AppendRecord(sixth), 1);
    EXPECT_EQ(f.w.Finish(), 1);
    EXPECT_FALSE(f.w.IsOpen());
    EXPECT_EQ(f.Files(),
              (std::set<std::string>{"08@2004-05-06_07-08-39.vd", "08@2004-05-06_07-08-59.vd"}));
    EXPECT_EQ(f.w.GetPath(), f.home / "Data/08@2004-05-06_07-08-59.vd");
    const Bytes full = ReadBytes(f.home / "Data/08@2004-05-06_07-08-39.vd");
    ASSERT_EQ(full.size(), 256u + 3 * 4);
    EXPECT_EQ(Slice(full, 0, 16),
              (Bytes{'Z', 'T', '3', '3', '0', 3, 4, 5, 6, 7, 8, 39, 3, 0, 0, 3}));
    EXPECT_EQ(Slice(full, 144, 7), (Bytes{1, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Slice(full, 256, 12), (Bytes{1, 2, 3, 4, 11, 12, 13, 14, 0, 0, 0, 0}));
    const Bytes next = ReadBytes(f.w.GetPath());
    EXPECT_EQ(Slice(next, 6, 9), (Bytes{4, 5, 6, 7, 8, 59, 0, 0, 0}));
    EXPECT_EQ(Slice(next, 145, 6), (Bytes{4, 5, 6, 7, 8, 59}));
    EXPECT_EQ(Slice(next, 256, 12), (Bytes{6, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CHistoryWriter, UploadWritesHeaderAndPresentBlocksOnly) {
    Writing f(65536, 123);
    std::memcpy(f.h.model, "ZT552", 6);
    f.h.newestTime = kFirst + 20;
    f.h.oldestTime = kFirst;
    f.h.newestIndex = 2;
    f.h.channelEnabled = {1, 0, 1, 1};  // the last flag lies above the count: no block
    f.h.rangeLow[0] = MakeDecimal(-1000, 2);
    f.h.rangeHigh[0] = MakeDecimal(1000, 1);
    f.h.rangeHigh[11] = MakeDecimal(-2, 3);
    ASSERT_EQ(f.w.CreateUnnamed(), 1);
    const std::uint8_t run[3] = {10, 20, 30};
    for (int block = 0; block < 2; ++block) EXPECT_EQ(f.w.WriteChannelBlock(run, 2, block), 2);
    f.w.Advance(2);
    for (int block = 0; block < 2; ++block) EXPECT_EQ(f.w.WriteChannelBlock(run + 2, 1, block), 1);
    f.w.Advance(1);
    EXPECT_TRUE(f.Files().empty());  // nothing to see until it is complete
    EXPECT_EQ(f.w.Close(), 1);
    EXPECT_FALSE(f.w.WriteFailed());
    EXPECT_EQ(f.Files(), std::set<std::string>{"123@2004-05-06_07-08-29.vd"});
    const Bytes file = ReadBytes(f.w.GetPath());
    ASSERT_EQ(file.size(), 256u + 2 * 65536);
    EXPECT_EQ(Slice(file, 0, 22), (Bytes{'Z', 'T', '5', '5', '2', 3,    4,    5, 6,    7, 8,
                                         29,  2,   0,   0,   3,   0x18, 0xFC, 2, 0xE8, 3, 1}));
    EXPECT_EQ(Slice(file, 160 + 48, 6), (Bytes{0, 0, 0, 0xFE, 0xFF, 3}));
    EXPECT_EQ(Slice(file, 240, 13), (Bytes{1, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    for (int block = 0; block < 2; ++block)
        EXPECT_EQ(Slice(file, 256 + block * 65536, 4), (Bytes{10, 20, 30, 0}));
    HistoryData back;  // the loader reads back what was written
    ASSERT_EQ(DecodeHistoryHeader(ByteSpan(file), back), HeaderCheck::Ok);
    EXPECT_EQ(back.totalRecords, 3);
}

TEST(CHistoryWriter, NeverReplacesAFileOfTheName) {
    Writing f(8);
    ASSERT_EQ(mkdir((f.home / "Data").c_str(), 0777), 0);
    const Bytes precious = {'k', 'e', 'e', 'p'};
    // left behind by a crash under the placeholder name, and files of the final name
    const char* taken[] = {"08@1970-01-01_08-00-00.vd", "08@2004-05-06_07-08-19.vd",
                           "08@2004-05-06_07-08-19(1).vd"};
    for (const char* name : taken)
        ASSERT_TRUE(testing::WriteBytes(f.home / "Data/" + name, precious));
    ASSERT_EQ(f.w.Create(), 1);
    EXPECT_EQ(f.Name(), "08@1970-01-01_08-00-00(1).vd");
    f.h.oldestTime = kFirst;
    const std::uint8_t r[12] = {1, 2, 3};
    ASSERT_EQ(f.w.AppendRecord(r), 1);
    ASSERT_EQ(f.w.AppendRecord(r), 1);
    EXPECT_EQ(f.w.Finish(), 1);
    EXPECT_EQ(f.Name(), "08@2004-05-06_07-08-19(2).vd");
    for (const char* name : taken) EXPECT_EQ(ReadBytes(f.home / "Data/" + name), precious) << name;

    // an upload whose name is taken is named with the next free variant
    Writing u(8, 8);
    u.w.SetTarget(&u.h, "vd", 8, f.home.path());
    u.h.newestTime = kFirst + 10;
    ASSERT_EQ(u.w.CreateUnnamed(), 1);
    EXPECT_EQ(u.w.Close(), 1);
    EXPECT_EQ(u.Name(), "08@2004-05-06_07-08-19(3).vd");
    EXPECT_EQ(f.Files().size(), 5u);
}

TEST(CHistoryWriter, WriteFailuresAreReportedAndWhatWasWrittenStays) {
    Writing f(8);
    ASSERT_EQ(f.w.Create(), 1);
    f.h.oldestTime = kFirst;
    const std::uint8_t r[12] = {7, 7, 7};
    ASSERT_EQ(f.w.AppendRecord(r), 1);
    // The writer's descriptor now refuses writes, as a device that failed would.
    const int fd = DescriptorOf(f.w.GetPath());
    const int readOnly = open(f.w.GetPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(dup2(readOnly, fd), fd);
    close(readOnly);
    EXPECT_EQ(f.w.AppendRecord(r), 0);
    EXPECT_TRUE(f.w.WriteFailed());
    EXPECT_EQ(f.w.RecordCount(), 1);  // the record that failed is not counted
    EXPECT_EQ(f.w.WriteChannelBlock(r, 1, 0), -1);
    EXPECT_EQ(f.w.Finish(), 0);
    ASSERT_EQ(f.Files().size(), 1u);
    const Bytes file = ReadBytes(f.home / ("Data/" + *f.Files().begin()));
    ASSERT_EQ(file.size(), 256u + 3 * 8);
    EXPECT_EQ(file[256], 7);
}

TEST(CHistoryWriter, AFailedRenameFailsTheFinishAndTheFileStaysUnderItsFirstName) {
    Writing f(8);
    WriterCalls calls;
    calls.rename = [](const char*, const char*) {
        errno = EACCES;
        return -1;
    };
    f.w.SetCalls(calls);
    ASSERT_EQ(f.w.Create(), 1);
    const std::string first = f.w.GetPath();
    f.h.oldestTime = kFirst;
    const std::uint8_t r[12] = {7, 8, 9};
    ASSERT_EQ(f.w.AppendRecord(r), 1);
    EXPECT_EQ(f.w.Finish(), 0);
    EXPECT_EQ(f.w.GetPath(), first);
    EXPECT_EQ(f.Files(), std::set<std::string>{"08@1970-01-01_08-00-00.vd"});
}

TEST(CHistoryWriter, RunsStayInsideTheirBlock) {
    Writing f(8, 8);
    ASSERT_EQ(f.w.Create(), 1);
    const std::uint8_t run[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(f.w.WriteChannelBlock(run, 9, 0), -1);
    EXPECT_EQ(f.w.WriteChannelBlock(run, 1, 3), -1);
    EXPECT_EQ(f.w.WriteChannelBlock(run, 1, -1), -1);
    f.w.Advance(6);
    EXPECT_EQ(f.w.WriteChannelBlock(run, 3, 0), -1);
    EXPECT_EQ(f.w.WriteChannelBlock(run, 2, 2), 2);
    EXPECT_EQ(f.w.Close(), 0);  // the refused runs count as failures
    EXPECT_EQ(Slice(ReadBytes(f.w.GetPath()), 256 + 8, 8), Bytes(8, 0));
}

TEST(CHistoryWriter, CreateFailsWithoutADirectoryOrTheRoomForTheWholeFile) {
    Writing f(8, 8);
    f.w.SetTarget(&f.h, "vd", 8, f.home / "missing/home");
    EXPECT_EQ(f.w.Create(), 0);
    const std::uint8_t r[12] = {};
    EXPECT_EQ(f.w.AppendRecord(r), 0);
    EXPECT_EQ(f.w.WriteChannelBlock(r, 1, 0), -1);

    // A full disk fails the creation, not a write half-way through: no file at all. File systems
    // that cannot reserve still get their file.
    const std::pair<int, int> cases[] = {{ENOSPC, 0}, {EFBIG, 0}, {EOPNOTSUPP, 1}, {0, 1}};
    for (auto [error, created] : cases) {
        static int reply;
        static off_t reserved;
        reply = error;
        reserved = 0;
        f.w.SetTarget(&f.h, "vd", 8, f.home.path());
        f.w.SetCalls({[](int, off_t, off_t length) {
            reserved = length;
            return reply;
        }});
        EXPECT_EQ(f.w.Create(), created) << error;
        EXPECT_EQ(reserved, 256 + 3 * 8) << error;
        EXPECT_EQ(f.Files().size(), static_cast<std::size_t>(created)) << error;
        f.w.Discard();
    }
}

TEST(CHistoryWriter, AFileWithoutRecordsOrDiscardedIsRemovedAndDestructionCloses) {
    Writing f(8, 8);
    f.h.newestTime = kFirst;
    ASSERT_EQ(f.w.Create(), 1);
    EXPECT_EQ(f.w.Finish(), 1);
    EXPECT_TRUE(f.Files().empty());
    f.h.newestTime = kFirst;
    ASSERT_EQ(f.w.Create(), 1);
    f.w.Discard();
    EXPECT_TRUE(f.Files().empty());
    EXPECT_FALSE(f.w.IsOpen());
    std::string path;
    {
        CHistoryWriter w;
        w.SetTarget(&f.h, "vd", 8, f.home.path());
        ASSERT_EQ(w.Create(), 1);
        path = w.GetPath();
    }
    EXPECT_EQ(DescriptorOf(path), -1);
    EXPECT_EQ(f.Files(), std::set<std::string>{"08@2004-05-06_07-08-09.vd"});
}

// An upload or import that does not reach a good Close leaves nothing in Data/, whether the
// file system gives unnamed files or the hidden name stands in; the hidden name never shows as
// a history file while it is written.
TEST(CHistoryWriter, AnUnfinishedTransferLeavesNothing) {
    enum Way { Completes, Discarded, WriteFails, Destroyed };
    for (bool unnamed : {true, false}) {
        for (Way way : {Completes, Discarded, WriteFails, Destroyed}) {
            SCOPED_TRACE(std::to_string(unnamed) + " " + std::to_string(way));
            Writing f(8, 8);
            f.h.newestTime = kFirst;
            auto w = std::make_unique<CHistoryWriter>();
            w->SetTarget(&f.h, "vd", 8, f.home.path());
            if (!unnamed) w->SetCalls({.openUnnamed = [](const char*) { return -1; }});
            ASSERT_EQ(w->CreateUnnamed(), 1);
            const std::uint8_t run[8] = {1, 2, 3, 4, 5, 6, 7, 8};
            EXPECT_EQ(w->WriteChannelBlock(run, 8, 0), 8);
            EXPECT_EQ(f.Files().size(), unnamed ? 0u : 1u);
            for (const std::string& name : f.Files())
                EXPECT_TRUE(name.starts_with(".") && name.ends_with(".part")) << name;
            if (way == WriteFails) {
                EXPECT_EQ(w->WriteChannelBlock(run, 9, 0), -1);
            }
            if (way == Completes || way == WriteFails) {
                EXPECT_EQ(w->Close(), way == Completes ? 1 : 0);
            }
            if (way == Discarded) w->Discard();
            w.reset();
            EXPECT_EQ(f.Files(), way == Completes
                                     ? std::set<std::string>{"08@2004-05-06_07-08-09.vd"}
                                     : std::set<std::string>{});
        }
    }
}

}  // namespace
}  // namespace vardo
