#include "history/history_summary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/le_bytes.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;

// A header written field by field at the layout's fixed offsets.
struct SummaryHeader {
    std::string model = "ZT330";
    int channels = 3;
    std::array<int, 6> newest = {24, 5, 6, 7, 8, 9};
    int interval = 3;
    int hasOldest = 1;
    std::array<int, 6> oldest = {24, 5, 6, 7, 0, 0};
    // low integer, low decimals, high integer, high decimals; channels not listed: 0 .. 100.0
    std::vector<std::array<int, 4>> ranges;

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> h(256, 0);
        for (std::size_t i = 0; i < 5 && i < model.size(); ++i)
            h[i] = static_cast<std::uint8_t>(model[i]);
        h[5] = static_cast<std::uint8_t>(channels);
        for (int i = 0; i < 6; ++i) h[6 + i] = static_cast<std::uint8_t>(newest[i]);
        h[15] = static_cast<std::uint8_t>(interval);
        h[144] = static_cast<std::uint8_t>(hasOldest);
        for (int i = 0; i < 6; ++i) h[145 + i] = static_cast<std::uint8_t>(oldest[i]);
        for (int k = 0; k < 12; ++k) {
            std::array<int, 4> r = {0, 0, 1000, 1};
            if (static_cast<std::size_t>(k) < ranges.size()) r = ranges[k];
            const std::size_t at = k < 8 ? 16 + 16 * k : 160 + 16 * (k - 8);
            PutU16LE(&h[at], static_cast<std::uint16_t>(r[0]));
            h[at + 2] = static_cast<std::uint8_t>(r[1]);
            PutU16LE(&h[at + 3], static_cast<std::uint16_t>(r[2]));
            h[at + 5] = static_cast<std::uint8_t>(r[3]);
            h[240 + k] = 1;
        }
        return h;
    }
};

class HistorySummaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }
    std::string Summary(const SummaryHeader& h, int* ok = nullptr) {
        const std::vector<std::uint8_t> bytes = h.Bytes();
        std::string text = "stale";
        const int r = BuildHistorySummary(bytes, "08@2024-05-06_07-08-09.vd", models, &text);
        if (ok != nullptr) *ok = r;
        return text;
    }
    ModelList models = DefaultModelList();
};

TEST_F(HistorySummaryTest, WholeTextOfAThreeChannelFile) {
    SummaryHeader h;
    h.ranges = {{0, 0, 1000, 1}, {-1000, 2, 5000, 2}, {5, 0, 7, 3}};
    int ok = 0;
    EXPECT_EQ(Summary(h, &ok),
              "文件名：08@2024-05-06_07-08-09.vd\r\n\r\n"
              "仪表类型：ZT330\r\n\r\n"
              "通道数：3\r\n\r\n"
              "记录间隔：10秒\r\n\r\n"
              "开始时间：2024年05月06日 07时00分00秒\r\n"
              "结束时间：2024年05月06日 07时08分09秒\r\n\r\n"
              "量程：\r\n"
              "\t通道 01：0.0 ~ 100.0\r\n"
              "\t通道 02：-10.00 ~ 50.00\r\n"
              "\t通道 03：5.000 ~ 0.007\r\n");
    EXPECT_EQ(ok, 1);
}

