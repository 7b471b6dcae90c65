#pragma once
// Dialog 155 "范围设定": the span of the file that the data list shows, and the records between
// listed rows. Input errors are told through the reporter and keep the dialog open.

#include <QDialog>
#include <optional>

#include "base/reporter.h"
#include "datalist/range_checks.h"
#include "datalist/span_block.h"

class QPushButton;

namespace vardo {

class CRangeSetDlg : public QDialog {
  public:
    explicit CRangeSetDlg(Reporter& reporter, QWidget* parent = nullptr);

    // The chosen start, end and step after OK.
    RangeChoice GetRange() const { return choice_; }

    // The whole use: preset with the file's range and the proposed one, run modally; the choice
    // on OK, nothing when closed.
    static std::optional<RangeChoice> Ask(QWidget* parent, Reporter& reporter, VTime fileOldest,
                                          VTime fileNewest, const RangeChoice& proposed);

    // OK ("确定"): checks, and closes only when everything holds.
    void accept() override;

    SpanBlock span;
    QPushButton* okButton;
    QPushButton* closeButton;

  private:
    Reporter& reporter_;
    RangeChoice choice_;
};

}  // namespace vardo
