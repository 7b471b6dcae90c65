#pragma once
// Dialog 155 "范围设定": the span of the file that the data list shows, and the records between
// listed rows. Input errors are told through the reporter and keep the dialog open.

#include <QDialog>
#include <optional>

#include "base/reporter.h"
#include "datalist/date_time_pair.h"
#include "datalist/range_checks.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vardo {

class CRangeSetDlg : public QDialog {
  public:
    explicit CRangeSetDlg(Reporter& reporter, QWidget* parent = nullptr);

    // The file's oldest and newest record times: the bounds, and the range text.
    void SetFileRange(VTime oldest, VTime newest);
    // What the pickers and the step show at first.
    void SetRange(VTime start, VTime end, int step);
    // The chosen start, end and step after OK.
    RangeChoice GetRange() const { return {fileOldest, fileNewest, rangeStep}; }

    // The whole use: preset with the file's range and the proposed one, run modally; the choice
    // on OK, nothing when closed.
    static std::optional<RangeChoice> Ask(QWidget* parent, Reporter& reporter, VTime fileOldest,
                                          VTime fileNewest, const RangeChoice& proposed);

    // OK ("确定"): checks, and closes only when everything holds.
    void accept() override;

    VTime fileOldest = 0;
    VTime fileNewest = 0;
    int rangeStep = 1;

    QLabel* rangeText;    // 1057
    DateTimePair start;   // 1052, 1053
    DateTimePair end;     // 1054, 1055
    QLineEdit* stepEdit;  // 1056
    QPushButton* okButton;
    QPushButton* closeButton;

  private:
    Reporter& reporter_;
};

}  // namespace vardo
