#include "datalist/date_time_pair.h"

#include <QDateEdit>
#include <QTimeEdit>

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

}  // namespace vardo
