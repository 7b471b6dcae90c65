#include "curves/scroll_bitmaps.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

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

QCursor MakePointer(bool older) {
    QPixmap pix(32, 32);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    // Mirrored about x = 15: the left head's tip at 8 is the right head's tip at 22.
    const auto x = [older](int v) { return older ? v : 30 - v; };
    const QPolygon head({QPoint(x(8), 15), QPoint(x(22), 3), QPoint(x(22), 27)});
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    p.drawPolygon(head);
    p.end();
    return QCursor(pix, x(8), 15);
}

}  // namespace

QCursor ScrollPointer(int id) {
    return MakePointer(id == kPointerOlder);
}

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
