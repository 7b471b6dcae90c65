#include "app/dialog_units.h"

#include <QWidget>

#include "curves/curve_fonts.h"

namespace vardo {

namespace {
// 9 points on a 96 dpi screen. The units are those of "宋体" at that size, 6 pixels across and
// 12 down, whatever face stands in for it: the layouts were made for them (the colour list holds
// exactly ten rows, "选择曲线 >>" shows ten curves).
constexpr int kDialogFontPixels = 12;
constexpr int kBaseX = 6;
constexpr int kBaseY = 12;
}  // namespace

QFont DialogFont() {
    return SongFont(kDialogFontPixels, QFont::Normal);
}

DialogUnits::DialogUnits(QWidget* w) : baseX_(kBaseX), baseY_(kBaseY) {
    w->setFont(DialogFont());
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = x * baseX_ / 4;
    const int top = y * baseY_ / 8;
    return QRect(left, top, (x + width) * baseX_ / 4 - left, (y + height) * baseY_ / 8 - top);
}

QSize DialogUnits::Size(int width, int height) const {
    return Rect(0, 0, width, height).size();
}

void DialogUnits::Place(QWidget* control, int x, int y, int width, int height) const {
    QRect r = Rect(x, y, width, height);
    const QSize hint = control->sizeHint();
    if (width == 0) r.setWidth(hint.width());
    // A face taller than "宋体" still shows its whole line.
    if (height == 0 || r.height() < control->minimumSizeHint().height())
        r.setHeight(height == 0 ? hint.height() : control->minimumSizeHint().height());
    control->setGeometry(r);
}

void DialogUnits::PlaceFrame(QWidget* frame, int x, int y, int width, int height) const {
    frame->setGeometry(Rect(x, y, width, height));
    frame->lower();
}

}  // namespace vardo
