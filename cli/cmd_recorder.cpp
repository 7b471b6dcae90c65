// vardo-cli recorder: what the recorder says of itself.

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/le_bytes.h"
#include "base/texts.h"
#include "commands.h"
#include "history/history_format.h"
#include "history/ring.h"
#include "link/recorder_link.h"
#include "link/recorder_memory_map.h"
#include "link_options.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

// Callers of the link retry whole operations a few times, as the program's dialogs do.
template <typename Read>
int WithRetries(Read read) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (read()) return 1;
    }
    return 0;
}

int RunRecorder(const LinkOptions& options) {
    const std::string settingsPath = Home() + "SetUp.ini";
    CommSettings cs;
    LoadCommSettings(settingsPath, cs);
    ApplyLinkOptions(options, cs);

    if (!CheckModelIndex(cs)) return 1;
    PathReporter reporter(PortDevice(settingsPath, cs.portName));
    CRecorderLink link;
    if (!link.Open(&cs, settingsPath)) {
        reporter.ShowMessage(texts::kOpenPortFailed, MessageIcon::Error);
        return 1;
    }
    const RecorderMemoryRow& row = RecorderMemoryMap[static_cast<std::size_t>(cs.modelIndex)];
    auto fail = [&] {
        link.Close();
        reporter.ShowMessage(texts::kCommFailed, MessageIcon::Error);
        return 1;
    };

    std::uint8_t channels = kChannelsWithoutCountAddress;
    if (row.channelCountAddress != kNoAddress && !WithRetries([&] {
            return link.ReadMemory(static_cast<std::uint16_t>(row.channelCountAddress),
                                   std::span<std::uint8_t>(&channels, 1));
        })) {
        return fail();
    }
    if (channels < 1 || channels > kMaxChannels) return fail();
    std::uint8_t intervalCode = 0;
    if (!WithRetries([&] {
            return link.ReadMemory(row.intervalCodeAddress,
                                   std::span<std::uint8_t>(&intervalCode, 1));
        })) {
        return fail();
    }
    std::array<DecimalValue, kMaxChannels> low{};
    std::array<DecimalValue, kMaxChannels> high{};
    for (int c = 0; c < channels; ++c) {
        std::array<std::uint8_t, kChannelConfigBytes> b{};
        if (!WithRetries([&] { return link.ReadMemory(ChannelConfigAddress(row, c), b); })) {
            return fail();
        }
        const std::uint8_t lo[3] = {b[0], b[1], b[2]};
        const std::uint8_t hi[3] = {b[3], b[4], b[2]};
        low[static_cast<std::size_t>(c)] = DecodeDecimalValue(lo);
        high[static_cast<std::size_t>(c)] = DecodeDecimalValue(hi);
    }
    VTime clock = 0;
    VTime newest = 0;
    std::uint32_t pointer = 0;
    std::array<std::uint8_t, 2 * kMaxChannels> live{};
    if (!WithRetries([&] { return link.ReadClock(row.clockAddress, clock); }) ||
        !WithRetries([&] { return link.ReadStamp(row.newestStampAddress, newest); }) ||
        !WithRetries([&] { return link.ReadWritePointer(row.writePointerAddress, pointer); }) ||
        !WithRetries([&] {
            return link.ReadMemory(row.liveValuesAddress,
                                   std::span<std::uint8_t>(live.data(), 2u * channels));
        })) {
        return fail();
    }
    link.Close();

    std::printf("model: %s (index %d)\n", row.code, cs.modelIndex);
    std::printf("address: %d\n", cs.address);
    std::printf("channels: %d\n", channels);
    if (IsValidIntervalCode(intervalCode)) {
        std::printf("interval: %d s (code %d)\n", IntervalTable[intervalCode], intervalCode);
    } else {
        std::printf("interval: code %d (not in the table)\n", intervalCode);
    }
    for (int c = 0; c < channels; ++c) {
        const auto& lo = low[static_cast<std::size_t>(c)];
        const auto& hi = high[static_cast<std::size_t>(c)];
        std::printf("channel %d range: %s .. %s\n", c + 1,
                    FormatDecimal(lo.Value(), lo.Decimals()).c_str(),
                    FormatDecimal(hi.Value(), hi.Decimals()).c_str());
    }
    std::printf("clock: %s\n", FormatTime(clock).c_str());
    std::printf("newest record: %s\n", FormatTime(newest).c_str());
    std::printf("write pointer: %u\n", pointer);
    for (int c = 0; c < channels; ++c) {
        const auto raw = *ReadU16LE(live, 2 * static_cast<std::size_t>(c));
        const auto& lo = low[static_cast<std::size_t>(c)];
        const auto& hi = high[static_cast<std::size_t>(c)];
        const float value = lo.Value() + (hi.Value() - lo.Value()) * raw / 65535.0f;
        std::printf("channel %d live: %u (%s)\n", c + 1, raw,
                    FormatDecimal(value, hi.Decimals()).c_str());
    }
    return 0;
}

}  // namespace

Command AddRecorder(CLI::App& parent) {
    auto options = std::make_shared<LinkOptions>();
    CLI::App* command = AddCommand(parent, "recorder", "What the recorder says of itself.",
                                   "recorder [--port COMn] [--model N] [--address N]");
    AddLinkOptions(command, *options);
    return {command, [options] { return RunRecorder(*options); }};
}

}  // namespace vardo::cli
