#include "datalist/date_time_pair.h"

#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

#include "app/dialog_units.h"
#include "base/texts.h"

namespace vardo {

DateTimePair::DateTimePair(QWidget* parent)
    : date(new QDateEdit(parent)), time(new QTimeEdit(parent)) {
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
}

// The pickers are given calendar fields from the core's local time, never Qt's own zone
// arithmetic, so that what is shown and what is joined agree under any TZ.
void DateTimePair::Set(VTime t) {
    const LocalFields f = SplitLocalTime(t);
    date->setDate(QDate(f.year, f.month, f.day));
    time->setTime(QTime(f.hour, f.minute, f.second));
}

LocalFields DateTimePair::DateFields() const {
    const QDate d = date->date();
    return {d.year(), d.month(), d.day(), 0, 0, 0};
}

LocalFields DateTimePair::TimeFields() const {
    const QTime t = time->time();
    return {1970, 1, 1, t.hour(), t.minute(), t.second()};
}

void PlaceSpanFields(QWidget* dialog, const DialogUnits& du, const SpanRows& rows,
                     QLabel* rangeText, DateTimePair& start, DateTimePair& end,
                     QLineEdit* stepEdit) {
    const auto label = [dialog](const char* text) {
        return new QLabel(QString::fromUtf8(text), dialog);
    };
    auto* frame = new QFrame(dialog);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.Rect(7, rows.frameTop, 233, rows.frameHeight));
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
}

QString SpanText(VTime oldest, VTime newest) {
    return QString::fromStdString(FormatTime(oldest) + " => " + FormatTime(newest));
}

}  // namespace vardo
