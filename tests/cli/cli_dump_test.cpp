// vardo-cli dump, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>

#include <algorithm>

#include "../support/cli_run.h"

namespace vardo {
namespace {

using testing::BuildFile;
using testing::CliRun;
using testing::FileSpec;
using testing::RunCli;

// Ten records 10 s apart up to 2004-05-06 07:08:09 in slots 0..9; channels 1 and 3 of 3 present,
// both 0.0..100.0; channel 1 rises by 25 a slot, channel 3 falls from 255.
FileSpec TenRecords() {
    FileSpec spec;
    spec.newestSlot = 9;
    spec.oldest = {4, 5, 6, 7, 6, 39};
    spec.present = {1, 0, 1};
    spec.sample = [](int ch, std::uint32_t s) {
        const auto up = static_cast<std::uint8_t>(std::min<std::uint32_t>(s * 25, 255));
        return ch == 0 ? up : static_cast<std::uint8_t>(255 - up);
    };
    return spec;
}

CliRun Dump(const testing::TempDir& home, std::vector<std::string> args) {
    args.insert(args.begin(), "dump");
    return RunCli(home, args);
}

TEST(CliDump, RowsInBothOrdersAndSteps) {
    testing::TempDir home;
    const std::string file = home / "a.vd";  // any name: dump does not apply the reopen rule
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(TenRecords())));
    const struct {
        std::vector<std::string> options;
        std::string rows;
    } cases[] = {
        {{"--step", "3", "--order", "oldest"},
         "1\t2004-05-06 07:06:39\t0.0\t100.0\n"
         "2\t2004-05-06 07:07:09\t29.4\t70.6\n"
         "3\t2004-05-06 07:07:39\t58.8\t41.2\n"
         "4\t2004-05-06 07:08:09\t88.2\t11.8\n"},
        {{"--to", "2004-05-06 07:07:55", "--from", "2004-05-06 07:07:25", "--order", "newest"},
         "1\t2004-05-06 07:07:59\t78.4\t21.6\n"
         "2\t2004-05-06 07:07:49\t68.6\t31.4\n"
         "3\t2004-05-06 07:07:39\t58.8\t41.2\n"
         "4\t2004-05-06 07:07:29\t49.0\t51.0\n"},
        // a range after the file is cut to the file: its newest record
        {{"--from", "2004-05-07 00:00:00"}, "1\t2004-05-06 07:08:09\t88.2\t11.8\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = Dump(home, args);
        EXPECT_EQ(r.status, 0) << c.options[0];
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "编号\t时间\t通道1\t通道3\n" + c.rows) << c.options[0];
    }
}

TEST(CliDump, DefaultIsTheNewest200NewestFirstPast2038) {
    testing::TempDir home;
    FileSpec spec;
    spec.hasOldestByte = 0;  // a wrapped ring of 131072 records
    spec.newestSlot = 3;
    spec.newest = {99, 12, 31, 23, 59, 59};
    spec.intervalCode = 0;  // 1 s
    spec.channelCount = 1;
    spec.sample = [](int, std::uint32_t s) { return static_cast<std::uint8_t>(s % 256); };
    spec.ranges = {{0, 0, 255, 0}};
    const std::string file = home / "wrapped.vd";
    ASSERT_TRUE(testing::WriteBytes(file, BuildFile(spec)));

    CliRun r = Dump(home, {file});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 201);
    const std::string newest =
        "编号\t时间\t通道1\n"
        "1\t2099-12-31 23:59:59\t3\n"
        "2\t2099-12-31 23:59:58\t2\n"
        "3\t2099-12-31 23:59:57\t1\n"
        "4\t2099-12-31 23:59:56\t0\n"
        "5\t2099-12-31 23:59:55\t255\n";
    EXPECT_EQ(r.out.substr(0, newest.size()), newest);
    EXPECT_NE(r.out.find("\n200\t2099-12-31 23:56:40\t60\n"), std::string::npos);

    r = Dump(home, {file, "--all", "--order", "oldest"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 131073);
    // the oldest record is in the slot after the newest
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, 24), "1\t2099-12-30 11:35:28\t4\n");
    EXPECT_EQ(r.out.substr(r.out.size() - 29), "131072\t2099-12-31 23:59:59\t3\n");
}

TEST(CliDump, RefusalsAndBadArguments) {
    testing::TempDir home;
    const std::string good = home / "good.vd";
    ASSERT_TRUE(testing::WriteBytes(good, BuildFile(TenRecords())));
    FileSpec unknown = TenRecords();
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
