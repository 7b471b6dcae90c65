#pragma once
// Dialog layouts are given in dialog units of their font ("宋体" 9 points): a quarter of the
// font's average character width across, an eighth of its height down.

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace vardo {

class DialogUnits {
  public:
    // Gives w the dialog font.
    explicit DialogUnits(QWidget* w);

    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;
    // A text control at (x, y) as wide as its text, or as given.
    void Place(QWidget* control, int x, int y, int width = 0, int height = 0) const;
    // A frame or group box drawn around controls: it goes beneath every control of its dialog,
    // whenever it was made, so that a click inside it reaches the control there.
    void PlaceFrame(QWidget* frame, int x, int y, int width, int height) const;

  private:
    int baseX_;
    int baseY_;
};

QFont DialogFont();

}  // namespace vardo
