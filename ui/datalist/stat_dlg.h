#pragma once
// Dialog 139, "统计": mean, peak and valley of every channel over the samples under the curve
// view's selected band. The numbers are computed once, before the dialog shows; the pickers
// only show the times of the newest and oldest sample counted.

#include <QDialog>

#include "archive/span_walk.h"
#include "base/vardo_time.h"
#include "datalist/channel_stats.h"
#include "datalist/date_time_pair.h"
#include "history/history_data.h"
#include "settings/display_settings.h"

class QTableWidget;

namespace vardo {

class CStatDlg : public QDialog {
  public:
    explicit CStatDlg(QWidget* parent = nullptr);

    void SetInputs(const DisplaySettings* settings, const HistoryData* history);
    // The band in the view's client pixels; only left and right matter. Fills the table.
    void ComputeStats(int left, int top, int right, int bottom);

    // The statistics of an archive span's records under the band, [start, end] its times.
    void SetSpanResult(const SpanStatResult& result, VTime start, VTime end);

    QTableWidget* Table() const { return list_; }
    VTime statStart = 0;
    VTime statEnd = 0;

  private:
    void FillTable();

    const DisplaySettings* settings_ = nullptr;
    const HistoryData* history_ = nullptr;
    StatResult result_;
    DateTimePair start_;  // 1028, 1030
    DateTimePair end_;    // 1029, 1031
    QTableWidget* list_ = nullptr;
};

}  // namespace vardo
