#include "datalist/progress_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>

#include "app/dialog_units.h"

namespace vardo {

CProgressDlg::CProgressDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      text(new QLabel(this)),
      bar(new QProgressBar(this)) {
    setModal(false);
    const DialogUnits du(this);
    setFixedSize(du.Size(187, 39));
    // The thin frame a captionless popup still has.
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(rect());
    du.Place(text, 7, 7, 173, 8);
    du.Place(bar, 7, 19, 173, 13);
    bar->setTextVisible(false);
}

void CProgressDlg::Begin(const QString& line, int lower, int upper) {
    SetRange(lower, upper);
    ShowCentred();
    SetText(line);
}

void CProgressDlg::SetRange(int lower, int upper) {
    bar->setRange(lower, upper);
    bar->setValue(lower);
}

void CProgressDlg::SetPos(int pos) {
    if (pos == bar->value()) return;
    bar->setValue(pos);
    if (isVisible()) bar->repaint();
}

void CProgressDlg::SetText(const QString& line) {
    text->setText(line);
    if (isVisible()) text->repaint();
}

void CProgressDlg::ShowCentred() {
    if (QWidget* p = parentWidget()) {
        const QRect area = p->window()->geometry();
        move(area.center() - rect().center());
    }
    show();
    repaint();
}

}  // namespace vardo
