// vardo-recorder-sim: a paperless recorder on a pseudo-terminal, or behind a TCP port of the
// loopback address as behind a serial device server, for tests, benchmarks and trying the
// program without hardware. Prints the terminal's device path (or tcp://127.0.0.1:PORT, ready
// for [Ports]) as its first line.

#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "recorder_server.h"

namespace {

std::atomic<bool> stopRequested{false};

void OnSignal(int) {
    stopRequested = true;
}

void Usage() {
    std::fputs(
        "usage: vardo-recorder-sim [options]\n"
        "  --model N            model index 0..7 (default 0, as JlyIndex)\n"
        "  --address N          recorder address (default 8)\n"
        "  --channels N         channel count 1..12 (default 8; 3 for model 0)\n"
        "  --interval CODE      record interval code 0..8 (default 3: 10 s)\n"
        "  --range CH:LOW:HIGH:DEC  channel CH (from 1) range as stored integers\n"
        "  --newest \"YYYY-MM-DD HH:MM:SS\"  time of the newest record (default now)\n"
        "  --pointer SLOT       ring slot of the newest record, ending in 255 (default 255)\n"
        "  --records N          records held, newest included (default the whole ring)\n"
        "  --freeze             keep the clock still\n"
        "  --clock-rate N       run the clock N times faster than real time\n"
        "  --baud N             pace the line at N baud (10 bits a character)\n"
        "  --link PATH          also make PATH a symbolic link to the device\n"
        "  --listen PORT        serve on TCP 127.0.0.1:PORT instead (0: any free port)\n"
        "faults, each hitting every Nth reply:\n"
        "  --drop N  --bad-lrc N  --wrong-address N  --exception N  --noise N\n"
        "  --stall N[:MS]       silent from the Nth reply on (for MS ms, else for good)\n"
        "  --silent-after-live N  silent for good after N reads of the live values\n"
        "  --no-clock           the clock registers hold no valid time\n"
        "  --live-per-read      live values change with every read, not every second\n",
        stderr);
}

bool ParseInt(std::string_view text, long& out) {
    if (text.empty()) return false;
    std::string s(text);
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vardo;
    sim::RecorderConfig recorder;
    recorder.modelIndex = 0;
    sim::FaultConfig faults;
    int baud = 0;
    long listenPort = -1;
    std::string link;
    for (int c = 0; c < 12; ++c) {
        recorder.ranges[static_cast<std::size_t>(c)] = {
            0, static_cast<std::int16_t>(1000 + 100 * c), 1};
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view opt = argv[i];
        if (opt == "--freeze" || opt == "--no-clock" || opt == "--live-per-read") {
            (opt == "--freeze"     ? recorder.frozen
             : opt == "--no-clock" ? recorder.clockUnreadable
                                   : recorder.livePerRead) = true;
            continue;
        }
        if (opt == "--help" || i + 1 >= argc) {
            Usage();
            return opt == "--help" ? 0 : 2;
        }
        const std::string_view value = argv[++i];
        long v = 0;
        bool ok = true;
        if (opt == "--newest") {
            auto t = ParseTime(value);
            ok = t.has_value();
            if (ok) recorder.newestTime = *t;
        } else if (opt == "--link") {
            link = value;
        } else if (opt == "--range") {
            long ch = 0, low = 0, high = 0, dec = 0;
            std::string s(value);
            char rest[4] = {};
            ok = std::sscanf(s.c_str(), "%ld:%ld:%ld:%ld%1s", &ch, &low, &high, &dec, rest) == 4 &&
                 ch >= 1 && ch <= 12 && low >= -32768 && low <= 32767 && high >= -32768 &&
                 high <= 32767 && dec >= 0 && dec <= 255;
            if (ok) {
                recorder.ranges[static_cast<std::size_t>(ch - 1)] = {
                    static_cast<std::int16_t>(low), static_cast<std::int16_t>(high),
                    static_cast<std::uint8_t>(dec)};
            }
        } else if (opt == "--stall") {
            std::string s(value);
            const auto colon = s.find(':');
            long ms = 0;
            ok = ParseInt(s.substr(0, colon), v) && v > 0 &&
                 (colon == std::string::npos || (ParseInt(s.substr(colon + 1), ms) && ms >= 0));
            faults.stallAfter = static_cast<int>(v);
            faults.stallMs = static_cast<int>(ms);
        } else if (!ParseInt(value, v) || v < 0) {
            ok = false;
        } else if (opt == "--model") {
            ok = IsValidModelIndex(static_cast<int>(v));
            recorder.modelIndex = static_cast<int>(v);
        } else if (opt == "--address") {
            recorder.address = static_cast<int>(v);
        } else if (opt == "--channels") {
            ok = v >= 1 && v <= 12;
            recorder.channelCount = static_cast<int>(v);
        } else if (opt == "--interval") {
            ok = v <= 8;
            recorder.intervalCode = static_cast<int>(v);
        } else if (opt == "--pointer") {
            ok = (v & 0xFF) == 0xFF && v <= 0xFFFFFF;
            recorder.writePointer = static_cast<std::uint32_t>(v);
        } else if (opt == "--records") {
            recorder.records = static_cast<std::uint32_t>(v);
        } else if (opt == "--clock-rate") {
            ok = v >= 1 && v <= 100000;
            recorder.clockRate = static_cast<int>(v);
        } else if (opt == "--silent-after-live") {
            recorder.silentAfterLiveReads = static_cast<int>(v);
        } else if (opt == "--listen") {
            ok = v <= 65535;
            listenPort = v;
        } else if (opt == "--baud") {
            baud = static_cast<int>(v);
        } else if (opt == "--drop") {
            faults.dropEvery = static_cast<int>(v);
        } else if (opt == "--bad-lrc") {
            faults.badLrcEvery = static_cast<int>(v);
        } else if (opt == "--wrong-address") {
            faults.wrongAddressEvery = static_cast<int>(v);
        } else if (opt == "--exception") {
            faults.exceptionEvery = static_cast<int>(v);
        } else if (opt == "--noise") {
            faults.noiseEvery = static_cast<int>(v);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "vardo-recorder-sim: bad option %s %s\n", argv[i - 1], argv[i]);
            Usage();
            return 2;
        }
    }
    sim::CRecorderServer server(recorder, faults, baud);
    if (listenPort >= 0 ? !server.Listen(static_cast<int>(listenPort)) : !server.Start()) {
        std::perror(listenPort >= 0 ? "vardo-recorder-sim: --listen"
                                    : "vardo-recorder-sim: pseudo-terminal");
        return 1;
    }
    if (!link.empty() && listenPort < 0) {
        ::unlink(link.c_str());
        if (::symlink(server.DevicePath().c_str(), link.c_str()) != 0) {
            std::perror("vardo-recorder-sim: --link");
            return 1;
        }
    }
    std::printf("%s\n", server.DevicePath().c_str());
    std::fflush(stdout);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    // Whoever started the recorder (a test, the start script's program) takes it along when it
    // ends, so no stray recorder keeps a terminal and its link.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) stopRequested = true;
    server.Run(stopRequested);
    if (!link.empty()) ::unlink(link.c_str());
    return 0;
}
