// The settings panel's arithmetic: colour list rows and their hot spots, the curves that
// "选择曲线 >>" shows, and the bounds of the number fields.

#include "curves/set_panel_rules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace vardo {
namespace {

auto Tie(const Rect& r) {
    return std::tuple(r.left, r.top, r.right, r.bottom);
}

TEST(ColorList, RowPartsOfTheFirstAndALaterRow) {
    const struct {
        Rect item;
        Rect outline, swatch, checkBox, mark;
    } cases[] = {
        {{0, 0, 160, 25}, {4, 4, 21, 21}, {5, 5, 20, 20}, {121, 6, 134, 19}, {123, 8, 132, 17}},
        {{0, 50, 160, 75},
         {4, 54, 21, 71},
         {5, 55, 20, 70},
         {121, 56, 134, 69},
         {123, 58, 132, 67}},
    };
    for (const auto& c : cases) {
        const ColorRowParts p = ColorRowLayout(c.item);
        EXPECT_EQ(Tie(p.outline), Tie(c.outline)) << c.item.top;
        EXPECT_EQ(Tie(p.swatch), Tie(c.swatch)) << c.item.top;
        EXPECT_EQ(Tie(p.checkBox), Tie(c.checkBox)) << c.item.top;
        EXPECT_EQ(Tie(p.mark), Tie(c.mark)) << c.item.top;
    }
    const auto strokes = CheckMarkStrokes({123, 8, 132, 17});
    EXPECT_EQ(strokes[0][0].x, 124);
    EXPECT_EQ(strokes[0][0].y, 11);
    EXPECT_EQ(strokes[2][1].x, 126);
    EXPECT_EQ(strokes[2][1].y, 15);
    EXPECT_EQ(strokes[2][2].x, 131);
    EXPECT_EQ(strokes[2][2].y, 10);
}

TEST(ColorList, ClicksHitTheSwatchOrTheCheckBoxOfTheRowUnderThem) {
    const auto None = ColorListPart::None;
    const auto Swatch = ColorListPart::Swatch;
    const auto Box = ColorListPart::CheckBox;
    const struct {
        int x, y, top, rows;
        ColorListPart part;
        int row;
        Rect rect;
    } cases[] = {
        {5, 5, 0, 8, Swatch, 0, {5, 5, 20, 20}},
        {19, 19, 0, 8, Swatch, 0, {5, 5, 20, 20}},
        {20, 10, 0, 8, None, 0, {}},  // right edge is outside
        {4, 10, 0, 8, None, 0, {}},
        {60, 12, 0, 8, None, 0, {}},  // between swatch and box
        {121, 6, 0, 8, Box, 0, {121, 6, 134, 19}},
        {133, 18, 0, 8, Box, 0, {121, 6, 134, 19}},
        {134, 12, 0, 8, None, 0, {}},
        {130, 24, 0, 8, None, 0, {}},  // the gap below the box
        {125, 60, 0, 8, Box, 2, {121, 56, 134, 69}},
        {10, 60, 2, 12, Swatch, 4, {5, 55, 20, 70}},  // scrolled: rows count from the top one
        {10, 205, 0, 8, None, 0, {}},                 // below the last row
        {10, 180, 0, 8, Swatch, 7, {5, 180, 20, 195}},
        {10, 10, 8, 8, None, 0, {}},
    };
    for (const auto& c : cases) {
        const ColorListHit hit = HitColorList(c.x, c.y, c.top, c.rows);
        EXPECT_EQ(hit.part, c.part) << c.x << "," << c.y;
        if (c.part == None) continue;
        EXPECT_EQ(hit.row, c.row) << c.x << "," << c.y;
        EXPECT_EQ(Tie(hit.rect), Tie(c.rect)) << c.x << "," << c.y;
    }
}

TEST(SetPanel, SelectCurvesShowsTenRowsFromTheFirstVisible) {
    EXPECT_EQ(ChecksForVisibleRows(12, 2), (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(ChecksForVisibleRows(12, 0), (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(ChecksForVisibleRows(3, 0), (std::vector<int>{1, 1, 1}));
}

TEST(SetPanel, NumberFieldBounds) {
    const struct {
        int in, grid, scale;
    } cases[] = {
        {75, 49, 75},       {50, 49, 50},        {49, 49, 49},       {0, 0, 0},
        {-3, 0, -3},        {-9999, 0, -9999},   {-10000, 0, -9999}, {19999, 49, 19999},
        {20000, 49, 19999}, {123456, 49, 19999},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClampGridLines(c.in), c.grid) << c.in;
        EXPECT_EQ(ClampScaleEnd(c.in), c.scale) << c.in;
    }
}

}  // namespace
}  // namespace vardo
