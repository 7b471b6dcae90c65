#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace vardo {

namespace {

struct Curve {
    QColor color;
    double points[6];
};

// Three channels in the program's first colours.
const Curve kIconCurves[] = {
    {QColor(80, 140, 255), {40, 24, 30, 20, 34, 16}},
    {QColor(64, 192, 191), {30, 36, 26, 32, 22, 26}},
    {QColor(230, 90, 80), {46, 44, 42, 46, 38, 40}},
};

// The curves across area, whose top and height in icon units are those of the recorder's
// screen (9 and 42) that the points were drawn for.
void DrawCurves(QPainter& p, const QRectF& area, double width) {
    p.setBrush(Qt::NoBrush);
    for (const Curve& c : kIconCurves) {
        QPainterPath path;
        for (int i = 0; i < 6; ++i) {
            const QPointF pt(area.left() + 2 + i * (area.width() - 4) / 5,
                             area.top() + (c.points[i] - 9) * area.height() / 42);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(c.color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
}

}  // namespace

QImage AppIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const bool small = size < 32;

    // The recorder's case and its screen.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(62, 74, 88));
    p.drawRoundedRect(QRectF(2, 4, 60, 56), 8, 8);
    const QRectF screen(7, 9, 50, 42);
    p.setBrush(Qt::black);
    p.drawRect(screen);

    if (!small) {
        p.setPen(QPen(QColor(0, 96, 0), 1.0));
        for (int i = 1; i < 4; ++i) {
            const double x = screen.left() + screen.width() * i / 4;
            const double y = screen.top() + screen.height() * i / 4;
            p.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
            p.drawLine(QPointF(screen.left(), y), QPointF(screen.right(), y));
        }
    }

    DrawCurves(p, screen, small ? 4.0 : 2.6);

    // The status lamp of a running recorder.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 220, 90));
    p.drawEllipse(QPointF(54, 55.5), 2.2, 2.2);
    return img;
}

QImage DocumentIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The sheet, its top right corner folded down.
    QPainterPath sheet;
    sheet.moveTo(10, 2);
    sheet.lineTo(42, 2);
    sheet.lineTo(54, 14);
    sheet.lineTo(54, 62);
    sheet.lineTo(10, 62);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(62, 74, 88), 2.0));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(200, 206, 214));
    p.drawPolygon(QPolygonF({QPointF(42, 2), QPointF(42, 14), QPointF(54, 14)}));
    DrawCurves(p, QRectF(14, 20, 36, 36), size < 32 ? 4.0 : 3.0);
    return img;
}

}  // namespace vardo
