#pragma once
// The statistics dialog's numbers: the band selected on the curve view, from its pixels to the
// window samples under it, to their statistics and the times the dialog shows.

#include "base/vardo_time.h"
#include "datalist/channel_stats.h"
#include "history/history_data.h"
#include "settings/display_settings.h"

namespace vardo {

struct BandStats {
    StatResult result;
    VTime start = 0;  // the oldest sample counted
    VTime end = 0;    // the newest sample counted
};

// left and right are the band's edges in the view's client pixels. A band over no sample counts
// nothing, and its times are those of its edges, as the readout shows them there.
BandStats StatsUnderBand(const HistoryData& h, const DisplaySettings& ds, int left, int right);

}  // namespace vardo
