#pragma once
// What the archive holds, as runs of records: one recorder's records a whole interval apart
// under one configuration. A gap or a change of configuration starts a new run.

#include <vector>

#include "archive/archive_store.h"

namespace vardo {

struct ArchiveSegment {
    RecorderKey recorder;
    RecordConfig config;
    VTime start = 0;
    VTime end = 0;
    std::int64_t records = 0;
};

// Every segment, by site, address, model and start.
[[nodiscard]] ArchiveStatus ListSegments(ArchiveStore& store, std::vector<ArchiveSegment>& out);

}  // namespace vardo
