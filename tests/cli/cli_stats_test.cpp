// vardo-cli stats, run as the user runs it: the records dump lists, their mean, peak and valley.

#include <gtest/gtest.h>

#include "../support/cli_run.h"

namespace vardo {
namespace {

using testing::CliRun;
using testing::FileLayout;
using testing::RunCli;

// 1000 records ten seconds apart up to 2026-03-04 12:00:00 in slot 999; channel 1 holds
// slot % 256 on 0.0 .. 100.0, channel 2 is absent, channel 3 falls from 50 to -50 (0 decimals).
std::string WriteFile(const testing::TempDir& home) {
    FileLayout layout;
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    layout.newest = PackTime(newest);
    layout.oldest = PackTime(newest - 10 * 999);
    layout.newestSlot = 999;
    layout.present = {1, 0, 1};
    layout.ranges = {{0, 0, 1000, 1}, {0, 0, 1000, 1}, {50, 0, -50, 0}};
    layout.sample = [](int, std::uint32_t s) { return static_cast<std::uint8_t>(s % 256); };
    const std::string file = home / "a.vd";
    testing::WriteBytes(file, testing::BuildFile(layout));
    return file;
}

TEST(CliStats, CountsTheRecordsDumpListsWithExactMeansAndEmptyCellsWhereNothingIsCounted) {
    testing::TempDir home;
    const std::string file = WriteFile(home);
    const std::string head = "通道\t均值\t峰值\t谷值\n";
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        // The newest 200: slots 800 .. 999, raw 32 .. 231.
        {{},
         "开始时间\t2026-03-04 11:26:50\n结束时间\t2026-03-04 12:00:00\n" + head +
             "通道1\t51.6\t90.6\t12.5\n通道2\t\t\t\n通道3\t-2\t37\t-41\n"},
        // Slots 995, 997, 999 counted from the newest: raw 227, 229, 231.
        {{"--from", "2026-03-04 11:59:12", "--step", "2"},
         "开始时间\t2026-03-04 11:59:20\n结束时间\t2026-03-04 12:00:00\n" + head +
             "通道1\t89.8\t90.6\t89.0\n通道2\t\t\t\n通道3\t-40\t-39\t-41\n"},
        {{"--from", "2026-03-04 11:59:51", "--to", "2026-03-04 11:59:59"},
         "开始时间\t\n结束时间\t\n" + head + "通道1\t\t\t\n通道2\t\t\t\n通道3\t\t\t\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"stats", file};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = RunCli(home, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(r.err, "");
    }
    const CliRun all = RunCli(home, {"stats", file, "--all"});
    EXPECT_TRUE(all.out.starts_with("开始时间\t2026-03-04 09:13:30\n")) << all.out;
}

TEST(CliStats, RefusalsWriteNothingToStdout) {
    testing::TempDir home;
    const std::string file = WriteFile(home);
    testing::WriteBytes(home / "bad.vd", std::vector<std::uint8_t>(300, 'x'));
    const struct {
        std::vector<std::string> args;
        std::string errStart;
    } cases[] = {
        {{file, "--from", "2026-03-04 12:00:01"}, "请确认 开始时间 < 结束时间\n"},
        {{home / "bad.vd"}, home / "bad.vd: 未知文件格式！\n"},
        {{file, "--step", "0"}, "vardo-cli stats: "},
        {{file, "--all", "--to", "2026-03-04 12:00:00"}, "vardo-cli stats: "},
        {{file, "--order", "newest"}, "vardo-cli stats: "},
        {{}, "vardo-cli stats: "},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"stats"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliRun r = RunCli(home, args);
        EXPECT_EQ(r.status, 1) << c.errStart;
        EXPECT_EQ(r.out, "") << c.errStart;
        EXPECT_TRUE(r.err.starts_with(c.errStart)) << r.err;
    }
    EXPECT_NE(
        RunCli(home, {}).err.find("vardo-cli stats FILE|--recorder R [--archive URL] [--from T] "
                                  "[--to T] [--all] [--step N]\n"),
        std::string::npos);
}

}  // namespace
}  // namespace vardo
