// vardo-cli export in its three formats, read back by independent readers (openpyxl, Python's
// csv module, xlrd) cell for cell against vardo-cli dump of the same span; what it refuses to
// replace, and what an interrupted export leaves: nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "../support/cli_run.h"
#include "../support/workbook_reader.h"
#include "wrapped_file.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CliRun;
using testing::ReadTable;
using testing::ReadText;
using testing::RunCli;
using testing::RunShell;
using testing::ShellQuote;
using testing::Wrapped;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        // What the test's runs of vardo-cli printed.
        if (name != "out.txt" && name != "err.txt") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kFailed = "建立文件失败，可能缺少Excel驱动!";

TEST(CliExportFormats, EachFormatHoldsTheCellsDumpPrints) {
    testing::TempDir home;
    const std::string file = home / "a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(Wrapped())));
    const std::vector<std::string> span = {
        "--from", "2099-12-31 23:50:00", "--to", "2099-12-31 23:59:59", "--step", "3", "--order",
        "oldest"};
    std::vector<std::string> dumpArgs = span;
    dumpArgs.insert(dumpArgs.begin(), file);
    const CliRun dump = RunCli(home, "dump", dumpArgs);
    ASSERT_EQ(dump.status, 0) << dump.err;
    ASSERT_GT(dump.out.size(), 1000u);
    const std::string xlsHead = "# Sheet1 " +
                                std::to_string(std::count(dump.out.begin(), dump.out.end(), '\n')) +
                                "x4\n'编号' '时间' '通道1' '通道3'\n";

    const struct {
        std::vector<std::string> args;  // OUT and options
        std::string written;
        std::string kind;  // how to read it back
    } cases[] = {
        {{"a.xlsx"}, "a.xlsx", "xlsx"},
        {{"a.csv"}, "a.csv", "csv"},
        {{"t.txt", "--format", "csv"}, "t.txt", "csv"},
        {{"x", "--format", "xlsx"}, "x", "xlsx"},
        {{"b.csv", "--format", "xls"}, "b.csv", "xls"},
        {{"c.CSV"}, "c.CSV.xls", "xls"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args[0] = home / args[0];
        args.insert(args.begin(), file);
        args.insert(args.end(), span.begin(), span.end());
        const CliRun r = RunCli(home, "export", args);
        const std::string what = ::testing::PrintToString(c.args);
        ASSERT_EQ(r.status, 0) << what << r.err;
        EXPECT_EQ(r.out, home / c.written + "\n") << what;
        if (c.kind == "xls") {
            EXPECT_TRUE(testing::ReadWithXlrd(home / c.written).starts_with(xlsHead)) << what;
        } else {
            EXPECT_EQ(ReadTable(c.kind, home / c.written), dump.out) << what;
        }
    }

    // A whole recorder in one sheet of the .xlsx; the CSV the same.
    const CliRun all = RunCli(home, "dump", {file, "--all"});
    ASSERT_EQ(all.status, 0);
    for (const char* kind : {"xlsx", "csv"}) {
        const std::string out = home / ("all." + std::string(kind));
        ASSERT_EQ(RunCli(home, "export", {file, out}).status, 0) << kind;
        EXPECT_TRUE(ReadTable(kind, out) == all.out) << kind;
    }
}

TEST(CliExportFormats, WhatExportReplacesAndWhatItRefuses) {
    testing::TempDir home;
    const std::string file = home / "a.vd";
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(Wrapped())));
    std::filesystem::create_directory(home / "sub");
    ASSERT_TRUE(testing::WriteBytes(home / "sub/target.csv", std::string("old")));
    std::filesystem::create_symlink("sub/target.csv", home / "link.csv");
    std::filesystem::create_symlink("sub/later.xlsx", home / "dangling.xlsx");
    for (const char* name : {"ro.xlsx", "theirs.csv"}) {
        ASSERT_TRUE(testing::WriteBytes(home / name, std::string("kept")));
    }
    ::chmod((home / "ro.xlsx").c_str(), 0444);
    const bool chowned = ::chown((home / "theirs.csv").c_str(), 65534, 65534) == 0;
    const std::vector<std::string> before = Entries(home.path());
    const std::string span = "2099-12-31 23:59:58";

    // Refused, in every format's way of naming: nothing changes, and the message says why on
    // its second line. (ExportFile's own test goes through every refusal.)
    const struct {
        std::string out;
        std::string reason;
    } refusals[] = {
        {"ro.xlsx", "Permission denied"},
        {"theirs.csv", chowned ? "Permission denied" : ""},
        {"sub/", "Is a directory"},  // no ".xls" added
        {std::string(252, 'n') + ".csv", "File name too long"},
    };
    for (const auto& r : refusals) {
        if (r.reason.empty()) continue;
        const CliRun run = RunCli(home, "export", {file, home / r.out, "--from", span});
        EXPECT_EQ(run.status, 1) << r.out;
        EXPECT_EQ(run.err, home / r.out + ": " + kFailed + "\n" + r.reason + "\n") << r.out;
        EXPECT_EQ(ReadText(home / "ro.xlsx") + ReadText(home / "theirs.csv"), "keptkept");
        EXPECT_EQ(Entries(home.path()), before) << r.out;
    }

    // A link keeps its place; the file it names is replaced, or made where it does not exist.
    ASSERT_EQ(RunCli(home, "export", {file, home / "link.csv", "--from", span}).status, 0);
    ASSERT_EQ(RunCli(home, "export", {file, home / "dangling.xlsx", "--from", span}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(home / "link.csv"));
    EXPECT_TRUE(std::filesystem::is_symlink(home / "dangling.xlsx"));
    const std::string rows =
        "编号\t时间\t通道1\t通道3\n1\t2099-12-31 23:59:59\t3\t98.8\n"
        "2\t2099-12-31 23:59:58\t2\t99.2\n";
    EXPECT_EQ(ReadTable("csv", home / "sub/target.csv"), rows);
    EXPECT_EQ(ReadTable("xlsx", home / "sub/later.xlsx"), rows);

    // The longest names the file system takes, new and replaced, in every format.
    for (const std::size_t length : {243u, 250u, 255u}) {
        for (const std::string_view extension : {".csv", ".xlsx", ".xls"}) {
            const std::string name =
                std::string(length - extension.size(), 'L') + std::string(extension);
            for (int time = 0; time < 2; ++time) {
                const CliRun r = RunCli(home, "export", {file, home / name, "--from", span});
                EXPECT_EQ(r.status, 0) << length << extension << r.err;
            }
            EXPECT_TRUE(std::filesystem::is_regular_file(home / name)) << length << extension;
            std::filesystem::remove(home / name);
        }
    }
    EXPECT_EQ(Entries(home.path()), before);
}

TEST(CliExportFormats, AnInterruptedExportLeavesNothingBehind) {
    testing::TempDir home;
    ASSERT_TRUE(testing::WriteBytes(home / "full.vd", BuildFile(testing::FullFileLayout())));
    const std::string cli = ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
    for (const char* signal : {"INT", "TERM", "HUP"}) {
        for (const char* out : {"out.xls", "out.xlsx", "out.csv"}) {
            // Stopped while it writes; if it was quicker, it left its whole file.
            const std::string command =
                "cd " + ShellQuote(home.path()) + " && " + cli + " export full.vd " + out +
                " >/dev/null 2>&1 & sleep 0.15; kill -" + signal + " $!; wait $!; echo $?";
            const std::string status = RunShell(command);
            const std::vector<std::string> left = Entries(home.path());
            if (left.size() == 2) {
                EXPECT_EQ(left, (std::vector<std::string>{"full.vd", out})) << signal;
                std::filesystem::remove(home / out);
                continue;
            }
            EXPECT_EQ(left, std::vector<std::string>{"full.vd"}) << signal << " " << out;
            EXPECT_NE(status, "0\n") << signal << " " << out;
        }
    }
}

}  // namespace
}  // namespace vardo
