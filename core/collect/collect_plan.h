#pragma once
// What one collection run takes from a recorder, apart from any I/O: from the archive's newest
// held record on, what the ring has lost in between, and whether the recorder's clock can be
// believed.

#include <cstdint>
#include <optional>

#include "base/vardo_time.h"

namespace vardo {

// Beyond this the recorder's stamps and the computer's clock tell different stories.
inline constexpr VTime kClockDriftLimit = 60;

struct CollectSpan {
    bool nothingNew = false;
    bool whole = false;  // nothing held: the recorder's whole memory
    VTime start = 0;     // first record wanted (the upload's start; unused when whole)
    VTime end = 0;       // the recorder's newest record (the upload leaves it for the next run)
    // Records between the held newest and the recorder's oldest that the ring overwrote.
    std::int64_t lostRecords = 0;
    VTime lostFirst = 0;
    VTime lostLast = 0;
    // The archive holds records later than the recorder's newest: its clock was set back, or
    // another recorder now answers at this address.
    bool heldAhead = false;
};

// heldNewest: the archive's newest record of the recorder; newest and oldest: the records the
// recorder's ring holds at its ends; interval in seconds.
CollectSpan PlanCollection(std::optional<VTime> heldNewest, VTime newest, VTime oldest,
                           int interval);

// The recorder's clock minus the computer's when they differ by more than kClockDriftLimit.
std::optional<VTime> ClockDrift(VTime recorderClock, VTime computerNow);

}  // namespace vardo
