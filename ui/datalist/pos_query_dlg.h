#pragma once
// Dialog 133 "定位查询": one moment inside a range, for the curve view to jump to. The two ">>"
// buttons take the range's start or end into the pickers.

#include <QDialog>
#include <optional>

#include "base/reporter.h"
#include "datalist/date_time_pair.h"

class QLineEdit;
class QPushButton;

namespace vardo {

class CPosQueryDlg : public QDialog {
  public:
    explicit CPosQueryDlg(Reporter& reporter, QWidget* parent = nullptr);

    // The allowed range (shown as text) and the moment the pickers start from.
    void SetQuery(VTime rangeStart, VTime rangeEnd, VTime moment);

    // The whole use: the seconds from the chosen moment back from rangeEnd on OK, nothing when
    // cancelled.
    static std::optional<VTime> Ask(QWidget* parent, Reporter& reporter, VTime rangeStart,
                                    VTime rangeEnd, VTime moment);

    void OnTakeStart();  // 1062
    void OnTakeEnd();    // 1061
    // OK ("查询"): closes only when the moment lies within the range.
    void accept() override;

    VTime queryResult = 0;  // rangeEnd - moment, after OK
    VTime queryRangeStart = 0;
    VTime queryRangeEnd = 0;

    QLineEdit* startText;  // 1024
    QLineEdit* endText;    // 1025
    QPushButton* takeStart;
    QPushButton* takeEnd;
    DateTimePair moment;  // 1026, 1027
    QPushButton* queryButton;
    QPushButton* cancelButton;

  private:
    Reporter& reporter_;
};

}  // namespace vardo
