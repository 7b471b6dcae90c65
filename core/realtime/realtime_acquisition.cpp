#include "realtime/realtime_acquisition.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/le_bytes.h"
#include "base/texts.h"
#include "history/ring.h"

namespace vardo {

namespace {

constexpr Retries kConfigRetries{4, 50};  // the first read and up to 3 more, 50 ms apart
constexpr Retries kClockRetries{4, 150};
constexpr int kLiveAttempts = 4;
constexpr auto kLivePause = std::chrono::milliseconds(50);
constexpr auto kPollPeriod = std::chrono::milliseconds(500);
constexpr auto kSettle = std::chrono::milliseconds(150);

std::string ChannelText(int channel) {
    char text[64];
    std::snprintf(text, sizeof text, texts::kReadingChannelConfig, channel);
    return text;
}

// Row ch of the window in real-time form: 1200 two-byte samples, little-endian like every
// multi-byte value the readers take from it.
std::uint8_t* WindowRow(HistoryData& h, int ch) {
    return h.window.data() + 2 * static_cast<std::size_t>(ch) * kWindowSamples;
}

}  // namespace

std::uint8_t HistorySample(std::uint16_t raw) {
    unsigned s = static_cast<unsigned>(raw) * 255u / 65535u;
    if ((raw & 0xFF) >= 128 && s != 255) ++s;
    return static_cast<std::uint8_t>(s);
}

std::vector<const char*> StartMessages(StartStatus status) {
    switch (status) {
        case StartStatus::PortBusy:
            return {texts::kPortBusy, texts::kInitFailed};
        case StartStatus::CommFailed:
            return {texts::kInitFailed};
        case StartStatus::FileFailed:
            return {texts::kFileCreateFailed, texts::kInitFailed};
        default:
            return {};
    }
}

CRealtimeAcquisition::~CRealtimeAcquisition() {
    Stop();
}

StartStatus CRealtimeAcquisition::Start(const AcquisitionSettings& s, HistoryData& h,
                                        const StartProgress& progress) {
    Stop();
    return Launch(ReadConfiguration(s, progress), h, progress);
}

void CRealtimeAcquisition::Cancel() {
    cancelled = true;
    link.port.Interrupt();
}

StartStatus CRealtimeAcquisition::ReadFailed() {
    link.Close();
    return cancelled.load() ? StartStatus::Cancelled : StartStatus::CommFailed;
}

StartStatus CRealtimeAcquisition::ReadConfiguration(const AcquisitionSettings& s,
                                                    const StartProgress& progress) {
    // Both index tables of twelve and nine entries and the memory map: nothing else is safe.
    if (!IsValidModelIndex(s.comm.modelIndex) || !IsValidIntervalCode(s.comm.samplingInterval)) {
        return StartStatus::BadSettings;
    }
    settings = s;
    row = RecorderMemoryMap[static_cast<std::size_t>(s.comm.modelIndex)];
    period = IntervalTable[static_cast<std::size_t>(s.comm.samplingInterval)];
    address = s.comm.address & 0xFF;
    if (cancelled.load()) return StartStatus::Cancelled;
    // A cancel while a device server was being connected to is no busy port.
    if (!link.Open(s.comm, s.settingsPath))
        return cancelled.load() ? StartStatus::Cancelled : StartStatus::PortBusy;
    // A cancel before the port opened did not reach its waits.
    if (cancelled.load()) return ReadFailed();

    channels = 0;
    if (!ReadChannelCount(link, row, kConfigRetries, channels)) return ReadFailed();
    if (!link.port.Rest(static_cast<int>(kSettle.count()))) return ReadFailed();

    if (progress) progress(0, channels + 1, texts::kReadingConfig);
    for (int c = 0; c < channels; ++c) {
        if (progress) progress(c, channels + 1, ChannelText(c + 1));
        if (!ReadChannelRange(link, row, c, kConfigRetries, ranges[static_cast<std::size_t>(c)]))
            return ReadFailed();
    }
    // The first samples are measurements, never the zeros of a buffer nobody filled.
    if (!ReadLiveValues(link, row, channels, kConfigRetries, live)) return ReadFailed();
    // The clock is read here, not by a tick, so that no tick ever waits on the line. Its second
    // at the first sample is this reading plus the time until then.
    const bool haveClock = WithRetries(
        kClockRetries, [&] { return link.ReadClock(row.clockAddress, clock); }, &link.port);
    if (cancelled.load()) return ReadFailed();
    clockReadAt = SteadyClock::now();
    if (!haveClock) clock = std::time(nullptr);
    return StartStatus::Started;
}

StartStatus CRealtimeAcquisition::Launch(StartStatus read, HistoryData& h,
                                         const StartProgress& progress) {
    // The reads are over: a cancel from now on is a stop.
    cancelled = false;
    data = &h;
    saved.clear();
    saveFailed = false;
    saveFailedPath.clear();
    taken = 0;
    if (read == StartStatus::BadSettings || read == StartStatus::PortBusy) return read;

    h = HistoryData{};
    std::memcpy(h.model, row.code, 5);
    h.capacity = row.historyCapacity;
    h.totalRecords = static_cast<int>(row.historyCapacity);
    h.intervalCode = static_cast<std::uint8_t>(settings.comm.samplingInterval);
    h.sampleWidth = 1;
    h.windowStep = 1;
    if (read != StartStatus::Started) return read;
    h.channelCount = static_cast<std::uint8_t>(channels);
    h.channelEnabled.fill(1);
    h.hasOldestTime = 1;
    for (int c = 0; c < channels; ++c) {
        h.rangeLow[static_cast<std::size_t>(c)] = ranges[static_cast<std::size_t>(c)].low;
        h.rangeHigh[static_cast<std::size_t>(c)] = ranges[static_cast<std::size_t>(c)].high;
    }

    saving = settings.save;
    if (saving) {
        if (progress) progress(channels, channels + 1, texts::kAllocatingStorage);
        writer.SetTarget(&h, settings.extension, address, settings.home);
        if (!writer.Create()) {
            Abandon();
            return StartStatus::FileFailed;
        }
    }
    h.sampleWidth = 2;
    if (progress) progress(channels + 1, channels + 1, std::string());

    acquiring = true;
    startPoint = SteadyClock::now();
    const auto untilFirst = startPoint + std::chrono::seconds(period) - clockReadAt;
    firstTime =
        clock + static_cast<VTime>(std::chrono::round<std::chrono::seconds>(untilFirst).count());
    h.acquiring = 1;
    h.saveReal = saving ? 1 : 0;
    worker = std::thread(&CRealtimeAcquisition::Worker, this);
    return StartStatus::Started;
}

void CRealtimeAcquisition::Abandon() {
    writer.Discard();
    link.Close();
    data->acquiring = 0;
}

void CRealtimeAcquisition::Worker() {
    std::array<std::uint8_t, 2 * kMaxChannels> bytes{};
    const std::span<std::uint8_t> wanted(bytes.data(), 2 * static_cast<std::size_t>(channels));
    std::unique_lock lock(liveMutex);
    while (acquiring.load()) {
        lock.unlock();
        bool ok = false;
        for (int attempt = 0; attempt < kLiveAttempts && !ok && acquiring.load(); ++attempt) {
            if (attempt > 0) {
                lock.lock();
                wake.wait_for(lock, kLivePause, [&] { return !acquiring.load(); });
                lock.unlock();
            }
            ok = link.ReadMemory(row.liveValuesAddress, wanted) == 1;
        }
        lock.lock();
        // A failed poll keeps the previous values: the curves go on with the last known ones.
        if (ok) live = DecodeLiveValues(bytes, channels);
        wake.wait_for(lock, kPollPeriod, [&] { return !acquiring.load(); });
    }
}

SteadyClock::time_point CRealtimeAcquisition::NextDue() const {
    return startPoint + std::chrono::seconds(period) * static_cast<long>(taken + 1);
}

int CRealtimeAcquisition::Tick(SteadyClock::time_point now,
                               const std::function<void(const LiveSample&)>& onSample,
                               std::uint64_t limit) {
    if (!acquiring.load()) return 0;
    int count = 0;
    while (taken < limit && NextDue() <= now) {
        LiveSample sample;
        {
            std::lock_guard lock(liveMutex);
            sample.raw = live;
        }
        sample.number = taken + 1;
        sample.time = firstTime + static_cast<VTime>(taken) * period;
        TakeSample(sample.raw, sample.time);
        ++taken;
        ++count;
        if (onSample) onSample(sample);
    }
    return count;
}

void CRealtimeAcquisition::TakeSample(const LiveValues& raw, VTime time) {
    HistoryData& h = *data;
    for (int c = 0; c < channels; ++c) {
        std::uint8_t* cells = WindowRow(h, c);
        std::memmove(cells + 2, cells, 2 * (kWindowSamples - 1));
        PutU16LE(cells, raw[static_cast<std::size_t>(c)]);
    }
    if (h.windowCount < kWindowSamples) ++h.windowCount;
    if (h.oldestTime == 0) h.oldestTime = time;
    h.newestTime = time;
    if (saving) Save(raw, time);
}

void CRealtimeAcquisition::Save(const LiveValues& raw, VTime time) {
    HistoryData& h = *data;
    if (static_cast<std::uint64_t>(writer.RecordCount()) >= h.capacity) {
        // A full file is finished under its name and the record goes on as slot 0 of the next.
        FinishFile();
        if (saveFailed) return;
        // The new file starts under the placeholder name, as the first did.
        h.oldestTime = 0;
        h.newestTime = 0;
        writer.SetTarget(&h, settings.extension, address, settings.home);
        if (!writer.Create()) {
            saving = false;
            saveFailed = true;
            return;
        }
    }
    if (writer.RecordCount() == 0) h.oldestTime = time;
    std::array<std::uint8_t, kMaxChannels> bytes{};
    for (int c = 0; c < channels; ++c) {
        bytes[static_cast<std::size_t>(c)] = HistorySample(raw[static_cast<std::size_t>(c)]);
    }
    if (!writer.AppendRecord(bytes.data()) || !writer.MarkNewest()) {
        // Saving stops; what was written stays, under the name it has.
        saving = false;
        saveFailed = true;
        if (!writer.Close()) {
            // Not renamed either: the file stays under the name it had, which GetPath gives.
        }
        saveFailedPath = writer.GetPath();
    }
    h.newestTime = time;
    if (h.oldestTime == 0) h.oldestTime = time;
}

void CRealtimeAcquisition::FinishFile() {
    HistoryData& h = *data;
    const VTime oldest = h.oldestTime;
    const VTime newest = h.newestTime;
    const bool finished = writer.Finish() != 0;
    h.oldestTime = oldest;
    h.newestTime = newest;
    if (!finished) {
        // A file whose header or name could not be fixed is not reported as saved: saving
        // stops, and the user learns where what was written stays.
        saving = false;
        saveFailed = true;
        saveFailedPath = writer.GetPath();
        return;
    }
    if (!writer.GetPath().empty()) saved.push_back(writer.GetPath());
}

void CRealtimeAcquisition::Stop() {
    if (worker.joinable()) {
        {
            std::lock_guard lock(liveMutex);
            acquiring = false;
        }
        // The exchange in progress ends now rather than at its time-outs.
        link.port.Interrupt();
        wake.notify_all();
        worker.join();
    }
    acquiring = false;
    cancelled = false;
    // Also a port left open by reads whose launch never came.
    link.Close();
    if (data == nullptr) return;
    // A failure to finish is told through SaveFailed, which the owner reads after Stop.
    if (saving && writer.IsOpen()) FinishFile();
    saving = false;
    data->acquiring = 0;
}

}  // namespace vardo
