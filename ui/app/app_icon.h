#pragma once
// The program's icon, drawn rather than shipped: a recorder's screen with its grid and three
// curves. The window uses it, and the build draws the installed icons from it at every size.

#include <QImage>

namespace vardo {

// The icon at size × size pixels; small sizes drop the detail that would only blur.
QImage AppIcon(int size);

// The icon of the program's history files (the file browser's items): a sheet with a folded
// corner carrying the same three curves.
QImage DocumentIcon(int size);

}  // namespace vardo
