#include "curves/set_panel_rules.h"

#include <algorithm>

namespace vardo {

namespace {

Rect Inflate(const Rect& r, int d) {
    return {r.left - d, r.top - d, r.right + d, r.bottom + d};
}

Rect Offset(const Rect& r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool Contains(const Rect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

ColorRowParts ColorRowLayout(const Rect& item) {
    ColorRowParts p;
    p.outline = Inflate(item, -4);
    p.outline.right = p.outline.left + p.outline.Height();
    p.swatch = Inflate(p.outline, -1);
    p.checkBox = Inflate(Offset(p.swatch, 115, 0), -1);
    p.mark = Inflate(p.checkBox, -2);
    return p;
}

std::array<std::array<MarkPoint, 3>, 3> CheckMarkStrokes(const Rect& mark) {
    std::array<std::array<MarkPoint, 3>, 3> strokes{};
    for (int k = 0; k < 3; ++k)
        strokes[static_cast<std::size_t>(k)] = {{{mark.left + 1, mark.top + 3 + k},
                                                 {mark.left + 3, mark.top + 5 + k},
                                                 {mark.left + 8, mark.top + k}}};
    return strokes;
}

ColorListHit HitColorList(int x, int y, int topRow, int rows) {
    ColorListHit hit;
    if (y < 0) return hit;
    const int shown = y / kColorRowHeight;
    const int row = topRow + shown;
    if (row >= rows) return hit;
    const ColorRowParts parts =
        ColorRowLayout({0, shown * kColorRowHeight, 1 << 20, (shown + 1) * kColorRowHeight});
    if (Contains(parts.checkBox, x, y)) {
        hit = {ColorListPart::CheckBox, row, parts.checkBox};
    } else if (Contains(parts.swatch, x, y)) {
        hit = {ColorListPart::Swatch, row, parts.swatch};
    }
    return hit;
}

std::vector<int> ChecksForVisibleRows(int chnls, int topRow) {
    std::vector<int> checks(static_cast<std::size_t>(chnls > 0 ? chnls : 0), 0);
    for (int i = 0; i < chnls; ++i)
        checks[static_cast<std::size_t>(i)] = i >= topRow && i < topRow + kSelectedCurveRows;
    return checks;
}

int ClampGridLines(int v) {
    return std::clamp(v, 0, kMaxGridLines);
}

int ClampScaleEnd(int v) {
    return std::clamp(v, kMinScaleEnd, kMaxScaleEnd);
}

}  // namespace vardo
