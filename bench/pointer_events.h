#pragma once
// Pointer moves and presses as a view receives them from the window system.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace vardo::bench {

inline void MovePointer(QWidget& view, int x, int y, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), view.mapToGlobal(QPointF(x, y)),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
}

inline void PressPointer(QWidget& view, int x, int y, Qt::MouseButton button) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), view.mapToGlobal(QPointF(x, y)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
}

}  // namespace vardo::bench
