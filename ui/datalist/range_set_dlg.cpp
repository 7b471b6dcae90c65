#include "datalist/range_set_dlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialog_units.h"
#include "base/texts.h"

namespace vardo {

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
    PlaceSpanFields(this, du, {26, 81, 37, 59, 82}, rangeText, start, end, stepEdit);
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
    rangeText->setText(SpanText(oldest, newest));
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
