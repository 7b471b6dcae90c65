#pragma once
// One moment as the user enters it: a date picker and a time picker side by side, both preset
// with the same time; the moment is the date of the first with the time of day of the second.

#include <QString>

#include "base/vardo_time.h"

class QDateEdit;
class QLabel;
class QLineEdit;
class QTimeEdit;
class QWidget;

namespace vardo {

class DialogUnits;

class DateTimePair {
  public:
    explicit DateTimePair(QWidget* parent);

    void Set(VTime t);
    LocalFields DateFields() const;
    LocalFields TimeFields() const;

    QDateEdit* date;
    QTimeEdit* time;
};

// Where the span block stands in its dialog, in dialog units: its frame, and the tops of the
// start, end and step rows.
struct SpanRows {
    int frameTop;
    int frameHeight;
    int startTop;
    int endTop;
    int stepTop;
};

// The span block that the range and export dialogs share: the file's range text over a sunken
// frame holding the start and end pickers and the step field, each with its label.
void PlaceSpanFields(QWidget* dialog, const DialogUnits& du, const SpanRows& rows,
                     QLabel* rangeText, DateTimePair& start, DateTimePair& end,
                     QLineEdit* stepEdit);

// The file's range as the span block shows it: "oldest => newest".
QString SpanText(VTime oldest, VTime newest);

}  // namespace vardo
