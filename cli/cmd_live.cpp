// vardo-cli live: the recorder's live values, one line per sample, saved to a history file when
// asked; the acquisition of the program's real-time view, headless.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "archive/archive_store.h"
#include "base/texts.h"
#include "commands.h"
#include "history/interrupted_save.h"
#include "history/ring.h"
#include "link_options.h"
#include "realtime/realtime_acquisition.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

volatile sig_atomic_t stopSignal = 0;
// Set while Start reads the recorder: its retries on a dead line last seconds, and Ctrl-C should
// not wait for them. Cancel only stores flags and writes to an eventfd, which a handler may do.
std::atomic<CRealtimeAcquisition*> starting{nullptr};

void OnStopSignal(int) {
    stopSignal = 1;
    if (CRealtimeAcquisition* a = starting.load()) a->Cancel();
}

// SIGINT and SIGTERM end the run between samples; a closed stdout shows as a failed write, not
// as the signal that would end the program before the file is finished.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Waits until `due` or a signal; false when stdout has been closed by its reader.
bool WaitUntil(SteadyClock::time_point due) {
    const auto left = due - SteadyClock::now();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    if (ns <= 0) return true;
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    pollfd out{STDOUT_FILENO, 0, 0};
    if (ppoll(&out, 1, &ts, nullptr) > 0 && (out.revents & (POLLERR | POLLHUP))) return false;
    return true;
}

// Each line goes out whole as it is taken: a reader sees a sample when it is due.
bool PrintLine(const std::string& line) {
    return WriteOut(line) && FlushOut();
}

std::string HeaderLine(int channels) {
    std::string line = std::string(texts::kColumnNumber) + "\t" + texts::kColumnTime;
    for (int c = 1; c <= channels; ++c) {
        char cell[32];
        std::snprintf(cell, sizeof cell, texts::kColumnChannel, c);
        line += std::string("\t") + cell;
    }
    return line + "\n";
}

std::string SampleLine(const HistoryData& h, const LiveSample& s) {
    std::string line = std::to_string(s.number) + "\t" + FormatTime(s.time);
    for (int c = 0; c < h.channelCount; ++c) {
        const auto i = static_cast<std::size_t>(c);
        line += "\t" + FormatDecimal(EngineeringValue(h.rangeLow[i], h.rangeHigh[i], s.raw[i], 2),
                                     h.rangeHigh[i].Decimals());
    }
    return line + "\n";
}

struct LiveOptions {
    std::optional<int> count;
    bool save = false;
    LinkOptions link;
};

int RunLive(const CLI::App& command, const LiveOptions& o) {
    const std::string settingsPath = Home() + "SetUp.ini";
    AcquisitionSettings settings;
    if (!LoadLinkSettings(settingsPath, o.link, settings.comm)) return 1;
    if (!IsValidIntervalCode(settings.comm.samplingInterval)) {
        std::fprintf(stderr, "vardo-cli: sampling time %d (Interval) is not one of 0..8\n",
                     settings.comm.samplingInterval);
        return 1;
    }
    settings.settingsPath = settingsPath;
    settings.save = o.save || ReadSaveReal(settingsPath) != 0;
    settings.extension = ReadModelList(settingsPath).ext;
    settings.home = Home();

    CatchStopSignals();
    const std::string port = PortDevice(settingsPath, settings.comm.portName);
    PathReporter device(port);
    // What an earlier run left when it was killed is put right before this run saves anew.
    for (const LeftoverSave& leftover : RecoverInterruptedSaves(settings.home)) {
        std::fprintf(stderr, "%s\n", LeftoverSaveMessage(leftover).c_str());
    }
    HistoryData data;
    CRealtimeAcquisition acquisition;
    if (stopSignal) return 0;
    starting = &acquisition;
    const StartStatus status = acquisition.Start(settings, data);
    starting = nullptr;
    // Stopped by the user before the first sample: nothing was taken, nothing to say.
    if (status == StartStatus::Cancelled || (status == StartStatus::Started && stopSignal)) {
        acquisition.Stop();
        return 0;
    }
    if (status != StartStatus::Started) {
        for (const char* message : StartMessages(status)) {
            device.ShowMessage(message, MessageIcon::Error);
            if (std::strcmp(message, texts::kPortBusy) == 0) ReportPortRefusal(port);
        }
        return 1;
    }

    const std::uint64_t limit = o.count ? static_cast<std::uint64_t>(*o.count) : UINT64_MAX;
    bool open = PrintLine(HeaderLine(acquisition.ChannelCount()));
    while (open && !stopSignal && acquisition.SamplesTaken() < limit) {
        open = WaitUntil(acquisition.NextDue());
        if (!open || stopSignal) break;
        acquisition.Tick(
            SteadyClock::now(),
            [&](const LiveSample& s) { open = open && PrintLine(SampleLine(data, s)); }, limit);
    }
    acquisition.Stop();

    // Only a reader that went away ends the run quietly; any other failed write is told, after
    // which the samples taken so far are saved and reported as after any other end.
    const bool outputFailed = !open && OutputError() != 0 && OutputError() != EPIPE;
    if (outputFailed) ReportOutputFailure(command);
    for (const std::string& path : acquisition.SavedFiles()) {
        std::fprintf(stderr, "%s\n", path.c_str());
        AddMadeFile(path, kSourceLive, port);
    }
    if (acquisition.SaveFailed()) {
        // Saving stopped half-way; what it wrote is kept where the user looks.
        const std::string& kept = acquisition.SaveFailedPath();
        std::fprintf(stderr, "vardo-cli live: writing %s failed; saving stopped\n",
                     kept.empty() ? "the file" : kept.c_str());
        if (!kept.empty()) std::fprintf(stderr, "%s\n", kept.c_str());
        return 1;
    }
    if (outputFailed) return 1;
    // A reader that went away has nothing more to be told.
    if (OutputError() == EPIPE || !open) return 0;
    return FinishOutput(command);
}

}  // namespace

Command AddLive(CLI::App& parent) {
    auto o = std::make_shared<LiveOptions>();
    CLI::App* command =
        AddCommand(parent, "live",
                   "The recorder's live values, one line per sample. A file that a killed saving "
                   "run left in Data/ is first named after its newest record, or removed when it "
                   "holds none.",
                   "live [--count K] [--save] [--port COMn] [--model N] [--address N]",
                   "K is a whole number from 1: stop after K samples.");
    AddWholeNumberOption(command, "--count", o->count, 1, INT_MAX, "samples to take");
    command->add_flag("--save", o->save, "save the samples to a history file in Data/")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddLinkOptions(command, o->link);
    return {command, [command, o] { return RunLive(*command, *o); }};
}

}  // namespace vardo::cli
