#pragma once
// Bitmaps 135 to 138: the arrow buttons that scroll the channel lists of the curve view; and
// pointers 165 and 166, shown while the curves scroll by themselves.

#include <QCursor>
#include <QImage>

namespace vardo {

inline constexpr int kBitmapDown = 135;
inline constexpr int kBitmapDownLit = 136;
inline constexpr int kBitmapUp = 137;
inline constexpr int kBitmapUpLit = 138;

// 15 x 15: black square, maroon border, a triangle maroon (normal) or green (highlighted).
const QImage& ScrollBitmap(int id);

inline constexpr int kPointerOlder = 165;
inline constexpr int kPointerNewer = 166;

// 32 x 32 arrow heads pointing the way the curves move: left (hot spot 8, 15) for older records,
// right (22, 15) for newer ones.
QCursor ScrollPointer(int id);

}  // namespace vardo
