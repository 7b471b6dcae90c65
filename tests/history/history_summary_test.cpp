#include "history/history_summary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

using testing::BuildHeader;
using testing::FileLayout;

// Ten seconds a record from 07:00:00 to 07:08:09 on 2024-05-06.
FileLayout SummarySpec() {
    FileLayout s;
    s.newest = {24, 5, 6, 7, 8, 9};
    s.oldest = {24, 5, 6, 7, 0, 0};
    return s;
}

std::string Summary(const FileLayout& layout, std::size_t size = kHeaderSize) {
    std::vector<std::uint8_t> bytes = BuildHeader(layout);
    bytes.resize(size);
    std::string text = "stale";
    const int ok =
        BuildHistorySummary(bytes, "08@2024-05-06_07-08-09.vd", DefaultModelList(), &text);
    EXPECT_EQ(ok, text.empty() ? 0 : 1);
    return text;
}

TEST(HistorySummary, FieldsOfTheHeaderShowAsTheBrowserShowsThem) {
    const struct {
        const char* name;
        void (*change)(FileLayout&);
        const char* fragment;
    } cases[] = {
        {"wrapped: the start 131071 intervals back", [](FileLayout& s) { s.hasOldestByte = 0; },
         "开始时间：2024年04月21日 03时02分59秒\r\n结束时间：2024年05月06日 07时08分09秒"},
        {"any flag but 1 means wrapped, whatever the oldest bytes say",
         [](FileLayout& s) { s.hasOldestByte = 2, s.oldest = {200, 0, 0, 99, 99, 99}; },
         "开始时间：2024年04月21日 03时02分59秒"},
        {"wrapped ZT552 at 1 s: its own name and smaller ring",
         [](FileLayout& s) { s.model = "ZT552", s.hasOldestByte = 0, s.intervalCode = 0; },
         "ZT550_12通道\r\n\r\n通道数：3\r\n\r\n记录间隔：1秒\r\n\r\n"
         "开始时间：2024年05月05日 12时55分54秒"},
        {"years past 2038", [](FileLayout& s) { s.newest = {99, 12, 31, 23, 59, 59}; },
         "结束时间：2099年12月31日 23时59分59秒"},
        {"unknown code (compared exactly) shows the first name",
         [](FileLayout& s) { s.model = "zt330"; }, "仪表类型：ZT220\r\n"},
        {"shared code shows the first of its rows", [](FileLayout& s) { s.model = "ZT772"; },
         "仪表类型：ZT770_12通道伪彩\r\n"},
        {"decimals of the high value apply to both",
         [](FileLayout& s) {
             s.ranges = {{-32768, 1, 32767, 1}, {12345, 3, 2, 0}};
         },
         "通道 01：-3276.8 ~ 3276.7\r\n\t通道 02：12 ~ 2\r\n"},
        {"ranges of channels 9 to 12 from the second table",
         [](FileLayout& s) {
             s.channelCount = 12, s.ranges.assign(12, {1, 0, 9, 0});
         },
         "\t通道 09：1 ~ 9\r\n\t通道 10：1 ~ 9\r\n\t通道 11：1 ~ 9\r\n\t通道 12：1 ~ 9\r\n"},
    };
    for (const auto& c : cases) {
        FileLayout layout = SummarySpec();
        c.change(layout);
        const std::string text = Summary(layout);
        EXPECT_NE(text.find(c.fragment), std::string::npos) << c.name << ", in\n" << text;
    }
}

TEST(HistorySummary, ChannelCountBeyondTheHeaderShowsTwelveRanges) {
    const std::pair<int, const char*> cases[] = {
        {0, "量程：\r\n"}, {13, "\t通道 12：0.0 ~ 100.0\r\n"}, {255, "\t通道 12：0.0 ~ 100.0\r\n"}};
    for (auto [channels, end] : cases) {
        FileLayout layout = SummarySpec();
        layout.channelCount = channels;
        const std::string text = Summary(layout);
        EXPECT_TRUE(text.ends_with(end)) << channels << ":\n" << text;
    }
}

TEST(HistorySummary, DamagedOrShortHeadersGiveNoSummary) {
    const struct {
        const char* name;
        void (*change)(FileLayout&);
        std::size_t size;
    } cases[] = {
        {"newest time invalid", [](FileLayout& s) { s.newest[2] = 32; }, 256},
        {"oldest time invalid with flag 1", [](FileLayout& s) { s.oldest[4] = 60; }, 256},
        {"interval code past the table", [](FileLayout& s) { s.intervalCode = 9; }, 256},
        {"no bytes", [](FileLayout&) {}, 0},
        {"header one byte short", [](FileLayout&) {}, 255},
    };
    for (const auto& c : cases) {
        FileLayout layout = SummarySpec();
        c.change(layout);
        EXPECT_EQ(Summary(layout, c.size), "") << c.name;
    }
}

TEST(ReadHistorySummary, RefusesWhatIsNoRegularFileOrTooShort) {
    testing::TempDir dir;
    std::vector<std::uint8_t> file = BuildHeader(SummarySpec());
    file.resize(200);
    ASSERT_TRUE(testing::WriteBytes(dir / "short.vd", file));
    ASSERT_EQ(mkfifo((dir / "fifo.vd").c_str(), 0600), 0);
    const struct {
        const char* name;
        SummaryResult result;
        const char* text;
    } cases[] = {
        {"missing.vd", SummaryResult::OpenFailed, "打开文件失败！"},
        {"fifo.vd", SummaryResult::OpenFailed, "打开文件失败！"},
        {"short.vd", SummaryResult::Damaged, ""},
    };
    for (const auto& c : cases) {
        std::string text = "stale";
        EXPECT_EQ(ReadHistorySummary(dir / c.name, c.name, DefaultModelList(), &text), c.result)
            << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

}  // namespace
}  // namespace vardo
