#include "app/static_link.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace vardo {

CStaticLink::CStaticLink(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    ApplyColor();
}

bool CStaticLink::Follow() {
    const QString target = link.isEmpty() ? text() : link;
    if (target.isEmpty()) return false;
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(target))) {
        QApplication::beep();
        return false;
    }
    color = QColor(128, 0, 128);
    ApplyColor();
    return true;
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Follow();
    QLabel::mouseReleaseEvent(event);
}

void CStaticLink::ApplyColor() {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
    update();
}

}  // namespace vardo
