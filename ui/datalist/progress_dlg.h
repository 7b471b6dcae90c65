#pragma once
// Dialog 150: a modeless box without caption, one line of text over a progress bar, shown while
// the interface thread works (filling the data list, starting acquisition). It paints at once
// on every change, since the event loop does not run until the work is done.

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

namespace vardo {

class CProgressDlg : public QDialog {
  public:
    explicit CProgressDlg(QWidget* parent);

    // The whole start: range, shown and painted, centred on the parent, the text.
    void Begin(const QString& text, int lower, int upper);
    void SetRange(int lower, int upper);
    void SetPos(int pos);
    void SetText(const QString& text);
    // Shows, paints and centres the box over its parent.
    void ShowCentred();

    QLabel* text;       // 1045
    QProgressBar* bar;  // 1017
};

}  // namespace vardo