TEST_F(HistorySummaryTest, FieldsOfTheHeaderShowAsTheBrowserShowsThem) {
    const struct {
        const char* name;
        std::function<void(SummaryHeader&)> change;
        std::vector<std::string> fragments;
    } cases[] = {
        {"wrapped ZT330 at 10 s starts 131071 intervals before its end",
         [](SummaryHeader& h) { h.hasOldest = 0; },
         {"开始时间：2024年04月21日 03时02分59秒\r\n结束时间：2024年05月06日 07时08分09秒"}},
        {"any flag but 1 means wrapped, whatever the oldest bytes say",
         [](SummaryHeader& h) {
             h.hasOldest = 2;
             h.oldest = {200, 0, 0, 99, 99, 99};
         },
         {"开始时间：2024年04月21日 03时02分59秒"}},
        {"wrapped 12-channel model uses its smaller ring",
         [](SummaryHeader& h) {
             h.model = "ZT552";
             h.hasOldest = 0;
             h.interval = 0;
         },
         {"仪表类型：ZT550_12通道", "记录间隔：1秒", "开始时间：2024年05月05日 12时55分54秒"}},
        {"wrapped at 240 s reaches back almost a year",
         [](SummaryHeader& h) {
             h.newest = {25, 1, 1, 0, 0, 0};
             h.hasOldest = 0;
             h.interval = 8;
         },
         {"记录间隔：240秒", "开始时间：2024年01月02日 21时56分00秒"}},
        {"years past 2038",
         [](SummaryHeader& h) { h.newest = {99, 12, 31, 23, 59, 59}; },
         {"结束时间：2099年12月31日 23时59分59秒"}},
        {"day beyond the month carries",
         [](SummaryHeader& h) { h.newest = {24, 2, 31, 0, 0, 0}; },
         {"结束时间：2024年03月02日 00时00分00秒"}},
        {"unknown code shows the first name",
         [](SummaryHeader& h) { h.model = "ZT880"; },
         {"仪表类型：ZT220\r\n"}},
        {"code compared case-sensitively",
         [](SummaryHeader& h) { h.model = "zt330"; },
         {"仪表类型：ZT220\r\n"}},
        {"shared code shows the first of its rows",
         [](SummaryHeader& h) { h.model = "ZT772"; },
         {"仪表类型：ZT770_12通道伪彩\r\n"}},
        {"decimals of the high value apply to both",
         [](SummaryHeader& h) {
             h.ranges = {{0, 0, 1000, 1}, {12345, 3, 2, 0}};
         },
         {"通道 01：0.0 ~ 100.0\r\n", "通道 02：12 ~ 2\r\n"}},
        {"negative range",
         [](SummaryHeader& h) {
             h.ranges = {{-32768, 1, 32767, 1}};
         },
         {"通道 01：-3276.8 ~ 3276.7\r\n"}},
        {"twelve channels, the last four from the second table",
         [](SummaryHeader& h) {
             h.channels = 12;
             h.ranges.assign(12, {0, 0, 1000, 1});
             h.ranges[8] = {1, 0, 9, 0};
             h.ranges[11] = {-5, 0, 5, 0};
         },
         {"通道数：12", "\t通道 09：1 ~ 9\r\n", "\t通道 12：-5 ~ 5\r\n"}},
    };
    for (const auto& c : cases) {
        SummaryHeader h;
        c.change(h);
        int ok = 0;
        const std::string text = Summary(h, &ok);
        EXPECT_EQ(ok, 1) << c.name;
        for (const auto& f : c.fragments)
            EXPECT_NE(text.find(f), std::string::npos) << c.name << ": no \"" << f << "\" in\n"
                                                       << text;
    }
}

TEST_F(HistorySummaryTest, ChannelCountBeyondTheHeaderShowsTwelveRanges) {
    const struct {
        int channels;
        int lines;
    } cases[] = {{0, 0}, {1, 1}, {12, 12}, {13, 12}, {255, 12}};
    for (const auto& c : cases) {
        SummaryHeader h;
        h.channels = c.channels;
        const std::string text = Summary(h);
        EXPECT_NE(text.find("通道数：" + std::to_string(c.channels) + "\r\n"), std::string::npos);
        int lines = 0;
        for (std::size_t p = 0; (p = text.find("\t通道 ", p)) != std::string::npos; ++p) ++lines;
        EXPECT_EQ(lines, c.lines) << c.channels;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    }
}

TEST_F(HistorySummaryTest, UsesTheNamesOfTheSettings) {
    models.names[1] = "我的记录仪";
    models.names[0] = "";
    SummaryHeader h;
    EXPECT_NE(Summary(h).find("仪表类型：我的记录仪\r\n"), std::string::npos);
    h.model = "AB123";
    EXPECT_NE(Summary(h).find("仪表类型：\r\n"), std::string::npos);
}

