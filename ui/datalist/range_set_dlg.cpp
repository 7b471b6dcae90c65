#include "datalist/range_set_dlg.h"

#include <QPushButton>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

CRangeSetDlg::CRangeSetDlg(Reporter& reporter, QWidget* parent)
    : QDialog(parent),
      span(this, {26, 81, 37, 59, 82}),
      okButton(new QPushButton(UiText(texts::kOk), this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)),
      reporter_(reporter) {
    setWindowTitle(UiText(texts::kRangeSetTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(247, 141));
    du.Place(okButton, 38, 121, 50, 14);
    du.Place(closeButton, 133, 120, 50, 14);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &CRangeSetDlg::accept);
    connect(closeButton, &QPushButton::clicked, this, &CRangeSetDlg::reject);
}

void CRangeSetDlg::accept() {
    const std::string step = span.StepText();
    const RangeVerdict v =
        CheckRangeInput({span.start.DateFields(), span.start.TimeFields(), span.end.DateFields(),
                         span.end.TimeFields(), step, span.fileOldest, span.fileNewest});
    if (!v.message.empty()) {
        reporter_.ShowMessage(v.message, MessageIcon::Information);
        return;
    }
    choice_ = v.choice;
    QDialog::accept();
}

std::optional<RangeChoice> CRangeSetDlg::Ask(QWidget* parent, Reporter& reporter, VTime fileOldest,
                                             VTime fileNewest, const RangeChoice& proposed) {
    CRangeSetDlg dlg(reporter, parent);
    dlg.span.SetFileRange(fileOldest, fileNewest);
    dlg.span.SetRange(proposed.start, proposed.end, proposed.step);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.GetRange();
}

}  // namespace vardo
