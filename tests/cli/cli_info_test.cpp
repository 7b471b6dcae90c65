// vardo-cli info, run as the user runs it: a separate process with its home in VARDO_HOME.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliInfoTest : public ::testing::Test {
  protected:
    CliInfoTest() {
        std::string t = (fs::temp_directory_path() / "vardo-cli-XXXXXX").string();
        home = mkdtemp(t.data());
    }
    ~CliInfoTest() override { fs::remove_all(home); }

    RunResult Run(const std::vector<std::string>& args) {
        std::string command = "VARDO_HOME=" + Quote(home) + " TZ=Asia/Shanghai " +
                              Quote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
        for (const auto& a : args) command += " " + Quote(a);
        command += " >" + Quote(home + "/out.txt") + " 2>" + Quote(home + "/err.txt");
        RunResult r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(home + "/out.txt");
        r.err = Slurp(home + "/err.txt");
        return r;
    }

    // A header laid out byte by byte: model, channel count, times, interval, ranges.
    std::string WriteHistory(const std::string& name, const std::string& model, int channels,
                             std::array<int, 6> newest, int interval, int hasOldest,
                             std::array<int, 6> oldest, std::size_t size = 256) {
        std::vector<std::uint8_t> h(256, 0);
        for (std::size_t i = 0; i < 5; ++i) h[i] = static_cast<std::uint8_t>(model[i]);
        h[5] = static_cast<std::uint8_t>(channels);
        for (int i = 0; i < 6; ++i) h[6 + i] = static_cast<std::uint8_t>(newest[i]);
        h[15] = static_cast<std::uint8_t>(interval);
        h[144] = static_cast<std::uint8_t>(hasOldest);
        for (int i = 0; i < 6; ++i) h[145 + i] = static_cast<std::uint8_t>(oldest[i]);
        for (int k = 0; k < 12; ++k) {
            const std::size_t at = k < 8 ? 16 + 16 * k : 160 + 16 * (k - 8);
            // low -k.k with one decimal, high 100.0 + k (stored 1000 + 10k, one decimal)
            const int low = -11 * k;
            const int high = 1000 + 10 * k;
            h[at] = static_cast<std::uint8_t>(low & 0xFF);
            h[at + 1] = static_cast<std::uint8_t>((low >> 8) & 0xFF);
            h[at + 2] = 1;
            h[at + 3] = static_cast<std::uint8_t>(high & 0xFF);
            h[at + 4] = static_cast<std::uint8_t>(high >> 8);
            h[at + 5] = 1;
            h[240 + k] = 1;
        }
        h.resize(size, 0);
        const std::string path = home + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(h.data()), static_cast<std::streamsize>(h.size()));
        return path;
    }

    std::string home;
};

TEST_F(CliInfoTest, PrintsTheSummaryWithUnixLineEnds) {
    const std::string path =
        WriteHistory("08@2024-05-06_07-08-09.vd", "ZT330", 2, {24, 5, 6, 7, 8, 9}, 3, 1,
                     {24, 5, 6, 7, 0, 0}, 256 + 2 * 131072);
    const RunResult r = Run({"info", path});
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

TEST_F(CliInfoTest, WrappedFileOfTwelveChannelsWithNamesFromAGbkSetUpIni) {
    // An old settings file in GBK that renamed the 12-channel pseudo-colour model.
    std::ofstream(home + "/SetUp.ini", std::ios::binary)
        << "[VarParams]\r\nType7=\xD0\xC2\xC3\xFB\xB3\xC6\r\n";  // 新名称
    const std::string path =
        WriteHistory("x.vd", "ZT772", 14, {30, 1, 1, 0, 0, 0}, 0, 0, {0, 0, 0, 0, 0, 0});
    const RunResult r = Run({"info", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("仪表类型：新名称\n\n通道数：14\n\n记录间隔：1秒\n\n"
                         "开始时间：2029年12月31日 05时47分45秒\n"
                         "结束时间：2030年01月01日 00时00分00秒\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\t通道 12：-12.1 ~ 111.0\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("通道 13"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST_F(CliInfoTest, RefusalsGoToStderrWithStatusOne) {
    WriteHistory("short.vd", "ZT330", 3, {24, 5, 6, 7, 8, 9}, 3, 1, {24, 5, 6, 7, 0, 0}, 100);
    WriteHistory("badtime.vd", "ZT330", 3, {24, 13, 6, 7, 8, 9}, 3, 1, {24, 5, 6, 7, 0, 0});
    WriteHistory("badoldest.vd", "ZT330", 3, {24, 5, 6, 7, 8, 9}, 3, 1, {24, 5, 6, 7, 0, 60});
    WriteHistory("badinterval.vd", "ZT330", 3, {24, 5, 6, 7, 8, 9}, 9, 1, {24, 5, 6, 7, 0, 0});
    fs::create_directory(home + "/dir.vd");
    const struct {
        std::vector<std::string> args;
        const char* err;
    } cases[] = {
        {{"info", home + "/missing.vd"}, "打开文件失败！\n"},
        {{"info", home + "/dir.vd"}, "打开文件失败！\n"},
        {{"info", home + "/short.vd"}, "该文件已经损坏！\n"},
        {{"info", home + "/badtime.vd"}, "该文件已经损坏！\n"},
        {{"info", home + "/badoldest.vd"}, "该文件已经损坏！\n"},
        {{"info", home + "/badinterval.vd"}, "该文件已经损坏！\n"},
    };
    for (const auto& c : cases) {
        const RunResult r = Run(c.args);
        EXPECT_EQ(r.status, 1) << c.args[1];
        EXPECT_EQ(r.out, "") << c.args[1];
        EXPECT_EQ(r.err, c.err) << c.args[1];
    }
    const RunResult noFile = Run({"info"});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_EQ(noFile.out, "");
}

}  // namespace
