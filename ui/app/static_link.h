#pragma once
// A static text that behaves as a hyperlink: underlined, blue until it has been followed once,
// then purple; a click opens the link with the desktop.

#include <QColor>
#include <QLabel>
#include <QString>

namespace vardo {

class CStaticLink : public QLabel {
  public:
    explicit CStaticLink(QWidget* parent = nullptr);

    // The address to open; when empty the label's own text is the address.
    QString link;
    QColor color = QColor(0, 0, 255);

    // What a click does; returns whether the link was opened.
    bool Follow();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ApplyColor();
};

}  // namespace vardo
