#include "history/history_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include <set>

#include "../support/history_file_builder.h"
#include "history/history_loader.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;

std::set<std::string> DataFiles(const TempDir& home) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(home / "Data", ec)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

void WriteAddressSetting(const TempDir& home, int address) {
    const std::string text = "[ComSet]\nAddress=" + std::to_string(address) + "\n";
    ASSERT_TRUE(testing::WriteBytes(home / "SetUp.ini",
                                    std::vector<std::uint8_t>(text.begin(), text.end())));
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t n) {
    if (at + n > b.size()) return {};
    return {b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n)};
}

// The record real-time saving writes through: every channel present, times 0 until the first
// record, capacity small enough to fill in a test.
void PrepareRealtime(HistoryData& h, std::uint32_t capacity) {
    std::memcpy(h.model, "ZT330", 6);
    h.channelCount = 3;
    h.intervalCode = 3;  // 10 s
    h.capacity = capacity;
    h.channelEnabled.fill(1);
    h.hasOldestTime = 1;
    h.oldestTime = 0;
    h.newestTime = 0;
    h.newestIndex = 0;
}

TEST(HistoryFileName, AddressTimeAndExtension) {
    struct Case {
        int address;
        const char* ext;
        const char* name;
    };
    const VTime t = MakeLocalTime(2004, 5, 6, 7, 8, 29);
    const Case cases[] = {
        {8, "vd", "08@2004-05-06_07-08-29.vd"},           {5, "vd", "05@2004-05-06_07-08-29.vd"},
        {123, "vd", "123@2004-05-06_07-08-29.vd"},        {-1, "vd", "-1@2004-05-06_07-08-29.vd"},
        {0, "abcdefg", "00@2004-05-06_07-08-29.abcdefg"},
    };
    for (const Case& c : cases) EXPECT_EQ(HistoryFileName(c.address, t, c.ext), c.name);
    EXPECT_EQ(HistoryFileName(8, MakeLocalTime(2099, 12, 31, 23, 59, 59), "vd"),
              "08@2099-12-31_23-59-59.vd");
}

