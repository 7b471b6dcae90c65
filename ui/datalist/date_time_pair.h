#pragma once
// One moment as the user enters it: a date picker and a time picker side by side, both preset
// with the same time; the moment is the date of the first with the time of day of the second.

#include <QString>

#include "base/vardo_time.h"

class QDateEdit;
class QTimeEdit;
class QWidget;

namespace vardo {

class DateTimePair {
  public:
    explicit DateTimePair(QWidget* parent);

    void Set(VTime t);
    LocalFields DateFields() const;
    LocalFields TimeFields() const;

    QDateEdit* date;
    QTimeEdit* time;
};

}  // namespace vardo
