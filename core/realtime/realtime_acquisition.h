#pragma once
// Real-time acquisition: the recorder's live values polled by a worker thread about every
// 500 ms, one sample of every channel taken per sampling period into a HistoryData in its
// real-time form (1200 raw 16-bit values per channel, sample 0 the newest), and each sample
// saved to a history file when asked.
//
// Threads. Start, Launch, Tick, Stop and every read of the record run on one thread, the
// owner's (the interface thread, or vardo-cli's main thread); ReadConfiguration may run on
// another, touching nothing but the link and what Launch takes over. After Start the worker is
// the only user of the link; it hands values over under a lock held for a copy of 24 bytes, so
// a tick never waits on the line, however dead it is. Stop interrupts the worker's exchange and
// joins it before the file is finished and the port closed, so it never waits on the line
// either.
//
// Time. Sample k (from 1) is due at start + k x P on a steady clock, P the sampling period; a
// tick takes every sample due by then, each with the latest values, so a late tick loses no
// sample and shifts no time stamp. Sample k is stamped T0 + (k - 1) x P, T0 the recorder's
// clock at the first sample (the computer's when the recorder's cannot be read).

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "history/history_data.h"
#include "history/history_writer.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"
#include "link/recorder_registers.h"
#include "settings/comm_settings.h"

namespace vardo {

using SteadyClock = std::chrono::steady_clock;

enum class StartStatus {
    Started,
    PortBusy,    // "串口被占用", then "初始化失败，请检查通讯是否正常！"
    CommFailed,  // "初始化失败，请检查通讯是否正常！"
    FileFailed,  // "文件建立失败！", then "初始化失败，请检查通讯是否正常！"
    BadSettings,  // JlyIndex outside 0..7 or Interval outside 0..8: nothing was opened
    Cancelled,    // Cancel during the configuration reads: no message, nothing left open
};

// What Start needs; the caller reads it from SetUp.ini at the moment of use.
struct AcquisitionSettings {
    CommSettings comm;         // port, address, time-outs, Interval, JlyIndex
    std::string settingsPath;  // for the [Ports] mapping of COMn
    bool save = false;         // SaveReal
    std::string extension = "vd";
    std::string home;  // the directory holding Data/
};

// (position, range, text): the progress box of the configuration reads; an empty text at the
// end, when the box closes.
using StartProgress = std::function<void(int, int, const std::string&)>;

// One sample as taken: its number from 1, its time stamp and the raw values of every channel.
struct LiveSample {
    std::uint64_t number = 0;
    VTime time = 0;
    LiveValues raw{};
};

// The history file's byte for a live value: v x 255 / 65535 rounded as the recorder rounds,
// up when the low byte is 128 or more.
std::uint8_t HistorySample(std::uint16_t raw);

// The system's messages for a failed start, in the order they are shown.
std::vector<const char*> StartMessages(StartStatus status);

class CRealtimeAcquisition {
  public:
    CRealtimeAcquisition() = default;
    ~CRealtimeAcquisition();
    CRealtimeAcquisition(const CRealtimeAcquisition&) = delete;
    CRealtimeAcquisition& operator=(const CRealtimeAcquisition&) = delete;

    // Opens the link, reads the channel count, each channel's range, the live values once and
    // the recorder's clock (with the retries and pauses of the system), creates the file when
    // saving, and starts the worker. `data` is filled in its real-time form and written by
    // every Tick; it must outlive the acquisition. On failure everything is closed again and
    // no file is left.
    StartStatus Start(const AcquisitionSettings& settings, HistoryData& data,
                      const StartProgress& progress = nullptr);
    // Start in two halves, for an owner that must not wait on the line: the reads, on any
    // thread, then Launch with what they returned, on the owner's, which fills `data`, creates
    // the file and starts the worker. The record is cleared for a recorder that the reads
    // reached, even when they then failed.
    StartStatus ReadConfiguration(const AcquisitionSettings& settings,
                                  const StartProgress& progress = nullptr);
    StartStatus Launch(StartStatus read, HistoryData& data,
                       const StartProgress& progress = nullptr);
    // From any thread: ends the configuration reads at once, which then return Cancelled.
    void Cancel();

    // Takes every sample due by `now` (while fewer than `limit` were taken), shifts it into the
    // window and saves it; `onSample`, if given, sees each one. Returns the number taken.
    int Tick(SteadyClock::time_point now,
             const std::function<void(const LiveSample&)>& onSample = nullptr,
             std::uint64_t limit = UINT64_MAX);

    // Wakes and joins the worker, finishes the file (named with the newest sample's time and
    // the address used) and closes the port. Safe to call when not acquiring.
    void Stop();

    bool Acquiring() const { return acquiring.load(); }
    // When the next sample is due: the owner's timer sleeps until then.
    SteadyClock::time_point NextDue() const;
    SteadyClock::time_point StartPoint() const { return startPoint; }
    int PeriodSeconds() const { return period; }
    int ChannelCount() const { return channels; }
    std::uint64_t SamplesTaken() const { return taken; }

    // Files finished so far (a full file rolls over into the next one) and, after Stop, the last
    // one. Their paths, in order.
    const std::vector<std::string>& SavedFiles() const { return saved; }
    // Saving stopped on a write error; the file written so far is kept under SaveFailedPath().
    bool SaveFailed() const { return saveFailed; }
    // The system calls of the file writer, for tests of the failures they report.
    void SetWriterCalls(const WriterCalls& calls) { writer.SetCalls(calls); }
    const std::string& SaveFailedPath() const { return saveFailedPath; }

  private:
    void Worker();
    void TakeSample(const LiveValues& raw, VTime time);
    void Save(const LiveValues& raw, VTime time);
    // Finishes the file being saved; when it cannot be completed, saving stops and SaveFailed
    // says where what was written stays.
    void FinishFile();
    StartStatus ReadFailed();
    void Abandon();

    CRecorderLink link;
    CHistoryWriter writer;
    HistoryData* data = nullptr;
    RecorderMemoryRow row{};
    int channels = 0;
    int period = 1;
    int address = 0;
    bool saving = false;
    bool saveFailed = false;
    std::string saveFailedPath;
    std::vector<std::string> saved;
    AcquisitionSettings settings;

    SteadyClock::time_point startPoint{};
    VTime firstTime = 0;
    std::uint64_t taken = 0;

    // What the configuration reads leave for Launch.
    std::array<ChannelRange, kMaxChannels> ranges{};
    VTime clock = 0;
    SteadyClock::time_point clockReadAt{};
    std::atomic<bool> cancelled{false};

    std::atomic<bool> acquiring{false};
    std::thread worker;
    std::mutex liveMutex;  // guards live and wakes the worker
    std::condition_variable wake;
    LiveValues live{};
};

}  // namespace vardo
