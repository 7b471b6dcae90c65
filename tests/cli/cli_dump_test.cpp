// vardo-cli dump, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>

#include <algorithm>

#include "../support/cli_run.h"
#include "wrapped_file.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CliRun;
using testing::FileLayout;
using testing::RunCli;
using testing::Wrapped;

TEST(CliDump, RowsOfTheNewest200AllOrARangeInBothOrdersPast2038) {
    testing::TempDir home;
    const std::string file = home / "a.vd";  // any name: dump does not apply the reopen rule
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(Wrapped())));
    const std::string header = "编号\t时间\t通道1\t通道3\n";

    CliRun r = RunCli(home, "dump", {file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 201);
    const std::string newest = header +
                               "1\t2099-12-31 23:59:59\t3\t98.8\n"
                               "2\t2099-12-31 23:59:58\t2\t99.2\n"
                               "3\t2099-12-31 23:59:57\t1\t99.6\n"
                               "4\t2099-12-31 23:59:56\t0\t100.0\n"
                               "5\t2099-12-31 23:59:55\t255\t0.0\n";
    EXPECT_EQ(r.out.substr(0, newest.size()), newest);
    EXPECT_TRUE(r.out.ends_with("\n200\t2099-12-31 23:56:40\t60\t76.5\n"));

    r = RunCli(home, "dump", {file, "--all", "--order", "oldest"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 131073);
    // the oldest record is in the slot after the newest
    EXPECT_EQ(r.out.substr(header.size(), 29), "1\t2099-12-30 11:35:28\t4\t98.4\n");
    EXPECT_TRUE(r.out.ends_with("\n131072\t2099-12-31 23:59:59\t3\t98.8\n"));

    r = RunCli(home, "dump",
               {file, "--to", "2099-12-31 23:59:56", "--from", "2099-12-31 23:59:50", "--step", "2",
                "--order", "oldest"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, header +
                         "1\t2099-12-31 23:59:50\t250\t2.0\n"
                         "2\t2099-12-31 23:59:52\t252\t1.2\n"
                         "3\t2099-12-31 23:59:54\t254\t0.4\n"
                         "4\t2099-12-31 23:59:56\t0\t100.0\n");
}

TEST(CliDump, RangeDefaultsAndRangesThatHoldNoRecord) {
    testing::TempDir home;
    FileLayout layout = Wrapped();
    layout.intervalCode = 3;  // ten seconds: newest 23:59:59, then 23:59:49, ...
    const std::string file = home / "a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(layout)));
    const std::string header = "编号\t时间\t通道1\t通道3\n";
    const struct {
        std::vector<std::string> args;
        long rows;
        const char* first;  // the first row's time, newest first
        const char* last;
    } cases[] = {
        {{}, 200, "2099-12-31 23:59:59", "2099-12-31 23:26:49"},
        {{"--to", "2099-12-31 23:59:49"}, 200, "2099-12-31 23:59:49", "2099-12-31 23:26:39"},
        {{"--to", "2099-12-31 23:59:54"}, 199, "2099-12-31 23:59:49", "2099-12-31 23:26:49"},
        {{"--to", "2100-01-01 00:00:05"}, 199, "2099-12-31 23:59:59", "2099-12-31 23:26:59"},
        {{"--from", "2099-12-31 23:59:40"}, 2, "2099-12-31 23:59:59", "2099-12-31 23:59:49"},
        {{"--from", "2099-12-31 23:59:49", "--to", "2099-12-31 23:59:49"},
         1,
         "2099-12-31 23:59:49",
         "2099-12-31 23:59:49"},
        {{"--from", "2099-12-31 23:59:45", "--to", "2099-12-31 23:59:48"}, 0, "", ""},
        {{"--from", "2100-01-01 00:00:00", "--to", "2100-01-01 00:01:00"}, 0, "", ""},
        {{"--from", "2000-01-01 00:00:00", "--to", "2001-01-01 00:00:00"}, 0, "", ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), file);
        const CliRun r = RunCli(home, "dump", args);
        const std::string what = ::testing::PrintToString(c.args);
        ASSERT_EQ(r.status, 0) << what << r.err;
        EXPECT_EQ(r.err, "") << what;
        ASSERT_EQ(r.out.substr(0, header.size()), header) << what;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), c.rows + 1) << what;
        if (c.rows == 0) continue;
        EXPECT_EQ(r.out.substr(header.size(), r.out.find('\n', header.size()) - header.size())
                      .substr(2, 19),
                  c.first)
            << what;
        const std::string lastRow = r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
        EXPECT_EQ(lastRow.substr(lastRow.find('\t') + 1, 19), c.last) << what;
    }
}

TEST(CliDump, RefusalsNameTheFileAndUsageErrorsRepeatTheUsage) {
    testing::TempDir home;
    const std::string good = home / "good.vd";
    ASSERT_TRUE(testing::WriteBytes(good, BuildFile(Wrapped())));
    FileLayout unknown = Wrapped();
    unknown.model = "AB330";
    ASSERT_TRUE(testing::WriteBytes(home / "unknown.vd", BuildFile(unknown)));
    ASSERT_TRUE(testing::WriteBytes(home / "short.vd", std::string("ZT3")));
    const struct {
        std::vector<std::string> args;
        std::string err;  // the whole of stderr; empty for a usage error
    } cases[] = {
        {{home / "short.vd"}, home / "short.vd: 该文件已经损坏！\n"},
        {{home / "unknown.vd"}, home / "unknown.vd: 未知文件格式！\n"},
        {{home / "missing.vd"}, home / "missing.vd: 打开文件失败！\n"},
        {{home.path()}, home.path() + ": 打开文件失败！\n"},
        {{good, "--from", "2099-12-31 23:59:59", "--to", "2099-12-31 23:59:58"},
         "请确认 开始时间 < 结束时间\n"},
        {{good, "--from", "2100-01-01 00:00:00"}, "请确认 开始时间 < 结束时间\n"},
        {{}, ""},
        {{""}, ""},
        {{good, "--step", "0"}, ""},
        {{good, "--step", "3x"}, ""},
        {{good, "--step", "+3"}, ""},
        {{good, "--step", "2147483648"}, ""},
        {{good, "--step"}, ""},
        {{good, "--step", "2", "--step", "2"}, ""},
        {{good, "--order", "up"}, ""},
        {{good, "--to", "2004-02-30 00:00:00"}, ""},
        {{good, "--to", "2004-02-03"}, ""},
        {{good, "--all", "--to", "2004-05-06 07:07:00"}, ""},
        {{good, "--all", "--all"}, ""},
        {{good, "--frm", "x"}, ""},
        {{good, good}, ""},
    };
    const std::string usage =
        "usage: vardo-cli dump FILE|--recorder R [--archive URL] [--from T] [--to T] [--all] "
        "[--step N] [--order newest|oldest]\nT is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole "
        "number from 1.\nR is [SITE/]ADDRESS[:MODEL] of a recorder in the archive (MODEL when the "
        "address has several); URL is sqlite:PATH or postgresql://..., by default [Archive] Url of "
        "SetUp.ini.\n";
    for (const auto& c : cases) {
        const CliRun r = RunCli(home, "dump", c.args);
        const std::string what = ::testing::PrintToString(c.args);
        testing::ExpectRefused(r, "dump", c.err, usage, what);
    }
}

}  // namespace
}  // namespace vardo
