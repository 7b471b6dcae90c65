#include "curves/scroll_bitmaps.h"

namespace vardo {

namespace {

QImage MakeArrow(bool up, bool lit) {
    const QRgb maroon = qRgb(128, 0, 0);
    const QRgb fill = lit ? qRgb(0, 128, 0) : maroon;
    QImage img(15, 15, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    for (int i = 0; i < 15; ++i) {
        img.setPixel(i, 0, maroon);
        img.setPixel(i, 14, maroon);
        img.setPixel(0, i, maroon);
        img.setPixel(14, i, maroon);
    }
    // Six rows from a one-pixel apex to eleven pixels: rows 4..9 up, 10..5 down.
    for (int k = 0; k < 6; ++k) {
        const int row = up ? 4 + k : 10 - k;
        for (int x = 7 - k; x <= 7 + k; ++x) img.setPixel(x, row, fill);
    }
    return img;
}

}  // namespace

const QImage& ScrollBitmap(int id) {
    static const QImage down = MakeArrow(false, false);
    static const QImage downLit = MakeArrow(false, true);
    static const QImage up = MakeArrow(true, false);
    static const QImage upLit = MakeArrow(true, true);
    switch (id) {
        case kBitmapDownLit:
            return downLit;
        case kBitmapUp:
            return up;
        case kBitmapUpLit:
            return upLit;
        default:
            return down;
    }
}

}  // namespace vardo
