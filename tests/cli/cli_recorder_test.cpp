// dump, stats and envelope over a recorder's span, run as the user runs them: the span of one
// file gives what the file gives; the refusals of a missing archive and of an address with two
// models; envelope's rows.

#include <gtest/gtest.h>

#include <algorithm>

#include "../support/cli_run.h"
#include "wrapped_file.h"

namespace vardo {
namespace {

using testing::CliRun;
using testing::FileLayout;
using testing::RunCli;

// Ten-second records up to 2099-12-31 23:59:59 (ring slot 3), three channels all present.
FileLayout Plain(const std::string& model) {
    FileLayout layout = testing::Wrapped();
    layout.model = model;
    layout.intervalCode = 3;
    layout.present = {1, 1, 1};
    return layout;
}

std::string Archive(const testing::TempDir& home) {
    return "sqlite:" + home / "Archive.db";
}

TEST(CliRecorder, TheSpanOfOneFileListsAndCountsAsTheFile) {
    testing::TempDir home;
    const std::string file = home / "05@a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, testing::BuildFile(Plain("ZT330"))));
    CliRun r = RunCli(home, "archive", {"add", file});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::vector<std::vector<std::string>> ranges = {
        {},
        {"--all"},
        {"--all", "--order", "oldest", "--step", "1000"},
        {"--to", "2099-12-31 23:00:09"},
        {"--from", "2099-12-31 23:40:00", "--step", "3"},
        {"--from", "2099-12-31 20:00:09", "--to", "2099-12-31 21:00:09", "--order", "oldest"},
        {"--from", "2099-12-31 23:59:45", "--to", "2099-12-31 23:59:48"},  // no record: header
    };
    for (const char* command : {"dump", "stats"}) {
        for (const auto& range : ranges) {
            if (std::string(command) == "stats" &&
                std::find(range.begin(), range.end(), "--order") != range.end())
                continue;
            const std::string what = command + ::testing::PrintToString(range);
            std::vector<std::string> byFile = range;
            byFile.insert(byFile.begin(), file);
            std::vector<std::string> bySpan = range;
            bySpan.insert(bySpan.begin(), {"--recorder", "5"});
            const CliRun want = RunCli(home, command, byFile);
            ASSERT_EQ(want.status, 0) << what << want.err;
            const CliRun got = RunCli(home, command, bySpan);
            EXPECT_EQ(got.status, 0) << what;
            EXPECT_EQ(got.err, "") << what;
            EXPECT_EQ(got.out, want.out) << what;
        }
    }
    const CliRun want = RunCli(home, "envelope", {file, "--columns", "977"});
    ASSERT_EQ(want.status, 0) << want.err;
    EXPECT_EQ(RunCli(home, "envelope", {"--recorder", "05:ZT330", "--columns", "977"}).out,
              want.out);
}

TEST(CliRecorder, TheExportOfTheSpanOfOneFileIsTheFilesExport) {
    testing::TempDir home;
    const std::string file = home / "05@a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, testing::BuildFile(Plain("ZT330"))));
    ASSERT_EQ(RunCli(home, "archive", {"add", file}).status, 0);
    const std::vector<std::vector<std::string>> ranges = {
        {"--format", "csv"},
        {"--from", "2099-12-31 20:00:09", "--to", "2099-12-31 21:00:00", "--step", "7", "--order",
         "oldest"},
        {"--from", "2099-12-31 23:59:45", "--to", "2099-12-31 23:59:48"},  // no record
    };
    for (const auto& range : ranges) {
        const std::string what = ::testing::PrintToString(range);
        std::vector<std::string> byFile = {file, home / "file.csv"};
        byFile.insert(byFile.end(), range.begin(), range.end());
        std::vector<std::string> bySpan = {"--recorder", "5", home / "span.csv"};
        bySpan.insert(bySpan.end(), range.begin(), range.end());
        const CliRun want = RunCli(home, "export", byFile);
        ASSERT_EQ(want.status, 0) << what << want.err;
        const CliRun got = RunCli(home, "export", bySpan);
        ASSERT_EQ(got.status, 0) << what << got.err;
        EXPECT_EQ(got.out, home / "span.csv\n");
        EXPECT_EQ(testing::ReadText(home / "span.csv"), testing::ReadText(home / "file.csv"))
            << what;
    }
    // .xls as well: the same cells make the same workbook.
    ASSERT_EQ(RunCli(home, "export", {file, home / "file", "--step", "50"}).status, 0);
    ASSERT_EQ(RunCli(home, "export", {"--recorder", "5", home / "span", "--step", "50"}).status, 0);
    EXPECT_EQ(testing::ReadText(home / "span.xls"), testing::ReadText(home / "file.xls"));
    // Out of the span, refused as out of the file.
    const std::vector<std::string> late = {"--from", "2100-01-01 00:00:00", "--to",
                                           "2100-01-02 00:00:00"};
    std::vector<std::string> byFile = {file, home / "x.csv"};
    byFile.insert(byFile.end(), late.begin(), late.end());
    std::vector<std::string> bySpan = {"--recorder", "5", home / "y.csv"};
    bySpan.insert(bySpan.end(), late.begin(), late.end());
    const CliRun want = RunCli(home, "export", byFile);
    const CliRun got = RunCli(home, "export", bySpan);
    EXPECT_EQ(want.status, 1);
    EXPECT_EQ(got.status, 1);
    EXPECT_EQ(got.err, want.err);
}

TEST(CliRecorder, ReadingRefusesAMissingArchiveAndAnAddressOfTwoModels) {
    testing::TempDir home;
    const std::string missing = home / "Archive.db: 档案库不存在！\n";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } refusals[] = {
        {{"dump", "--recorder", "5"}, missing},
        {{"stats", "--recorder", "5", "--all"}, missing},
        {{"envelope", "--recorder", "5", "--columns", "3"}, missing},
        {{"export", "--recorder", "5", home / "out.csv"}, missing},
        {{"dump", "--recorder", "5", "--archive", "sqlite:" + home / "other.db"},
         home / "other.db: 档案库不存在！\n"},
    };
    for (const auto& c : refusals) {
        const CliRun r = RunCli(home, c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(testing::FileNames(home.path()), (std::set<std::string>{"out.txt", "err.txt"}));

    const std::string a = home / "05@a.vd";
    const std::string b = home / "05@b.vd";
    ASSERT_TRUE(testing::WriteBytes(a, testing::BuildFile(Plain("ZT330"))));
    ASSERT_TRUE(testing::WriteBytes(b, testing::BuildFile(Plain("ZT772"))));
    ASSERT_EQ(RunCli(home, "archive", {"add", a, b}).status, 0);
    const std::string several =
        "仪表地址 05 有多种仪表类型：ZT330, ZT772，请用 --recorder 05:型号 指定\n";
    const struct {
        std::vector<std::string> args;
        std::string err;  // empty: a usage error
    } more[] = {
        {{"dump", "--recorder", "5"}, several},
        {{"envelope", "--recorder", "05", "--columns", "3"}, several},
        {{"stats", "--recorder", "6"}, "档案库中没有仪表 06 的记录\n"},
        {{"dump", "--recorder", "5:ZT330", "--from", "2099-12-31 23:59:59", "--to",
          "2099-12-31 23:59:58"},
         "请确认 开始时间 < 结束时间\n"},
        {{"dump", "--recorder", "5:ZT330", "--from", "2100-01-01 00:00:00"},
         "请确认 开始时间 < 结束时间\n"},
        {{"envelope", "--recorder", "5:ZT772", "--from", "2099-12-31 23:59:59", "--to",
          "2099-12-31 23:59:58", "--columns", "3"},
         "请确认 开始时间 < 结束时间\n"},
        {{"dump", a, "--recorder", "5"}, ""},
        {{"dump", "--recorder", "256"}, ""},
        {{"dump", a, "--archive", Archive(home)}, ""},
        {{"envelope", a, "--columns", "0"}, ""},
        {{"envelope", a, "--columns", "100001"}, ""},
        {{"envelope", a}, ""},
    };
    for (const auto& c : more) {
        const std::string what = ::testing::PrintToString(c.args);
        const CliRun r = RunCli(home, c.args);
        EXPECT_EQ(r.status, 1) << what << r.err;
        EXPECT_EQ(r.out, "") << what;
        if (!c.err.empty()) {
            EXPECT_EQ(r.err, c.err) << what;
        }
    }
}

TEST(CliRecorder, EnvelopeRowsOfAFile) {
    testing::TempDir home;
    const std::string file = home / "a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, testing::BuildFile(testing::Wrapped())));
    // Records a second apart; channel 1 is slot % 256 on 0..255, channel 3 its mirror on
    // 0.0..100.0; channel 2 is absent.
    const CliRun r = RunCli(
        home, "envelope",
        {file, "--from", "2099-12-31 23:59:55", "--to", "2100-01-01 00:00:02", "--columns", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "列\t开始时间\t结束时间\t通道1最小\t通道1最大\t通道2最小\t通道2最大\t通道3最小\t通道3最大\n"
        "1\t2099-12-31 23:59:55\t2099-12-31 23:59:57\t0\t255\t\t\t0.0\t100.0\n"
        "2\t2099-12-31 23:59:58\t2099-12-31 23:59:59\t2\t3\t\t\t98.8\t99.2\n"
        "3\t\t\t\t\t\t\t\t\n");
}

}  // namespace
}  // namespace vardo
