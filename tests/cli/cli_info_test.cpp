// vardo-cli info, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/cli_run.h"

namespace vardo {
namespace {

using testing::FileSpec;
using testing::RunCli;

// A header of ten-second records from 07:00:00 to 07:08:09 on 2024-05-06; channel k ranges
// from -1.1 k to 100.0 + k.
FileSpec InfoSpec() {
    FileSpec s;
    s.newest = {24, 5, 6, 7, 8, 9};
    s.oldest = {24, 5, 6, 7, 0, 0};
    for (int k = 0; k < 12; ++k) s.ranges.push_back({-11 * k, 1, 1000 + 10 * k, 1});
    return s;
}

TEST(CliInfo, PrintsTheSummaryWithUnixLineEnds) {
    testing::TempDir home;
    FileSpec spec = InfoSpec();
    spec.channelCount = 2;
    const std::string path = home / "08@2024-05-06_07-08-09.vd";
    ASSERT_TRUE(testing::WriteBytes(path, testing::BuildFile(spec)));
    const testing::CliRun r = RunCli(home, {"info", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "文件名：08@2024-05-06_07-08-09.vd\n\n"
              "仪表类型：ZT330\n\n"
              "通道数：2\n\n"
              "记录间隔：10秒\n\n"
              "开始时间：2024年05月06日 07时00分00秒\n"
              "结束时间：2024年05月06日 07时08分09秒\n\n"
              "量程：\n"
              "\t通道 01：0.0 ~ 100.0\n"
              "\t通道 02：-1.1 ~ 101.0\n");
}

TEST(CliInfo, WrappedTwelveChannelFileNamedByAGbkSetUpIni) {
    testing::TempDir home;
    // An old settings file in GBK that renamed the 12-channel pseudo-colour model to 新名称.
    ASSERT_TRUE(testing::WriteBytes(
        home / "SetUp.ini", std::string("[VarParams]\r\nType7=\xD0\xC2\xC3\xFB\xB3\xC6\r\n")));
    FileSpec spec = InfoSpec();
    spec.model = "ZT772";
    spec.channelCount = 14;
    spec.newest = {30, 1, 1, 0, 0, 0};
    spec.intervalCode = 0;
    spec.hasOldestByte = 0;
    ASSERT_TRUE(testing::WriteBytes(home / "x.vd", testing::BuildHeader(spec)));
    const testing::CliRun r = RunCli(home, {"info", home / "x.vd"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("仪表类型：新名称\n\n通道数：14\n\n记录间隔：1秒\n\n"
                         "开始时间：2029年12月31日 05时47分45秒\n"
                         "结束时间：2030年01月01日 00时00分00秒\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\t通道 12：-12.1 ~ 111.0\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("通道 13"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST(CliInfo, RefusalsGoToStderrWithStatusOne) {
    testing::TempDir home;
    const struct {
        const char* name;
        void (*change)(FileSpec&);
        std::size_t size;  // 0: no such file
        const char* err;
    } cases[] = {
        {"missing.vd", nullptr, 0, "打开文件失败！\n"},
        {"short.vd", [](FileSpec&) {}, 100, "该文件已经损坏！\n"},
        {"badtime.vd", [](FileSpec& s) { s.newest[1] = 13; }, 256, "该文件已经损坏！\n"},
        {"badoldest.vd", [](FileSpec& s) { s.oldest[5] = 60; }, 256, "该文件已经损坏！\n"},
        {"badinterval.vd", [](FileSpec& s) { s.intervalCode = 9; }, 256, "该文件已经损坏！\n"},
    };
    for (const auto& c : cases) {
        if (c.change != nullptr) {
            FileSpec spec = InfoSpec();
            c.change(spec);
            std::vector<std::uint8_t> bytes = testing::BuildHeader(spec);
            bytes.resize(c.size);
            ASSERT_TRUE(testing::WriteBytes(home / c.name, bytes));
        }
        const testing::CliRun r = RunCli(home, {"info", home / c.name});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
    std::filesystem::create_directory(home / "dir.vd");
    EXPECT_EQ(RunCli(home, {"info", home / "dir.vd"}).err, "打开文件失败！\n");
    const testing::CliRun usage = RunCli(home, {"info"});
    EXPECT_EQ(usage.status, 1);
    EXPECT_EQ(usage.out, "");
}

}  // namespace
}  // namespace vardo
