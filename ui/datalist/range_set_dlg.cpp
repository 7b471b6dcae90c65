#include "datalist/range_set_dlg.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "app/dialog_units.h"
#include "base/texts.h"

namespace vardo {

namespace {
QLabel* Label(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}
}  // namespace

CRangeSetDlg::CRangeSetDlg(Reporter& reporter, QWidget* parent)
    : QDialog(parent),
      rangeText(new QLabel(this)),
      start(this),
      end(this),
      stepEdit(new QLineEdit(this)),
      okButton(new QPushButton(QString::fromUtf8(texts::kOk), this)),
      closeButton(new QPushButton(QString::fromUtf8(texts::kClose), this)),
      reporter_(reporter) {
    setWindowTitle(QString::fromUtf8(texts::kRangeSetTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(247, 141));
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.Rect(7, 26, 233, 81));
    du.Place(Label(texts::kRangeLabel, this), 7, 12);
    du.Place(rangeText, 51, 11, 189, 8);
    du.Place(Label(texts::kRangeStartLabel, this), 34, 41);
    du.Place(start.date, 77, 37, 62, 15);
    du.Place(start.time, 142, 37, 51, 15);
    du.Place(Label(texts::kRangeEndLabel, this), 34, 63);
    du.Place(end.date, 77, 59, 62, 15);
    du.Place(end.time, 142, 59, 51, 15);
    du.Place(Label(texts::kRangeStepLabel, this), 50, 85);
    du.Place(stepEdit, 77, 82, 40, 14);
    du.Place(Label(texts::kRangeStepUnit, this), 121, 85);
    du.Place(okButton, 38, 121, 50, 14);
    du.Place(closeButton, 133, 120, 50, 14);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &CRangeSetDlg::accept);
    connect(closeButton, &QPushButton::clicked, this, &CRangeSetDlg::reject);
    SetRange(0, 0, 1);
}

void CRangeSetDlg::SetFileRange(VTime oldest, VTime newest) {
    fileOldest = oldest;
    fileNewest = newest;
    rangeText->setText(QString::fromStdString(FormatTime(oldest) + " => " + FormatTime(newest)));
}

void CRangeSetDlg::SetRange(VTime startTime, VTime endTime, int step) {
    start.Set(startTime);
    end.Set(endTime);
    rangeStep = step;
    stepEdit->setText(QString::number(step));
}

void CRangeSetDlg::accept() {
    const std::string step = stepEdit->text().toStdString();
    const RangeVerdict v =
        CheckRangeInput({start.DateFields(), start.TimeFields(), end.DateFields(), end.TimeFields(),
                         step, fileOldest, fileNewest});
    if (!v.message.empty()) {
        reporter_.ShowMessage(v.message, MessageIcon::Information);
        return;
    }
    fileOldest = v.choice.start;
    fileNewest = v.choice.end;
    rangeStep = v.choice.step;
    QDialog::accept();
}

std::optional<RangeChoice> CRangeSetDlg::Ask(QWidget* parent, Reporter& reporter, VTime fileOldest,
                                             VTime fileNewest, const RangeChoice& proposed) {
    CRangeSetDlg dlg(reporter, parent);
    dlg.SetFileRange(fileOldest, fileNewest);
    dlg.SetRange(proposed.start, proposed.end, proposed.step);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.GetRange();
}

}  // namespace vardo
