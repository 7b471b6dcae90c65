// vardo-cli recorder: what the recorder says of itself.

#include <array>
#include <cstdio>

#include "base/permission_hint.h"
#include "base/texts.h"
#include "commands.h"
#include "history/history_format.h"
#include "history/ring.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"
#include "link/recorder_registers.h"
#include "link_options.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

int RunRecorder(const CLI::App& command, const LinkOptions& options) {
    const std::string settingsPath = Home() + "SetUp.ini";
    CommSettings cs;
    if (!LoadLinkSettings(settingsPath, options, cs)) return 1;

    const std::string port = PortDevice(settingsPath, cs.portName);
    PathReporter reporter(port);
    CRecorderLink link;
    if (!link.Open(cs, settingsPath)) {
        reporter.ShowMessage(texts::kOpenPortFailed, MessageIcon::Error);
        ReportPortRefusal(port);
        return 1;
    }
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(cs.modelIndex)];
    auto fail = [&] {
        link.Close();
        reporter.ShowMessage(texts::kCommFailed, MessageIcon::Error);
        return 1;
    };

    // Callers of the link retry whole operations a few times, as the program's dialogs do.
    const Retries retries{3, 50};
    int channels = 0;
    int intervalCode = 0;
    if (!ReadChannelCount(link, row, retries, channels) ||
        !ReadIntervalCode(link, row, retries, intervalCode)) {
        return fail();
    }
    std::array<ChannelRange, kMaxChannels> ranges{};
    for (int c = 0; c < channels; ++c) {
        if (!ReadChannelRange(link, row, c, retries, ranges[static_cast<std::size_t>(c)])) {
            return fail();
        }
    }
    VTime clock = 0;
    VTime newest = 0;
    std::uint32_t pointer = 0;
    LiveValues live{};
    if (!WithRetries(retries, [&] { return link.ReadClock(row.clockAddress, clock); }) ||
        !WithRetries(retries, [&] { return link.ReadStamp(row.newestStampAddress, newest); }) ||
        !WithRetries(retries,
                     [&] { return link.ReadWritePointer(row.writePointerAddress, pointer); }) ||
        !ReadLiveValues(link, row, channels, retries, live)) {
        return fail();
    }
    link.Close();

    std::string out;
    const auto line = [&out](const char* format, auto... values) {
        char text[256];
        std::snprintf(text, sizeof text, format, values...);
        out += text;
    };
    line("model: %s (index %d)\n", row.code, cs.modelIndex);
    line("address: %d\n", cs.address);
    line("channels: %d\n", channels);
    line("interval: %d s (code %d)\n", IntervalTable[static_cast<std::size_t>(intervalCode)],
         intervalCode);
    for (int c = 0; c < channels; ++c) {
        const ChannelRange& r = ranges[static_cast<std::size_t>(c)];
        line("channel %d range: %s .. %s\n", c + 1,
             FormatDecimal(r.low.Value(), r.low.Decimals()).c_str(),
             FormatDecimal(r.high.Value(), r.high.Decimals()).c_str());
    }
    line("clock: %s\n", FormatTime(clock).c_str());
    line("newest record: %s\n", FormatTime(newest).c_str());
    line("write pointer: %u\n", pointer);
    for (int c = 0; c < channels; ++c) {
        const ChannelRange& r = ranges[static_cast<std::size_t>(c)];
        const std::uint16_t raw = live[static_cast<std::size_t>(c)];
        line("channel %d live: %u (%s)\n", c + 1, raw,
             FormatDecimal(EngineeringValue(r.low, r.high, raw, 2), r.high.Decimals()).c_str());
    }
    return FinishOutput(command, WriteOut(out));
}

}  // namespace

Command AddRecorder(CLI::App& parent) {
    auto options = std::make_shared<LinkOptions>();
    CLI::App* command = AddCommand(parent, "recorder", "What the recorder says of itself.",
                                   "recorder [--port COMn] [--model N] [--address N]");
    AddLinkOptions(command, *options);
    return {command, [command, options] { return RunRecorder(*command, *options); }};
}

}  // namespace vardo::cli
