#include "archive/archive_segments.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "history/ring.h"

namespace vardo {

ArchiveStatus ListSegments(ArchiveStore& store, std::vector<ArchiveSegment>& out) {
    out.clear();
    std::vector<RecorderSummary> recorders;
    if (ArchiveStatus s = store.Recorders(recorders); s != ArchiveStatus::Ok) return s;
    // By bytes, whatever collation a server's database was made with.
    std::sort(recorders.begin(), recorders.end(), [](const auto& a, const auto& b) {
        return std::tie(a.key.site, a.key.address, a.key.model) <
               std::tie(b.key.site, b.key.address, b.key.model);
    });
    for (const RecorderSummary& recorder : recorders) {
        std::vector<std::pair<std::int64_t, RecordConfig>> list;
        if (ArchiveStatus s = store.Configs(recorder.id, list); s != ArchiveStatus::Ok) return s;
        const std::map<std::int64_t, RecordConfig> configs(list.begin(), list.end());
        std::int64_t current = -1;
        VTime step = 0;
        bool failed = false;
        const ArchiveStatus s = store.ReadRecords(
            recorder.id, recorder.first, recorder.last, [&](std::span<const ArchivedRecord> chunk) {
                for (const ArchivedRecord& r : chunk) {
                    if (!out.empty() && current == r.config && r.time == out.back().end + step) {
                        out.back().end = r.time;
                        ++out.back().records;
                        continue;
                    }
                    const auto it = configs.find(r.config);
                    if (it == configs.end()) {
                        failed = true;
                        return false;
                    }
                    current = r.config;
                    step = IntervalTable[it->second.intervalCode];
                    out.push_back({recorder.key, it->second, r.time, r.time, 1});
                }
                return true;
            });
        if (s != ArchiveStatus::Ok) return s;
        // A record whose configuration the recorder does not list: the tables disagree.
        if (failed) return ArchiveStatus::Damaged;
        current = -1;
    }
    return ArchiveStatus::Ok;
}

}  // namespace vardo
