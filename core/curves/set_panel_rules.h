#pragma once
// The settings panel's arithmetic: where the parts of a channel colour list row lie, what a
// click in the list hits, which curves "选择曲线 >>" shows, and the bounds of the number
// fields. Rectangles are in list client coordinates; right and bottom are outside.

#include <array>
#include <vector>

#include "settings/display_settings.h"

namespace vardo {

inline constexpr int kColorRowHeight = 25;
// "选择曲线 >>" shows the curves of this many rows from the first visible one.
inline constexpr int kSelectedCurveRows = 10;

struct ColorRowParts {
    Rect outline;   // the swatch's frame
    Rect swatch;    // filled with the channel's colour
    Rect checkBox;  // drawn as a sunken edge
    Rect mark;      // where the check mark goes when the channel is shown
};

ColorRowParts ColorRowLayout(const Rect& item);

struct MarkPoint {
    int x = 0;
    int y = 0;
};
// The check mark, three pixels thick: three strokes of two segments each inside mark.
std::array<std::array<MarkPoint, 3>, 3> CheckMarkStrokes(const Rect& mark);

enum class ColorListPart { None, Swatch, CheckBox };

struct ColorListHit {
    ColorListPart part = ColorListPart::None;
    int row = 0;  // the channel index, meaningful when part is not None
    Rect rect;    // the part hit, to repaint
};

// A left-button release at (x, y) with topRow the first visible row and rows the list's rows;
// a click beyond the last row hits nothing.
ColorListHit HitColorList(int x, int y, int topRow, int rows);

// channelChecks after "选择曲线 >>" with the list scrolled to topRow.
std::vector<int> ChecksForVisibleRows(int chnls, int topRow);

// Grid lines through the panel: 0 .. 49.
int ClampGridLines(int v);
// Value scale ends through the panel: -9999 .. 19999.
int ClampScaleEnd(int v);

}  // namespace vardo
