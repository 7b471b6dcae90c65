#include "datalist/pos_query_dlg.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "datalist/range_checks.h"

namespace vardo {

namespace {
QLineEdit* ReadOnlyText(QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignCenter);
    return e;
}
QPushButton* Button(const char* text, QWidget* parent) {
    return new QPushButton(UiText(text), parent);
}
}  // namespace

CPosQueryDlg::CPosQueryDlg(Reporter& reporter, QWidget* parent)
    : QDialog(parent),
      startText(ReadOnlyText(this)),
      endText(ReadOnlyText(this)),
      takeStart(Button(texts::kQueryTakeBound, this)),
      takeEnd(Button(texts::kQueryTakeBound, this)),
      moment(this),
      queryButton(Button(texts::kQueryButton, this)),
      cancelButton(Button(texts::kCancel, this)),
      reporter_(reporter) {
    setWindowTitle(UiText(texts::kPosQueryTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(198, 101));
    du.Place(new QLabel(UiText(texts::kQueryStartLabel), this), 18, 10);
    du.Place(startText, 57, 7, 118, 14);
    du.Place(takeStart, 178, 7, 13, 14);
    du.Place(new QLabel(UiText(texts::kQueryEndLabel), this), 18, 27);
    du.Place(endText, 57, 26, 118, 14);
    du.Place(takeEnd, 178, 24, 13, 14);
    du.Place(new QLabel(UiText(texts::kQueryMomentLabel), this), 19, 58);
    du.Place(moment.date, 62, 55, 61, 15);
    du.Place(moment.time, 124, 55, 57, 15);
    du.Place(queryButton, 42, 80, 50, 14);
    du.Place(cancelButton, 120, 80, 50, 14);
    // The ">>" buttons only fill the pickers; Enter anywhere still means "查询".
    takeStart->setAutoDefault(false);
    takeEnd->setAutoDefault(false);
    queryButton->setDefault(true);
    connect(takeStart, &QPushButton::clicked, this, &CPosQueryDlg::OnTakeStart);
    connect(takeEnd, &QPushButton::clicked, this, &CPosQueryDlg::OnTakeEnd);
    connect(queryButton, &QPushButton::clicked, this, &CPosQueryDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &CPosQueryDlg::reject);
    moment.Set(0);
}

void CPosQueryDlg::SetQuery(VTime rangeStart, VTime rangeEnd, VTime at) {
    queryRangeStart = rangeStart;
    queryRangeEnd = rangeEnd;
    startText->setText(QString::fromStdString(FormatTime(rangeStart)));
    endText->setText(QString::fromStdString(FormatTime(rangeEnd)));
    moment.Set(at);
}

void CPosQueryDlg::OnTakeStart() {
    moment.Set(queryRangeStart);
}

void CPosQueryDlg::OnTakeEnd() {
    moment.Set(queryRangeEnd);
}

void CPosQueryDlg::accept() {
    const QueryVerdict v =
        CheckQueryInput({moment.DateFields(), moment.TimeFields(), queryRangeStart, queryRangeEnd});
    if (v.message != nullptr) {
        reporter_.ShowMessage(v.message, MessageIcon::Information);
        return;
    }
    queryResult = v.secondsBeforeEnd;
    QDialog::accept();
}

std::optional<VTime> CPosQueryDlg::Ask(QWidget* parent, Reporter& reporter, VTime rangeStart,
                                       VTime rangeEnd, VTime at) {
    CPosQueryDlg dlg(reporter, parent);
    dlg.SetQuery(rangeStart, rangeEnd, at);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.queryResult;
}

}  // namespace vardo
