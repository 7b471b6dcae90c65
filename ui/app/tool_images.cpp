#include "app/tool_images.h"

#include <QPainter>
#include <QPolygon>

#include "app/command_ids.h"

namespace vardo {

namespace {

const QColor kInk(0, 0, 0);
const QColor kBlue(0, 0, 160);
const QColor kRed(192, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kPaper(255, 255, 255);
const QColor kFolder(224, 192, 64);

void Page(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(2, 1, 12, 15);
}

void Curve(QPainter& p, const QColor& c) {
    p.setPen(QPen(c, 1));
    const QPoint pts[] = {{3, 12}, {6, 7}, {9, 10}, {12, 4}, {14, 6}};
    p.drawPolyline(pts, 5);
}

void Arrow(QPainter& p, bool right) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    QPolygon tri;
    if (right)
        tri << QPoint(5, 3) << QPoint(13, 9) << QPoint(5, 15);
    else
        tri << QPoint(12, 3) << QPoint(4, 9) << QPoint(12, 15);
    p.drawPolygon(tri);
}

void Magnifier(QPainter& p, int sign) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawEllipse(2, 2, 9, 9);
    p.setPen(QPen(kInk, 2));
    p.drawLine(10, 11, 14, 15);
    p.setPen(QPen(kBlue, 1));
    p.drawLine(4, 6, 9, 6);
    if (sign > 0) p.drawLine(6, 4, 6, 9);
}

void Letter(QPainter& p, const QString& s, const QColor& c) {
    QFont f = p.font();
    f.setPixelSize(s.size() > 1 ? 8 : 12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(c);
    p.drawText(QRect(0, 0, kToolImageWidth, kToolImageHeight), Qt::AlignCenter, s);
}

void Draw(QPainter& p, int id) {
    switch (id) {
        case cmd::kViewCurves:
            p.setPen(kInk);
            p.setBrush(QColor(0, 0, 0));
            p.drawRect(1, 2, 14, 13);
            Curve(p, QColor(0, 255, 0));
            break;
        case cmd::kViewList:
            Page(p);
            p.setPen(kBlue);
            for (int y = 4; y <= 13; y += 3) p.drawLine(4, y, 12, y);
            break;
        case cmd::kViewRealtime:
            p.setPen(kInk);
            p.setBrush(QColor(0, 0, 0));
            p.drawRect(1, 2, 14, 13);
            p.setPen(QColor(255, 255, 0));
            p.drawLine(3, 9, 6, 9);
            p.drawLine(6, 9, 8, 4);
            p.drawLine(8, 4, 10, 13);
            p.drawLine(10, 13, 12, 9);
            p.drawLine(12, 9, 14, 9);
            break;
        case cmd::kFileOpen:
            p.setPen(kInk);
            p.setBrush(kFolder);
            p.drawRect(1, 5, 13, 10);
            p.drawRect(1, 3, 5, 2);
            break;
        case cmd::kArchiveOpen:
            // Stacked drums of a database over the folder's colour.
            p.setPen(kInk);
            p.setBrush(kFolder);
            p.drawRect(2, 9, 12, 5);
            p.drawRect(2, 4, 12, 5);
            p.drawEllipse(2, 1, 12, 5);
            break;
        case cmd::kExport:
            p.setPen(kInk);
            p.setBrush(QColor(32, 128, 64));
            p.drawRect(1, 2, 14, 14);
            Letter(p, QStringLiteral("X"), kPaper);
            break;
        case cmd::kCfUpload:
            p.setPen(kInk);
            p.setBrush(QColor(96, 96, 96));
            p.drawRect(2, 2, 12, 14);
            Letter(p, QStringLiteral("CF"), kPaper);
            break;
        case cmd::kSerialUpload:
            p.setPen(kInk);
            p.setBrush(QColor(160, 160, 160));
            p.drawRect(1, 5, 14, 8);
            p.setPen(kInk);
            for (int x = 4; x <= 12; x += 2) p.drawPoint(x, 8);
            for (int x = 5; x <= 11; x += 2) p.drawPoint(x, 10);
            break;
        case cmd::kCommSettings:
            p.setPen(QPen(kInk, 2));
            p.drawLine(3, 14, 8, 9);
            p.setPen(kInk);
            p.setBrush(QColor(160, 160, 160));
            p.drawEllipse(8, 2, 7, 7);
            break;
        case cmd::kPrint:
            p.setPen(kInk);
            p.setBrush(kPaper);
            p.drawRect(4, 1, 8, 6);
            p.setBrush(QColor(192, 192, 192));
            p.drawRect(1, 7, 14, 7);
            p.setBrush(kPaper);
            p.drawRect(4, 12, 8, 4);
            break;
        case cmd::kPrintPreview:
            Page(p);
            Magnifier(p, 0);
            break;
        case cmd::kBack:
            Arrow(p, false);
            break;
        case cmd::kForward:
            Arrow(p, true);
            break;
        case cmd::kZoomIn:
            Magnifier(p, 1);
            break;
        case cmd::kZoomOut:
            Magnifier(p, -1);
            break;
        case cmd::kActualSize:
            Letter(p, QStringLiteral("1:1"), kBlue);
            break;
        case cmd::kPositionQuery:
            p.setPen(kRed);
            p.drawLine(8, 1, 8, 16);
            p.drawLine(1, 9, 15, 9);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(4, 5, 8, 8);
            break;
        case cmd::kStatistics:
            Letter(p, QStringLiteral("\u03a3"), kBlue);
            break;
        case cmd::kRangeSet:
            Letter(p, QStringLiteral("[ ]"), kBlue);
            break;
        case cmd::kOrderAscending:
            Letter(p, QStringLiteral("1\u21932"), kGreen);
            break;
        case cmd::kOrderDescending:
            Letter(p, QStringLiteral("2\u21931"), kRed);
            break;
        case cmd::kAcquireStart:
            p.setPen(Qt::NoPen);
            p.setBrush(kGreen);
            p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(14, 9), QPoint(4, 16)}));
            break;
        case cmd::kAcquireStop:
            p.setPen(Qt::NoPen);
            p.setBrush(kRed);
            p.drawRect(3, 4, 11, 11);
            break;
        case cmd::kHelp:
            Letter(p, QStringLiteral("?"), kBlue);
            break;
        case cmd::kAppAbout:
            p.setPen(kBlue);
            p.setBrush(kPaper);
            p.drawEllipse(1, 2, 14, 14);
            Letter(p, QStringLiteral("i"), kBlue);
            break;
        default:
            p.setPen(kInk);
            p.drawRect(1, 1, 14, 15);
            break;
    }
}

}  // namespace

QImage ToolImage(int id) {
    QImage img(kToolImageWidth, kToolImageHeight, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    Draw(p, id);
    return img;
}

}  // namespace vardo
