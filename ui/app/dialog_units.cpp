#include "app/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

#include "curves/curve_fonts.h"

namespace vardo {

namespace {
// 9 points on a 96 dpi screen.
constexpr int kDialogFontPixels = 12;
}  // namespace

QFont DialogFont() {
    return SongFont(kDialogFontPixels, QFont::Normal);
}

DialogUnits::DialogUnits(QWidget* w) {
    const QFont f = DialogFont();
    w->setFont(f);
    const QFontMetrics m(f);
    baseX_ = m.averageCharWidth() > 0 ? m.averageCharWidth() : 6;
    baseY_ = m.height() > 0 ? m.height() : kDialogFontPixels;
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
    if (height == 0) r.setHeight(hint.height());
    control->setGeometry(r);
}

}  // namespace vardo
