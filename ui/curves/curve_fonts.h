#pragma once
// The two faces of the curve picture: "System" (a fixed system font) for numbers and times and
// "宋体" (a CJK face) for the Chinese labels, at the pixel heights the picture is laid out for.

#include <QFont>
#include <QPainter>

#include "curves/curve_geometry.h"

namespace vardo {

// height 0 stands for the face's usual size.
QFont SystemFont(int pixelHeight, int weight);
QFont SongFont(int pixelHeight, int weight);

// Writes item with its top-left corner at (x, y), as the layout functions place texts.
void DrawTextAt(QPainter& p, const TextItem& item);

inline QColor ToQColor(Colorref c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

}  // namespace vardo
