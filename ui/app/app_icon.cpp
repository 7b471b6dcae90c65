#include "app/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace vardo {

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

    // Three channels in the program's first colours.
    const struct {
        QColor color;
        double points[6];
    } curves[] = {
        {QColor(80, 140, 255), {40, 24, 30, 20, 34, 16}},
        {QColor(64, 192, 191), {30, 36, 26, 32, 22, 26}},
        {QColor(230, 90, 80), {46, 44, 42, 46, 38, 40}},
    };
    p.setBrush(Qt::NoBrush);
    for (const auto& c : curves) {
        QPainterPath path;
        for (int i = 0; i < 6; ++i) {
            const QPointF pt(screen.left() + 2 + i * (screen.width() - 4) / 5, c.points[i]);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(c.color, small ? 4.0 : 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }

    // The status lamp of a running recorder.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 220, 90));
    p.drawEllipse(QPointF(54, 55.5), 2.2, 2.2);
    return img;
}

}  // namespace vardo
