#pragma once
// Statistics of a band over a long span: every record under it is read (the mean needs them
// all), which over months takes seconds. The walk runs on a worker with a connection of its own
// under a progress box whose 取消 stops it.

#include <QWidget>
#include <string>

#include "archive/span_walk.h"

namespace vardo {

struct SpanStatsRun {
    ArchiveStatus status = ArchiveStatus::Ok;
    std::string error;  // the engine's reason when status is not Ok
    bool cancelled = false;
    SpanStatResult result;
};

// records: how many the band holds, for the bar. Returns once the worker has ended.
SpanStatsRun RunSpanStats(QWidget* parent, const std::string& url, std::int64_t recorder,
                          const SpanConfigs& configs, const SpanBounds& bounds,
                          std::int64_t records);

}  // namespace vardo
