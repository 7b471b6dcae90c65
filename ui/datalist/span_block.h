#pragma once
// The span block that the range and export dialogs share: the file's range text over a sunken
// frame holding the start and end pickers and the step field, each with its label, and the
// file's bounds the choice is checked against.

#include <QString>
#include <string>

#include "base/vardo_time.h"
#include "datalist/date_time_pair.h"

class QLabel;
class QLineEdit;
class QWidget;

namespace vardo {

// Where the block stands in its dialog, in dialog units: its frame, and the tops of the start,
// end and step rows.
struct SpanRows {
    int frameTop;
    int frameHeight;
    int startTop;
    int endTop;
    int stepTop;
};

class SpanBlock {
  public:
    // Gives dialog the dialog font and places the block in it.
    SpanBlock(QWidget* dialog, const SpanRows& rows);

    // The file's oldest and newest record times: the bounds, and the range text.
    void SetFileRange(VTime oldest, VTime newest);
    // What the pickers and the step show at first.
    void SetRange(VTime startTime, VTime endTime, int step);

    VTime StartTime() const;
    VTime EndTime() const;
    std::string StepText() const;

    VTime fileOldest = 0;
    VTime fileNewest = 0;

    QLabel* rangeText;    // 1057
    DateTimePair start;   // 1052, 1053
    DateTimePair end;     // 1054, 1055
    QLineEdit* stepEdit;  // 1056
};

// The file's range as the span block shows it: "oldest => newest".
QString SpanText(VTime oldest, VTime newest);

}  // namespace vardo
