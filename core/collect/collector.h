#pragma once
// Unattended collection: each recorder of the list gives what is new since the archive's newest
// held record of it, through the serial upload, into a history file in Data/ that is then added
// to the archive. Recorders on different ports are visited at the same time, those sharing a
// port (one bus, several addresses) one after another.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_store.h"
#include "base/vardo_time.h"
#include "collect/collect_plan.h"
#include "settings/recorder_list.h"

namespace vardo {

struct CollectResult {
    std::string name;
    bool collected = false;  // false: failed or stopped, failure says why
    bool stopped = false;
    std::int64_t added = 0;  // records new to the archive
    std::string path;        // the new history file; empty when nothing was new
    std::vector<std::string> warnings;
    std::vector<std::string> failure;  // the message's lines
};

// Adds a finished history file of the recorder to the archive: the number of records new to
// the archive, or nullopt with the reason's lines in why.
using CollectFileAdder = std::function<std::optional<std::int64_t>(
    ArchiveStore& store, const std::string& path, const RecorderEntry& recorder,
    const std::string& device, std::vector<std::string>& why)>;

struct CollectSetup {
    std::string settingsPath;  // SetUp.ini: [ComSet] defaults, [Ports], the file extension
    std::string home;          // holds Data/
    ArchiveStore* archive = nullptr;
    CollectFileAdder addFile;
    std::function<VTime()> now;  // the computer's clock (time(nullptr) when empty)
};

// (recorder's index in the list, blocks done, blocks in all)
using CollectProgress = std::function<void(std::size_t, std::uint32_t, std::uint32_t)>;
// Called from the worker that finished the recorder, one call at a time.
using CollectDone = std::function<void(std::size_t, const CollectResult&)>;

// The device each recorder's Port names (COMn through [Ports]); recorders with the same device
// share a line.
std::string RecorderDevice(const std::string& settingsPath, const RecorderEntry& recorder);

// Collects every recorder of list; the results in list order. stop ends every upload between
// blocks (what it had written is removed) and leaves the recorders not yet visited stopped.
std::vector<CollectResult> RunCollection(const std::vector<RecorderEntry>& list,
                                         const CollectSetup& setup, const CollectProgress& progress,
                                         const CollectDone& done, const std::atomic<bool>* stop);

// The recorders of list that share a site, an address and a model code with an earlier one:
// the archive could not tell their records apart. (index, message) pairs.
std::vector<std::pair<std::size_t, std::string>> ArchiveClashes(
    const std::vector<RecorderEntry>& list);

// What the collection dialog's test shows: the recorder's range, interval and clock.
struct RecorderProbe {
    bool ok = false;
    std::vector<std::string> failure;
    VTime newest = 0;
    VTime oldest = 0;
    int interval = 0;
    int channelCount = 0;
    std::optional<VTime> clock;
};
RecorderProbe ProbeRecorder(const RecorderEntry& recorder, const std::string& settingsPath,
                            const std::atomic<bool>* stop);

// The warnings' texts.
std::string LostSpanText(const CollectSpan& span);
std::string ClockDriftText(VTime drift);

}  // namespace vardo
