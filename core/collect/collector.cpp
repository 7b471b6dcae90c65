#include "collect/collector.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <thread>

#include "archive/archive_location.h"
#include "base/permission_hint.h"
#include "base/texts.h"
#include "history/ring.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"
#include "link/recorder_registers.h"
#include "link/serial_upload.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

// The page finished between reading the range and the upload's own reading of the pointer moves
// the oldest record on; the span is then planned again from what the upload read.
constexpr int kPlanAttempts = 3;
const Retries kClockRetries{3, 50};

std::string Format(const char* format, long long n) {
    char buf[256];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

CommSettings LinkSettings(const std::string& settingsPath, const RecorderEntry& r) {
    CommSettings cs;
    LoadCommSettings(settingsPath, cs);
    cs.portName = r.port;
    cs.address = r.address;
    cs.modelIndex = r.modelIndex;
    if (r.baudRate) cs.baudRate = *r.baudRate;
    return cs;
}

// Opens the recorder's line; false with the failure's lines.
bool OpenLink(CRecorderLink& link, const RecorderEntry& r, const std::string& settingsPath,
              std::vector<std::string>& failure) {
    const std::string device = RecorderDevice(settingsPath, r);
    errno = 0;
    if (link.Open(LinkSettings(settingsPath, r), settingsPath)) return true;
    const int error = errno;
    std::string line = device + ": " + texts::kOpenPortFailed;
    if (error == EWOULDBLOCK || error == EBUSY) {
        line += std::string(" ") + texts::kCollectPortBusy;
    } else if (error != 0) {
        line += std::string(" (") + std::strerror(error) + ")";
    }
    failure.push_back(line);
    const std::string hint = PermissionHint(device, true, kPortGroup);
    if (!hint.empty()) failure.push_back(hint);
    return false;
}

class Collector {
  public:
    Collector(const std::vector<RecorderEntry>& l, const CollectSetup& s, const CollectProgress& p,
              const CollectDone& d, const std::atomic<bool>* st)
        : results(l.size()), list(l), setup(s), progress(p), done(d), stop(st) {}

    void Run() {
        // One worker per device, in the order the devices first appear.
        std::vector<std::string> devices;
        std::map<std::string, std::vector<std::size_t>> byDevice;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string device = RecorderDevice(setup.settingsPath, list[i]);
            if (!byDevice.contains(device)) devices.push_back(device);
            byDevice[device].push_back(i);
        }
        for (const auto& [index, message] : ArchiveClashes(list)) {
            refused[index] = message;
        }
        std::vector<std::thread> workers;
        for (std::size_t g = 1; g < devices.size(); ++g) {
            workers.emplace_back([this, &byDevice, &devices, g] { RunLine(byDevice[devices[g]]); });
        }
        if (!devices.empty()) RunLine(byDevice[devices[0]]);
        for (auto& w : workers) w.join();
    }

    std::vector<CollectResult> results;

  private:
    void RunLine(const std::vector<std::size_t>& indices) {
        for (std::size_t i : indices) {
            CollectResult& r = results[i];
            r.name = list[i].name;
            if (auto it = refused.find(i); it != refused.end()) {
                r.failure.push_back(it->second);
            } else if (stop != nullptr && stop->load()) {
                r.stopped = true;
                r.failure.push_back(texts::kCollectStopped);
            } else {
                CollectOne(i, r);
            }
            if (done) {
                std::lock_guard lock(doneMutex);
                done(i, r);
            }
        }
    }

    void CollectOne(std::size_t index, CollectResult& result) {
        const RecorderEntry& rec = list[index];
        const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(rec.modelIndex)];
        const std::string device = RecorderDevice(setup.settingsPath, rec);
        CRecorderLink link;
        if (!OpenLink(link, rec, setup.settingsPath, result.failure)) return;
        auto commFailed = [&] {
            link.Close();
            result.failure.push_back(device + ": " + texts::kCommFailed);
        };
        CSerialUpload upload(link, rec.modelIndex);
        if (upload.ReadTimeRange() != UploadStatus::Done) return commFailed();

        VTime clock = 0;
        if (WithRetries(kClockRetries, [&] { return link.ReadClock(row.clockAddress, clock); })) {
            const VTime now = setup.now ? setup.now() : std::time(nullptr);
            if (auto drift = ClockDrift(clock, now))
                result.warnings.push_back(ClockDriftText(*drift));
        } else {
            result.warnings.push_back(texts::kCollectClockUnreadable);
        }

        const RecorderKey key{rec.site, rec.address, row.code};
        std::optional<VTime> held;
        {
            std::lock_guard lock(archiveMutex);
            if (const ArchiveStatus s = setup.archive->Newest(key, held); s != ArchiveStatus::Ok) {
                link.Close();
                result.failure.push_back(ArchiveStatusMessage(s));
                if (!setup.archive->LastError().empty())
                    result.failure.push_back(setup.archive->LastError());
                return;
            }
        }

        const int iv = IntervalTable[static_cast<std::size_t>(upload.Range().intervalCode)];
        CollectSpan span;
        UploadStatus status = UploadStatus::StartOutOfRange;
        for (int attempt = 0; attempt < kPlanAttempts && status == UploadStatus::StartOutOfRange;
             ++attempt) {
            span = PlanCollection(held, upload.Range().newestTime, upload.Range().oldestTime, iv);
            if (span.nothingNew) break;
            UploadChoice choice;
            choice.all = span.whole;
            choice.start = span.start;
            choice.end = span.end;
            choice.channels.fill(true);
            status = upload.Prepare(choice);
        }
        if (span.heldAhead) result.warnings.push_back(texts::kCollectHeldAhead);
        if (span.lostRecords > 0) result.warnings.push_back(LostSpanText(span));
        if (span.nothingNew) {
            link.Close();
            result.collected = true;
            return;
        }
        if (status != UploadStatus::Done) return commFailed();

        UploadTarget target;
        target.extension = ReadModelList(setup.settingsPath).ext;
        target.address = rec.address;
        target.home = setup.home;
        status = upload.Run(
            target,
            [&](std::uint32_t doneBlocks, std::uint32_t total) {
                if (progress) progress(index, doneBlocks, total);
            },
            stop);
        link.Close();
        if (status == UploadStatus::Stopped) {
            result.stopped = true;
            result.failure.push_back(texts::kCollectStopped);
            return;
        }
        if (status == UploadStatus::CommFailed) {
            result.failure.push_back(device + ": " + texts::kCommFailed);
            return;
        }
        if (status != UploadStatus::Done) {
            result.failure.push_back(setup.home + "Data: " + texts::kFileCreateFailed);
            return;
        }
        result.path = upload.OutputPath();
        std::lock_guard lock(archiveMutex);
        std::vector<std::string> why;
        const auto added = setup.addFile(*setup.archive, result.path, rec, device, why);
        if (!added) {
            // The file stays in Data/: what was collected is not lost, only not yet archived.
            result.failure = std::move(why);
            return;
        }
        result.added = *added;
        result.collected = true;
    }

    const std::vector<RecorderEntry>& list;
    const CollectSetup& setup;
    const CollectProgress& progress;
    const CollectDone& done;
    const std::atomic<bool>* stop;
    std::map<std::size_t, std::string> refused;
    std::mutex archiveMutex;
    std::mutex doneMutex;
};

}  // namespace

