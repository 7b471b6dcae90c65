// vardo-cli export, run as the user runs it; the workbooks read back by xlrd.

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/cli_run.h"
#include "../support/workbook_reader.h"
#include "wrapped_file.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CliRun;
using testing::FileLayout;
using testing::ReadText;
using testing::ReadWithXlrd;
using testing::RunCli;
using testing::Wrapped;

std::size_t Entries(const std::string& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

const std::string kHeader = "'编号' '时间' '通道1' '通道3'\n";

TEST(CliExport, WritesTheRowsDumpPrintsAndNamesTheWorkbook) {
    testing::TempDir home;
    const std::string file = home / "a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(Wrapped())));
    ASSERT_TRUE(testing::WriteBytes(home / "old.xls", std::string("old")));
    const struct {
        std::vector<std::string> args;
        std::string path;
        std::string read;
    } cases[] = {
        {{home / "old.xls", "--from", "2099-12-31 23:59:50", "--to", "2099-12-31 23:59:56",
          "--step", "2", "--order", "oldest"},
         home / "old.xls",
         "# Sheet1 5x4\n" + kHeader +
             "'1' '2099-12-31 23:59:50' 250.0|0 2.0|0.0\n'2' '2099-12-31 23:59:52' 252.0|0 "
             "1.2|0.0\n"
             "'3' '2099-12-31 23:59:54' 254.0|0 0.4|0.0\n'4' '2099-12-31 23:59:56' 0.0|0 "
             "100.0|0.0\n"},
        {{home / "b", "--from", "2099-12-31 23:59:58"},
         home / "b.xls",
         "# Sheet1 3x4\n" + kHeader +
             "'1' '2099-12-31 23:59:59' 3.0|0 98.8|0.0\n'2' '2099-12-31 23:59:58' 2.0|0 "
             "99.2|0.0\n"},
        {{home / "c.XLS", "--from", "2099-12-31 23:59:58", "--to", "2099-12-31 23:59:58", "--step",
          "80000"},
         home / "c.XLS.xls",
         "# Sheet1 2x4\n" + kHeader + "'1' '2099-12-31 23:59:58' 2.0|0 99.2|0.0\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), file);
        const CliRun r = RunCli(home, "export", args);
        const std::string what = ::testing::PrintToString(c.args);
        ASSERT_EQ(r.status, 0) << what << r.err;
        EXPECT_EQ(r.err, "") << what;
        EXPECT_EQ(r.out, c.path + "\n") << what;
        EXPECT_EQ(ReadWithXlrd(c.path), c.read) << what;
    }

    // The whole file by default, newest first, over three sheets.
    const CliRun r = RunCli(home, "export", {file, home / "all.xls"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string all = ReadWithXlrd(home / "all.xls", "--edges");
    EXPECT_TRUE(all.starts_with("# Sheet1 65536x4\n" + kHeader +
                                "'1' '2099-12-31 23:59:59' 3.0|0 98.8|0.0\n"))
        << all.substr(0, 200);
    EXPECT_NE(all.find("# Sheet2 65536x4\n" + kHeader + "'65536' "), std::string::npos);
    EXPECT_TRUE(all.ends_with("# Sheet3 3x4\n" + kHeader +
                              "'131071' '2099-12-30 11:35:29' 5.0|0 98.0|0.0\n"
                              "'131072' '2099-12-30 11:35:28' 4.0|0 98.4|0.0\n"))
        << all.substr(all.size() - 200);
    // Between two records of 10 s: the header only.
    FileLayout tens = Wrapped();
    tens.intervalCode = 3;
    ASSERT_TRUE(testing::WriteBytes(home / "tens.vd", BuildFile(tens)));
    const CliRun between = RunCli(home, "export",
                                  {home / "tens.vd", home / "between.xls", "--from",
                                   "2099-12-31 23:59:51", "--to", "2099-12-31 23:59:58"});
    ASSERT_EQ(between.status, 0) << between.err;
    EXPECT_EQ(ReadWithXlrd(home / "between.xls"), "# Sheet1 1x4\n" + kHeader);
    // No temporary file is left beside the workbooks: the two files, five workbooks and the
    // command's output.
    EXPECT_EQ(Entries(home.path()), 9u);
}

TEST(CliExport, RefusalsLeaveEverythingAsItWas) {
    testing::TempDir home;
    const std::string good = home / "good.vd";
    ASSERT_TRUE(testing::WriteBytes(good, BuildFile(Wrapped())));
    ASSERT_TRUE(testing::WriteBytes(home / "short.vd", std::string("ZT3")));
    ASSERT_TRUE(testing::WriteBytes(home / "old.xls", std::string("old")));
    const std::string out = home / "old.xls";
    const struct {
        std::vector<std::string> args;
        std::string err;  // the whole of stderr; empty for a usage error
    } cases[] = {
        {{home / "short.vd", out}, home / "short.vd: 该文件已经损坏！\n"},
        {{home / "missing.vd", out}, home / "missing.vd: 打开文件失败！\n"},
        // Only the first failing check speaks.
        {{good, out, "--from", "2099-12-31 23:59:59", "--to", "2099-12-31 23:59:58"},
         "请确认 开始时间 < 结束时间\n"},
        {{good, out, "--from", "2000-01-01 00:00:00", "--to", "1999-12-31 00:00:00"},
         "请确认 开始时间 < 结束时间\n"},
        {{good, out, "--from", "2099-12-30 11:35:27"}, "开始时间 超出范围\n"},
        {{good, out, "--from", "2099-12-30 11:35:27", "--to", "2100-01-01 00:00:00"},
         "开始时间 超出范围\n"},
        {{good, out, "--to", "2100-01-01 00:00:00"}, "结束时间 超出范围\n"},
        {{good, home / "no/such/dir/x"},
         home / "no/such/dir/x.xls: 建立文件失败，可能缺少Excel驱动!\nNo such file or directory\n"},
        {{good}, ""},
        {{good, ""}, ""},
        {{good, out, "--step", "0"}, ""},
        {{good, out, "--step", "80001"}, ""},
        {{good, out, "--order", "up"}, ""},
        {{good, out, "--format", "xlsb"}, ""},
        {{good, out, "--all"}, ""},
        {{good, out, "--to", "2099-02-30 00:00:00"}, ""},
    };
    const std::string usage =
        "usage: vardo-cli export FILE|--recorder R OUT [--archive URL] [--from T] [--to T] "
        "[--step N] [--order newest|oldest] [--format xls|xlsx|csv]\nT is \"YYYY-MM-DD HH:MM:SS\" "
        "local time; N is a whole number from 1 to 80000.\nR is [SITE/]ADDRESS[:MODEL] of a "
        "recorder in the archive (MODEL when the address has several); URL is sqlite:PATH or "
        "postgresql://..., by default [Archive] Url of SetUp.ini.\n";
    for (const auto& c : cases) {
        const CliRun r = RunCli(home, "export", c.args);
        const std::string what = ::testing::PrintToString(c.args);
        testing::ExpectRefused(r, "export", c.err, usage, what);
        EXPECT_EQ(ReadText(out), "old") << what;
        EXPECT_EQ(Entries(home.path()), 5u) << what;  // and out.txt, err.txt
    }

    // The disk fills up while the workbook is written: the old file stays as it was.
    const std::string command = "cd " + testing::ShellQuote(home.path()) +
                                " && trap '' XFSZ && ulimit -f 200 && TZ=Asia/Shanghai " +
                                testing::ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli") +
                                " export good.vd old.xls 2>&1";
    EXPECT_EQ(testing::RunShell(command),
              "old.xls: 建立文件失败，可能缺少Excel驱动!\nFile too large\n\nexit status 256");
    EXPECT_EQ(ReadText(out), "old");
    EXPECT_EQ(Entries(home.path()), 5u);
}

}  // namespace
}  // namespace vardo
