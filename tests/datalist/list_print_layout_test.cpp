#include "datalist/list_print_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vardo {
namespace {

TEST(ListPrint, RowsPerPageAndPagesByBands) {
    const struct {
        int channels, rows;
        int bands, rowsPerPage, pages;
    } cases[] = {
        {1, 0, 1, 51, 1},  {8, 50, 1, 51, 1},   {8, 51, 1, 51, 2}, {3, 102, 1, 51, 3},
        {9, 25, 2, 25, 2}, {12, 200, 2, 25, 9}, {0, 10, 1, 51, 1},  // no channel: one band
    };
    for (const auto& c : cases) {
        const ListPrintPlan plan = PlanListPrint(c.channels, c.rows);
        EXPECT_EQ(plan.bands, c.bands) << c.channels;
        EXPECT_EQ(plan.rowsPerPage, c.rowsPerPage) << c.channels;
        EXPECT_EQ(plan.pages, c.pages) << c.channels << " channels, " << c.rows << " rows";
    }
}

// "x:row.column" for list cells, "x:text" for fixed ones, in drawing order, of one band row.
std::string Row(const ListPage& page, int top) {
    std::string out;
    for (const PrintText& t : page.texts) {
        if (!t.centred || t.top != top) continue;
        out += (out.empty() ? "" : " ") + std::to_string(t.left) + ":" +
               (t.row >= 0 ? std::to_string(t.row) + "." + std::to_string(t.column) : t.text);
    }
    return out;
}

TEST(ListPrint, SlotsKeepChannelNumbersAndBandsRepeatTheGrid) {
    HistoryData h;
    h.channelCount = 3;
    h.channelEnabled = {1, 0, 1};
    ListPrintPlan plan = PlanListPrint(3, 53);
    const ListPage second = LayoutListPage(h, plan, 53, 2, "/d/a.vd", "2026-12-07 01:02");
    EXPECT_EQ(Row(second, 150),
              "250:编号 450:时间 1250:通道1 1562:通道2 1874:通道3 2186:通道4 2498:通道5 "
              "2810:通道6 3122:通道7 3434:通道8");
    // Row 52 of the list is the first of page 2; channel 3 is its list column 3, in slot 3.
    EXPECT_EQ(Row(second, 220), "250:52 450:51.1 1250:51.2 1874:51.3");
    EXPECT_EQ(Row(second, 290), "250:53 450:52.1 1250:52.2 1874:52.3");
    EXPECT_EQ(Row(second, 360), "");
    EXPECT_EQ(second.lines.size(), 53u + 11u);  // 52 rows and the header framed, 11 columns
    const PrintText& last = second.texts.back();
    EXPECT_EQ(last.text, "2 - 2");
    EXPECT_EQ(second.texts[second.texts.size() - 3].text, "打印文件:/d/a.vd");
    EXPECT_EQ(second.texts[second.texts.size() - 2].text, "打印时间：2026-12-07 01:02");

    h.channelCount = 12;
    h.channelEnabled.fill(1);
    plan = PlanListPrint(12, 30);
    const ListPage twelve = LayoutListPage(h, plan, 30, 1, "", "");
    const int secondBand = 1 * (70 * 26 + 50) + 150;
    EXPECT_EQ(Row(twelve, secondBand),
              "250:编号 450:时间 1250:通道9 1562:通道10 1874:通道11 2186:通道12 2498:通道13 "
              "2810:通道14 3122:通道15 3434:通道16");
    EXPECT_EQ(Row(twelve, secondBand + 70),
              "250:1 450:0.1 1250:0.10 1562:0.11 1874:0.12 2186:0.13");
}

}  // namespace
}  // namespace vardo