std::string RecorderDevice(const std::string& settingsPath, const RecorderEntry& recorder) {
    return PortDevice(settingsPath, recorder.port);
}

std::vector<std::pair<std::size_t, std::string>> ArchiveClashes(
    const std::vector<RecorderEntry>& list) {
    std::vector<std::pair<std::size_t, std::string>> clashes;
    for (std::size_t i = 0; i < list.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const auto code = [&](std::size_t k) {
                return std::string(
                    RecorderMemoryMap[static_cast<std::size_t>(list[k].modelIndex)].code);
            };
            if (list[i].site == list[j].site && list[i].address == list[j].address &&
                code(i) == code(j)) {
                char buf[256];
                std::snprintf(buf, sizeof buf, texts::kCollectArchiveClash,
                              (std::string(kRecorderSectionPrefix) + list[j].name).c_str());
                clashes.emplace_back(i, buf);
                break;
            }
        }
    }
    return clashes;
}

std::vector<CollectResult> RunCollection(const std::vector<RecorderEntry>& list,
                                         const CollectSetup& setup, const CollectProgress& progress,
                                         const CollectDone& done, const std::atomic<bool>* stop) {
    Collector collector(list, setup, progress, done, stop);
    collector.Run();
    return std::move(collector.results);
}

RecorderProbe ProbeRecorder(const RecorderEntry& recorder, const std::string& settingsPath,
                            const std::atomic<bool>* stop) {
    RecorderProbe probe;
    CRecorderLink link;
    if (!OpenLink(link, recorder, settingsPath, probe.failure)) return probe;
    CSerialUpload upload(link, recorder.modelIndex);
    if ((stop != nullptr && stop->load()) || upload.ReadTimeRange() != UploadStatus::Done) {
        link.Close();
        probe.failure.push_back(RecorderDevice(settingsPath, recorder) + ": " + texts::kCommFailed);
        return probe;
    }
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(recorder.modelIndex)];
    VTime clock = 0;
    if (WithRetries(kClockRetries, [&] { return link.ReadClock(row.clockAddress, clock); })) {
        probe.clock = clock;
    }
    link.Close();
    probe.ok = true;
    probe.newest = upload.Range().newestTime;
    probe.oldest = upload.Range().oldestTime;
    probe.interval = IntervalTable[static_cast<std::size_t>(upload.Range().intervalCode)];
    probe.channelCount = upload.Range().channelCount;
    return probe;
}

std::string LostSpanText(const CollectSpan& span) {
    char buf[256];
    std::snprintf(buf, sizeof buf, texts::kCollectLostFormat,
                  static_cast<long long>(span.lostRecords), FormatTime(span.lostFirst).c_str(),
                  FormatTime(span.lostLast).c_str());
    return buf;
}

std::string ClockDriftText(VTime drift) {
    return drift > 0 ? Format(texts::kCollectClockAheadFormat, static_cast<long long>(drift))
                     : Format(texts::kCollectClockBehindFormat, static_cast<long long>(-drift));
}

}  // namespace vardo