TEST_F(HistorySummaryTest, DamagedHeadersGiveNoSummary) {
    const struct {
        const char* name;
        std::function<void(SummaryHeader&)> change;
    } cases[] = {
        {"newest year 100", [](SummaryHeader& h) { h.newest[0] = 100; }},
        {"newest month 0", [](SummaryHeader& h) { h.newest[1] = 0; }},
        {"newest day 32", [](SummaryHeader& h) { h.newest[2] = 32; }},
        {"newest second 60", [](SummaryHeader& h) { h.newest[5] = 60; }},
        {"oldest hour 24 with flag 1", [](SummaryHeader& h) { h.oldest[3] = 24; }},
        {"oldest minute 60 with flag 1", [](SummaryHeader& h) { h.oldest[4] = 60; }},
        {"interval code 9 is past the table", [](SummaryHeader& h) { h.interval = 9; }},
        {"interval code 255", [](SummaryHeader& h) { h.interval = 255; }},
    };
    for (const auto& c : cases) {
        SummaryHeader h;
        c.change(h);
        int ok = 1;
        EXPECT_EQ(Summary(h, &ok), "") << c.name;
        EXPECT_EQ(ok, 0) << c.name;
    }
}

TEST_F(HistorySummaryTest, ShortHeadersAreDamaged) {
    const std::vector<std::uint8_t> whole = SummaryHeader().Bytes();
    for (std::size_t size : {0u, 5u, 151u, 224u, 255u}) {
        std::vector<std::uint8_t> part(whole.begin(), whole.begin() + size);
        std::string text = "stale";
        EXPECT_EQ(BuildHistorySummary(part, "f.vd", models, &text), 0) << size;
        EXPECT_EQ(text, "") << size;
    }
}

class HistorySummaryFileTest : public HistorySummaryTest {
  protected:
    HistorySummaryFileTest() {
        std::string t = (fs::temp_directory_path() / "vardo-summary-XXXXXX").string();
        dir = mkdtemp(t.data());
    }
    ~HistorySummaryFileTest() override { fs::remove_all(dir); }
    void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::string dir;
};

TEST_F(HistorySummaryFileTest, ReadsOnlyTheHeader) {
    std::vector<std::uint8_t> file = SummaryHeader().Bytes();
    file.resize(256 + 3 * 131072, 0x5A);
    Write(dir + "/a.vd", file);
    std::string text;
    EXPECT_EQ(ReadHistorySummary(dir + "/a.vd", "a.vd", models, &text), SummaryResult::Ok);
    EXPECT_EQ(text.rfind("文件名：a.vd\r\n", 0), 0u);
}

TEST_F(HistorySummaryFileTest, RefusesWhatItCannotOpenOrWhatIsTooShort) {
    std::vector<std::uint8_t> shortFile = SummaryHeader().Bytes();
    shortFile.resize(200);
    Write(dir + "/short.vd", shortFile);
    Write(dir + "/empty.vd", {});
    fs::create_directory(dir + "/folder.vd");
    ASSERT_EQ(mkfifo((dir + "/fifo.vd").c_str(), 0600), 0);
    const struct {
        const char* name;
        SummaryResult result;
        const char* text;
    } cases[] = {
        {"missing.vd", SummaryResult::OpenFailed, "打开文件失败！"},
        {"folder.vd", SummaryResult::OpenFailed, "打开文件失败！"},
        {"fifo.vd", SummaryResult::OpenFailed, "打开文件失败！"},
        {"short.vd", SummaryResult::Damaged, ""},
        {"empty.vd", SummaryResult::Damaged, ""},
    };
    for (const auto& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(ReadHistorySummary(dir + "/" + c.name, c.name, models, &text), c.result)
            << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

}  // namespace
}  // namespace vardo
