#pragma once
// Bitmaps 135 to 138: the arrow buttons that scroll the channel lists of the curve view.

#include <QImage>

namespace vardo {

inline constexpr int kBitmapDown = 135;
inline constexpr int kBitmapDownLit = 136;
inline constexpr int kBitmapUp = 137;
inline constexpr int kBitmapUpLit = 138;

// 15 x 15: black square, maroon border, a triangle maroon (normal) or green (highlighted).
const QImage& ScrollBitmap(int id);

}  // namespace vardo
