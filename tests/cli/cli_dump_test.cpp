// vardo-cli dump, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>

#include <algorithm>

#include "../support/cli_run.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CliRun;
using testing::FileLayout;
using testing::RunCli;

// A wrapped ring of 131072 records a second apart up to 2099-12-31 23:59:59 in slot 3; channels
// 1 and 3 of 3 present: channel 1 holds slot % 256 on 0..255, channel 3 the rest to 255 on
// 0.0..100.0.
FileLayout Wrapped() {
    FileLayout layout;
    layout.hasOldestByte = 0;
    layout.newestSlot = 3;
    layout.newest = {99, 12, 31, 23, 59, 59};
    layout.intervalCode = 0;
    layout.present = {1, 0, 1};
    layout.ranges = {{0, 0, 255, 0}, {0, 0, 255, 0}, {0, 0, 1000, 1}};
    layout.sample = [](int ch, std::uint32_t s) {
        return static_cast<std::uint8_t>(ch == 0 ? s % 256 : 255 - s % 256);
    };
    return layout;
}

CliRun Dump(const testing::TempDir& home, std::vector<std::string> args) {
    args.insert(args.begin(), "dump");
    return RunCli(home, args);
}

TEST(CliDump, RowsOfTheNewest200AllOrARangeInBothOrdersPast2038) {
    testing::TempDir home;
    const std::string file = home / "a.vd";  // any name: dump does not apply the reopen rule
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(Wrapped())));
    const std::string header = "编号\t时间\t通道1\t通道3\n";

    CliRun r = Dump(home, {file});
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

    r = Dump(home, {file, "--all", "--order", "oldest"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 131073);
    // the oldest record is in the slot after the newest
    EXPECT_EQ(r.out.substr(header.size(), 29), "1\t2099-12-30 11:35:28\t4\t98.4\n");
    EXPECT_TRUE(r.out.ends_with("\n131072\t2099-12-31 23:59:59\t3\t98.8\n"));

    r = Dump(home, {file, "--to", "2099-12-31 23:59:56", "--from", "2099-12-31 23:59:50", "--step",
                    "2", "--order", "oldest"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, header +
                         "1\t2099-12-31 23:59:50\t250\t2.0\n"
                         "2\t2099-12-31 23:59:52\t252\t1.2\n"
                         "3\t2099-12-31 23:59:54\t254\t0.4\n"
                         "4\t2099-12-31 23:59:56\t0\t100.0\n");
}

TEST(CliDump, RefusalsAndBadArguments) {
    testing::TempDir home;
    const std::string good = home / "good.vd";
    ASSERT_TRUE(testing::WriteBytes(good, BuildFile(Wrapped())));
    FileLayout unknown = Wrapped();
    unknown.model = "AB330";
    ASSERT_TRUE(testing::WriteBytes(home / "unknown.vd", BuildFile(unknown)));
    ASSERT_TRUE(testing::WriteBytes(home / "short.vd", std::string("ZT3")));
    const struct {
        std::vector<std::string> args;
        const char* err;  // the whole of stderr, or its first line's start for usage errors
    } cases[] = {
        {{home / "short.vd"}, "该文件已经损坏！\n"},
        {{home / "unknown.vd"}, "未知文件格式！\n"},
        {{home / "missing.vd"}, "打开文件失败！\n"},
        {{home.path()}, "打开文件失败！\n"},
        {{}, "vardo-cli dump: no file"},
        {{good, "--step", "0"}, "vardo-cli dump: bad step"},
        {{good, "--step", "3x"}, "vardo-cli dump: bad step"},
        {{good, "--step"}, "vardo-cli dump: --step needs"},
        {{good, "--order", "up"}, "vardo-cli dump: bad order"},
        {{good, "--to", "2004-02-30 00:00:00"}, "vardo-cli dump: bad time for --to"},
        {{good, "--all", "--to", "2004-05-06 07:07:00"}, "vardo-cli dump: --all takes"},
        {{good, "--frm", "x"}, "vardo-cli dump: unknown option --frm"},
        {{good, good}, "vardo-cli dump: more than one file"},
    };
    for (const auto& c : cases) {
        const CliRun r = Dump(home, c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(r.status, 1) << what;
        EXPECT_EQ(r.out, "") << what;
        EXPECT_EQ(r.err.substr(0, std::string(c.err).size()), c.err) << what;
    }
}

}  // namespace
}  // namespace vardo
