#pragma once
// Toolbar button images, 17 x 18 pixels, one per command id, drawn here rather than shipped.

#include <QImage>

namespace vardo {

inline constexpr int kToolImageWidth = 17;
inline constexpr int kToolImageHeight = 18;

// The image of a toolbar command; a plain frame for an id without its own picture.
QImage ToolImage(int id);

}  // namespace vardo
