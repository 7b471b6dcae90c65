// vardo-cli info, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>

#include <utility>

#include "../support/cli_run.h"

namespace vardo {
namespace {

using testing::FileLayout;
using testing::RunCli;

// A header of ten-second records from 07:00:00 to 07:08:09 on 2024-05-06; channel k ranges
// from -1.1 k to 100.0 + k.
FileLayout InfoSpec() {
    FileLayout s;
    s.newest = {24, 5, 6, 7, 8, 9};
    s.oldest = {24, 5, 6, 7, 0, 0};
    for (int k = 0; k < 12; ++k) s.ranges.push_back({-11 * k, 1, 1000 + 10 * k, 1});
    return s;
}

TEST(CliInfo, PrintsTheSummaryWithUnixLineEndsAndTheModelNamesOfAGbkSetUpIni) {
    testing::TempDir home;
    // An old settings file in GBK that renamed the model ZT330 to 新名称.
    ASSERT_TRUE(testing::WriteBytes(
        home / "SetUp.ini", std::string("[VarParams]\r\nType2=\xD0\xC2\xC3\xFB\xB3\xC6\r\n")));
    FileLayout layout = InfoSpec();
    layout.channelCount = 2;
    const std::string path = home / "08@2024-05-06_07-08-09.vd";
    ASSERT_TRUE(testing::WriteBytes(path, testing::BuildFile(layout)));
    const testing::CliRun r = RunCli(home, {"info", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "文件名：08@2024-05-06_07-08-09.vd\n\n"
              "仪表类型：新名称\n\n"
              "通道数：2\n\n"
              "记录间隔：10秒\n\n"
              "开始时间：2024年05月06日 07时00分00秒\n"
              "结束时间：2024年05月06日 07时08分09秒\n\n"
              "量程：\n"
              "\t通道 01：0.0 ~ 100.0\n"
              "\t通道 02：-1.1 ~ 101.0\n");
}

TEST(CliInfo, RefusalsGoToStderrWithStatusOne) {
    testing::TempDir home;
    std::vector<std::uint8_t> bytes = testing::BuildHeader(InfoSpec());
    bytes.resize(100);
    ASSERT_TRUE(testing::WriteBytes(home / "short.vd", bytes));
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"info", home / "missing.vd"}, home / "missing.vd: 打开文件失败！\n"},
        {{"info", home.path()}, home.path() + ": 打开文件失败！\n"},
        {{"info", home / "short.vd"}, home / "short.vd: 该文件已经损坏！\n"},
        {{"info"}, "vardo-cli info: FILE is required\nusage: vardo-cli info FILE\n"},
    };
    for (const auto& [args, err] : cases) {
        const testing::CliRun r = RunCli(home, args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_EQ(r.out, "") << args.back();
        EXPECT_EQ(r.err, err) << args.back();
    }
}

}  // namespace
}  // namespace vardo
