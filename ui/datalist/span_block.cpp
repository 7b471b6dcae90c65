#include "datalist/span_block.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

#include "app/dialog_units.h"
#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

SpanBlock::SpanBlock(QWidget* dialog, const SpanRows& rows)
    : rangeText(new QLabel(dialog)), start(dialog), end(dialog), stepEdit(new QLineEdit(dialog)) {
    const DialogUnits du(dialog);
    const auto label = [dialog](const char* text) { return new QLabel(UiText(text), dialog); };
    auto* frame = new QFrame(dialog);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    du.PlaceFrame(frame, 7, rows.frameTop, 233, rows.frameHeight);
    du.Place(label(texts::kRangeLabel), 7, 12);
    du.Place(rangeText, 51, 11, 189, 8);
    du.Place(label(texts::kRangeStartLabel), 34, rows.startTop + 4);
    du.Place(start.date, 77, rows.startTop, 62, 15);
    du.Place(start.time, 142, rows.startTop, 51, 15);
    du.Place(label(texts::kRangeEndLabel), 34, rows.endTop + 4);
    du.Place(end.date, 77, rows.endTop, 62, 15);
    du.Place(end.time, 142, rows.endTop, 51, 15);
    du.Place(label(texts::kRangeStepLabel), 50, rows.stepTop + 3);
    du.Place(stepEdit, 77, rows.stepTop, 40, 14);
    du.Place(label(texts::kRangeStepUnit), 121, rows.stepTop + 3);
    SetRange(0, 0, 1);
}

void SpanBlock::SetFileRange(VTime oldest, VTime newest) {
    fileOldest = oldest;
    fileNewest = newest;
    rangeText->setText(SpanText(oldest, newest));
}

void SpanBlock::SetRange(VTime startTime, VTime endTime, int step) {
    start.Set(startTime);
    end.Set(endTime);
    stepEdit->setText(QString::number(step));
}

VTime SpanBlock::StartTime() const {
    return JoinDateAndTime(start.DateFields(), start.TimeFields());
}

VTime SpanBlock::EndTime() const {
    return JoinDateAndTime(end.DateFields(), end.TimeFields());
}

std::string SpanBlock::StepText() const {
    return stepEdit->text().toStdString();
}

QString SpanText(VTime oldest, VTime newest) {
    return QString::fromStdString(FormatTime(oldest) + " => " + FormatTime(newest));
}

}  // namespace vardo