TEST(CHistoryWriter, RealtimeSavingOfThreeRecords) {
    TempDir home;
    WriteAddressSetting(home, 8);
    HistoryData h;
    PrepareRealtime(h, 131072);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", -1, home.path());
    ASSERT_EQ(w.Create(), 1);
    EXPECT_TRUE(w.IsOpen());
    // the placeholder name made from time 0 (TZ Asia/Shanghai)
    EXPECT_EQ(fs::path(w.GetPath()).filename(), "-1@1970-01-01_08-00-00.vd");
    h.oldestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    const std::uint8_t records[3][12] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (const auto& r : records) EXPECT_EQ(w.AppendRecord(r), 1);
    EXPECT_EQ(w.Finish(), 1);
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(w.address, -1);
    EXPECT_EQ(h.newestTime, 0);
    EXPECT_EQ(h.oldestTime, 0);
    EXPECT_EQ(DataFiles(home), std::set<std::string>{"08@2004-05-06_07-08-29.vd"});
    EXPECT_EQ(w.GetPath(), home / "Data/08@2004-05-06_07-08-29.vd");

    const auto file = ReadBytes(w.GetPath());
    ASSERT_EQ(file.size(), 256u + 3 * 131072);
    EXPECT_EQ(Slice(file, 0, 6), (std::vector<std::uint8_t>{'Z', 'T', '3', '3', '0', 3}));
    EXPECT_EQ(Slice(file, 6, 6), (std::vector<std::uint8_t>{4, 5, 6, 7, 8, 0x1D}));
    EXPECT_EQ(Slice(file, 12, 4), (std::vector<std::uint8_t>{2, 0, 0, 3}));
    EXPECT_EQ(file[144], 1);
    EXPECT_EQ(Slice(file, 145, 6), (std::vector<std::uint8_t>{4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(Slice(file, 240, 12), std::vector<std::uint8_t>(12, 1));
    for (int ch = 0; ch < 3; ++ch) {
        EXPECT_EQ(Slice(file, 256 + ch * 131072, 4),
                  (std::vector<std::uint8_t>{records[0][ch], records[1][ch], records[2][ch], 0}));
    }
    // the loader reads back what was written
    HistoryData back;
    ASSERT_EQ(DecodeHistoryHeader(ByteSpan(file), back), HeaderCheck::Ok);
    EXPECT_EQ(back.totalRecords, 3);
    EXPECT_EQ(back.oldestIndex, 0u);
}

TEST(CHistoryWriter, FinishWithoutRecordsLeavesNoFile) {
    TempDir home;
    HistoryData h;
    PrepareRealtime(h, 16);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", -1, home.path());
    ASSERT_EQ(w.Create(), 1);
    EXPECT_EQ(DataFiles(home).size(), 1u);
    EXPECT_EQ(w.Finish(), 1);
    EXPECT_TRUE(DataFiles(home).empty());
    EXPECT_EQ(h.hFile, -1);
    EXPECT_FALSE(w.IsOpen());
}

TEST(CHistoryWriter, FullFileRollsOver) {
    TempDir home;
    WriteAddressSetting(home, 8);
    HistoryData h;
    PrepareRealtime(h, 4);
    h.channelCount = 1;
    CHistoryWriter w;
    w.SetTarget(&h, "vd", -1, home.path());
    ASSERT_EQ(w.Create(), 1);
    const VTime first = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    h.oldestTime = first;
    for (std::uint8_t r = 1; r <= 4; ++r) ASSERT_EQ(w.AppendRecord(&r), 1);
    // the fifth record meets the full file: dropped, the file finished, a new one started
    const std::uint8_t dropped = 5;
    EXPECT_EQ(w.AppendRecord(&dropped), 1);
    EXPECT_TRUE(w.IsOpen());
    EXPECT_EQ(h.windowStart, 0);
    h.oldestTime = first + 50;
    const std::uint8_t sixth = 6;
    EXPECT_EQ(w.AppendRecord(&sixth), 1);
    EXPECT_EQ(w.Finish(), 1);

    const auto names = DataFiles(home);
    EXPECT_EQ(names,
              (std::set<std::string>{"08@2004-05-06_07-08-39.vd", "08@2004-05-06_07-08-59.vd"}));
    const auto full = ReadBytes(home / "Data/08@2004-05-06_07-08-39.vd");
    ASSERT_EQ(full.size(), 256u + 4);
    EXPECT_EQ(Slice(full, 12, 3), (std::vector<std::uint8_t>{3, 0, 0}));
    EXPECT_EQ(Slice(full, 256, 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    const auto next = ReadBytes(home / "Data/08@2004-05-06_07-08-59.vd");
    ASSERT_EQ(next.size(), 256u + 4);
    EXPECT_EQ(Slice(next, 12, 3), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(Slice(next, 145, 6), (std::vector<std::uint8_t>{4, 5, 6, 7, 8, 59}));
    EXPECT_EQ(Slice(next, 256, 4), (std::vector<std::uint8_t>{6, 0, 0, 0}));
}

// An upload: header as filled, whole blocks written run by run, then closed.
struct UploadCase {
    const char* what;
    int channelCount;
    std::vector<int> enabled;
    int address;
    std::size_t fileSize;
    const char* name;
};

TEST(CHistoryWriter, UploadWritesHeaderAndBlocks) {
    const UploadCase cases[] = {
        {"three channels, second absent: two zero blocks",
         3,
         {1, 0, 1},
         8,
         256 + 2 * 65536,
         "08@2004-05-06_07-08-29.vd"},
        {"address 123", 2, {1, 1}, 123, 256 + 2 * 65536, "123@2004-05-06_07-08-29.vd"},
        {"address 5, flags beyond the count need no block",
         1,
         {1, 1, 1},
         5,
         256 + 65536,
         "05@2004-05-06_07-08-29.vd"},
    };
    for (const UploadCase& c : cases) {
        TempDir home;
        HistoryData h;
        std::memcpy(h.model, "ZT552", 6);
        h.channelCount = static_cast<std::uint8_t>(c.channelCount);
        h.intervalCode = 3;
        h.capacity = 65536;
        h.newestTime = MakeLocalTime(2004, 5, 6, 7, 8, 29);
        h.oldestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
        h.newestIndex = 2;
        h.hasOldestTime = 1;
        for (std::size_t k = 0; k < c.enabled.size(); ++k) h.channelEnabled[k] = c.enabled[k];
        h.rangeLow[0] = MakeDecimal(-1000, 2);
        h.rangeHigh[0] = MakeDecimal(1000, 1);
        h.rangeHigh[11] = MakeDecimal(-2, 3);
        CHistoryWriter w;
        w.SetTarget(&h, "vd", c.address, home.path());
        ASSERT_EQ(w.Create(), 1) << c.what;
        const std::uint8_t run[3] = {10, 20, 30};
        for (int block = 0; block < PresentChannelCount(h); ++block) {
            EXPECT_EQ(w.WriteChannelBlock(run, 2, block), 2) << c.what;
        }
        w.Advance(2);
        for (int block = 0; block < PresentChannelCount(h); ++block) {
            EXPECT_EQ(w.WriteChannelBlock(run + 2, 1, block), 1) << c.what;
        }
        w.Advance(1);
        EXPECT_EQ(w.Close(), 1) << c.what;
        EXPECT_FALSE(w.WriteFailed());
        EXPECT_EQ(DataFiles(home), std::set<std::string>{c.name}) << c.what;
        const auto file = ReadBytes(w.GetPath());
        ASSERT_EQ(file.size(), c.fileSize) << c.what;
        EXPECT_EQ(Slice(file, 0, 16),
                  (std::vector<std::uint8_t>{'Z', 'T', '5', '5', '2',
                                             static_cast<std::uint8_t>(c.channelCount), 4, 5, 6, 7,
                                             8, 29, 2, 0, 0, 3}))
            << c.what;
        EXPECT_EQ(Slice(file, 16, 6), (std::vector<std::uint8_t>{0x18, 0xFC, 2, 0xE8, 3, 1}));
        EXPECT_EQ(Slice(file, 160 + 48, 6), (std::vector<std::uint8_t>{0, 0, 0, 0xFE, 0xFF, 3}));
        EXPECT_EQ(file[144], 1);
        for (std::size_t k = 0; k < 12; ++k) {
            EXPECT_EQ(file[240 + k], k < c.enabled.size() ? c.enabled[k] : 0) << c.what;
        }
        for (int block = 0; block < PresentChannelCount(h); ++block) {
            EXPECT_EQ(Slice(file, 256 + block * 65536, 4),
                      (std::vector<std::uint8_t>{10, 20, 30, 0}))
                << c.what;
        }
        HistoryData back;
        EXPECT_EQ(DecodeHistoryHeader(ByteSpan(file), back), HeaderCheck::Ok) << c.what;
    }
}

TEST(CHistoryWriter, NeverReplacesAFileOfTheName) {
    TempDir home;
    WriteAddressSetting(home, 8);
    ASSERT_EQ(mkdir((home / "Data").c_str(), 0777), 0);
    const std::vector<std::uint8_t> precious = {'k', 'e', 'e', 'p'};
    // left behind by a crash under the placeholder name, and a file of the final name
    ASSERT_TRUE(testing::WriteBytes(home / "Data/-1@1970-01-01_08-00-00.vd", precious));
    ASSERT_TRUE(testing::WriteBytes(home / "Data/08@2004-05-06_07-08-19.vd", precious));
    ASSERT_TRUE(testing::WriteBytes(home / "Data/08@2004-05-06_07-08-19(1).vd", precious));

    HistoryData h;
    PrepareRealtime(h, 8);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", -1, home.path());
    ASSERT_EQ(w.Create(), 1);
    EXPECT_EQ(fs::path(w.GetPath()).filename(), "-1@1970-01-01_08-00-00(1).vd");
    h.oldestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    const std::uint8_t r[12] = {1, 2, 3};
    w.AppendRecord(r);
    w.AppendRecord(r);
    EXPECT_EQ(w.Finish(), 1);
    EXPECT_EQ(fs::path(w.GetPath()).filename(), "08@2004-05-06_07-08-19(2).vd");
    EXPECT_EQ(ReadBytes(home / "Data/-1@1970-01-01_08-00-00.vd"), precious);
    EXPECT_EQ(ReadBytes(home / "Data/08@2004-05-06_07-08-19.vd"), precious);
    EXPECT_EQ(ReadBytes(home / "Data/08@2004-05-06_07-08-19(1).vd"), precious);
    EXPECT_EQ(ReadBytes(w.GetPath()).size(), 256u + 3 * 8);

    // an upload whose name is taken keeps the variant it was created under
    HistoryData u;
    PrepareRealtime(u, 8);
    u.newestTime = MakeLocalTime(2004, 5, 6, 7, 8, 19);
    CHistoryWriter upload;
    upload.SetTarget(&u, "vd", 8, home.path());
    ASSERT_EQ(upload.Create(), 1);
    EXPECT_EQ(fs::path(upload.GetPath()).filename(), "08@2004-05-06_07-08-19(3).vd");
    EXPECT_EQ(upload.Close(), 1);
    EXPECT_EQ(fs::path(upload.GetPath()).filename(), "08@2004-05-06_07-08-19(3).vd");
    EXPECT_EQ(DataFiles(home).size(), 5u);
}

TEST(CHistoryWriter, WriteFailuresAreReported) {
    TempDir home;
    WriteAddressSetting(home, 8);
    HistoryData h;
    PrepareRealtime(h, 8);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", -1, home.path());
    ASSERT_EQ(w.Create(), 1);
    h.oldestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    const std::uint8_t r[12] = {7, 7, 7};
    ASSERT_EQ(w.AppendRecord(r), 1);
    // The descriptor now refuses writes, as a device that failed would.
    const int readOnly = open(w.GetPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    ASSERT_EQ(dup2(readOnly, h.hFile), h.hFile);
    close(readOnly);
    EXPECT_EQ(w.AppendRecord(r), 0);
    EXPECT_TRUE(w.WriteFailed());
    EXPECT_EQ(h.windowStart, 1);  // the record that failed is not counted
    EXPECT_EQ(w.WriteChannelBlock(r, 1, 0), -1);
    EXPECT_EQ(w.Finish(), 0);
    // what was written stays
    const auto names = DataFiles(home);
    ASSERT_EQ(names.size(), 1u);
    const auto file = ReadBytes(home / ("Data/" + *names.begin()));
    ASSERT_EQ(file.size(), 256u + 3 * 8);
    EXPECT_EQ(file[256], 7);
}

TEST(CHistoryWriter, RunsStayInsideTheirBlock) {
    TempDir home;
    HistoryData h;
    PrepareRealtime(h, 8);
    h.newestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", 8, home.path());
    ASSERT_EQ(w.Create(), 1);
    const std::uint8_t run[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(w.WriteChannelBlock(run, 9, 0), -1);
    EXPECT_EQ(w.WriteChannelBlock(run, 1, 3), -1);
    EXPECT_EQ(w.WriteChannelBlock(run, 1, -1), -1);
    w.Advance(6);
    EXPECT_EQ(w.WriteChannelBlock(run, 3, 0), -1);
    EXPECT_EQ(w.WriteChannelBlock(run, 2, 2), 2);
    EXPECT_EQ(w.Close(), 0);  // the refused runs count as failures
    const auto file = ReadBytes(w.GetPath());
    EXPECT_EQ(Slice(file, 256 + 8, 8), std::vector<std::uint8_t>(8, 0));
}

TEST(CHistoryWriter, CreateFailures) {
    TempDir home;
    HistoryData h;
    PrepareRealtime(h, 8);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", 8, home / "missing/home");
    EXPECT_EQ(w.Create(), 0);
    EXPECT_EQ(h.hFile, -1);
    EXPECT_FALSE(w.IsOpen());
    const std::uint8_t r[12] = {};
    EXPECT_EQ(w.AppendRecord(r), 0);
    EXPECT_EQ(w.WriteChannelBlock(r, 1, 0), -1);

    // A file that cannot reach its full size (a limit on file sizes, as a full disk would do)
    // is not created at all.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        HistoryData big;
        PrepareRealtime(big, 131072);
        CHistoryWriter bw;
        bw.SetTarget(&big, "vd", 8, home.path());
        const int created = bw.Create();
        _exit(created == 0 && big.hFile == -1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(DataFiles(home).empty());
}

TEST(CHistoryWriter, DiscardDeletesTheFile) {
    TempDir home;
    HistoryData h;
    PrepareRealtime(h, 8);
    h.newestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    CHistoryWriter w;
    w.SetTarget(&h, "vd", 8, home.path());
    ASSERT_EQ(w.Create(), 1);
    EXPECT_EQ(DataFiles(home).size(), 1u);
    w.Discard();
    EXPECT_TRUE(DataFiles(home).empty());
    EXPECT_FALSE(w.IsOpen());
    EXPECT_EQ(h.hFile, -1);
}

TEST(CHistoryWriter, DestructionCloses) {
    TempDir home;
    HistoryData h;
    PrepareRealtime(h, 8);
    h.newestTime = MakeLocalTime(2004, 5, 6, 7, 8, 9);
    {
        CHistoryWriter w;
        w.SetTarget(&h, "vd", 8, home.path());
        ASSERT_EQ(w.Create(), 1);
    }
    EXPECT_EQ(h.hFile, -1);
    EXPECT_EQ(DataFiles(home), std::set<std::string>{"08@2004-05-06_07-08-09.vd"});
}

}  // namespace
}  // namespace vardo
