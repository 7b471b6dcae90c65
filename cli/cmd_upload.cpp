// vardo-cli upload: history from the recorder into a new file in Data/, as the upload dialog
// would make it.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <sstream>

#include "archive/archive_store.h"
#include "base/permission_hint.h"
#include "commands.h"
#include "link/recorder_link.h"
#include "link/serial_upload.h"
#include "link_options.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

// Ctrl-C, TERM or a closed terminal stop the upload between blocks, so that the writer removes
// what it had; the process then ends by the same signal, as it would have without us.
std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t stopSignal = 0;
// The port of the upload under way: a stop also ends its exchange, whatever its time-outs.
// Interrupt only stores a flag and writes to an eventfd, which a handler may do.
std::atomic<CSerialPort*> running{nullptr};

extern "C" void OnStopSignal(int sig) {
    stopSignal = sig;
    stopRequested = true;
    if (CSerialPort* port = running.load()) port->Interrupt();
}

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

// "1,3": channel numbers from 1, at least one.
bool ParseChannels(const std::string& text, std::array<bool, kMaxChannels>& out) {
    out.fill(false);
    std::stringstream in(text);
    std::string item;
    bool any = false;
    while (std::getline(in, item, ',')) {
        if (item.empty() || item.size() > 2 ||
            item.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        const int v = std::stoi(item);
        if (v < 1 || v > kMaxChannels) return false;
        out[static_cast<std::size_t>(v - 1)] = true;
        any = true;
    }
    return any && (text.empty() || text.back() != ',');
}

struct UploadOptions {
    bool all = false;
    std::optional<VTime> from;
    std::optional<VTime> to;
    std::optional<std::array<bool, kMaxChannels>> channels;
    LinkOptions link;
};

int RunUpload(const CLI::App& command, const UploadOptions& o) {
    if (o.all && (o.from || o.to)) return UsageError(command, "--all takes no --from or --to");
    if (!o.all && !(o.from && o.to)) return UsageError(command, "give --all, or --from and --to");
    const std::string settingsPath = Home() + "SetUp.ini";
    CommSettings cs;
    if (!LoadLinkSettings(settingsPath, o.link, cs)) return 1;

    UploadChoice choice;
    choice.all = o.all;
    choice.start = o.from.value_or(0);
    choice.end = o.to.value_or(0);
    const bool explicitChannels = o.channels.has_value();
    if (explicitChannels) {
        choice.channels = *o.channels;
    } else {
        choice.channels.fill(true);
    }

    const std::string port = PortDevice(settingsPath, cs.portName);
    PathReporter device(port);
    CRecorderLink link;
    if (!link.Open(cs, settingsPath)) {
        ReportUpload(UploadStatus::OpenFailed, device);
        ReportPortRefusal(port);
        return 1;
    }
    CSerialUpload upload(link, cs.modelIndex);
    UploadStatus status = upload.ReadTimeRange();
    // Channels the recorder does not have are a mistake in the list, not something to skip.
    bool beyond = false;
    for (int i = upload.Range().channelCount; i < kMaxChannels && explicitChannels; ++i) {
        beyond = beyond || choice.channels[static_cast<std::size_t>(i)];
    }
    if (status == UploadStatus::Done && beyond) status = UploadStatus::NoChannels;
    if (status == UploadStatus::Done) status = upload.Prepare(choice);
    if (status == UploadStatus::NoChannels) {
        link.Close();
        std::fprintf(stderr, "vardo-cli upload: the recorder has channels 1..%d\n",
                     upload.Range().channelCount);
        return 1;
    }
    if (status == UploadStatus::Done) {
        UploadTarget target;
        target.extension = ReadModelList(settingsPath).ext;
        target.address = cs.address;
        target.home = Home();
        std::uint32_t shownPercent = 101;
        running = &link.port;
        CatchStopSignals();
        status = upload.Run(
            target,
            [&](std::uint32_t done, std::uint32_t total) {
                const std::uint32_t percent = total == 0 ? 100 : done * 100 / total;
                if (percent == shownPercent && done != total) return;
                shownPercent = percent;
                std::fprintf(stderr, "%u/%u\n", done, total);
            },
            &stopRequested);
        running = nullptr;
    }
    link.Close();
    if (status == UploadStatus::Stopped && stopSignal != 0) {
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
    }
    if (status != UploadStatus::Done) {
        // The recorder's failures name its device, the file's its folder; a refused span is
        // the user's.
        PathReporter folder(Home() + "Data");
        StderrReporter plain;
        Reporter& reporter = status == UploadStatus::CommFailed   ? static_cast<Reporter&>(device)
                             : status == UploadStatus::FileFailed ? folder
                                                                  : plain;
        ReportUpload(status, reporter);
        return 1;
    }
    const int written = FinishOutput(command, WriteOut(upload.OutputPath() + "\n"));
    AddMadeFile(upload.OutputPath(), kSourceUpload, port);
    return written;
}

}  // namespace

Command AddUpload(CLI::App& parent) {
    auto o = std::make_shared<UploadOptions>();
    CLI::App* command =
        AddCommand(parent, "upload", "History from the recorder into a new file in Data/.",
                   "upload [--all | --from T --to T] [--channels LIST] [--port COMn] [--model N] "
                   "[--address N]",
                   "T is \"YYYY-MM-DD HH:MM:SS\" local time; LIST is channel numbers such as 1,3.");
    command->add_flag("--all", o->all, "everything the recorder holds")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddTimeOption(command, "--from", o->from, "the start of the span");
    AddTimeOption(command, "--to", o->to, "the end of the span");
    const CLI::Validator isChannelList(
        [](std::string& text) -> std::string {
            std::array<bool, kMaxChannels> channels{};
            return ParseChannels(text, channels) ? "" : "takes channel numbers 1..12, such as 1,3";
        },
        "");
    command
        ->add_option_function<std::string>(
            "--channels",
            [o](const std::string& text) {
                o->channels.emplace();
                ParseChannels(text, *o->channels);
            },
            "the channels to upload (all by default)")
        ->type_name("LIST")
        ->check(isChannelList);
    AddLinkOptions(command, o->link);
    return {command, [command, o] { return RunUpload(*command, *o); }};
}

}  // namespace vardo::cli
