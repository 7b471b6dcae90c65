// vardo-cli upload: history from the recorder into a new file in Data/, as the upload dialog
// would make it.

#include <cstdio>
#include <iostream>
#include <sstream>

#include "commands.h"
#include "link/recorder_link.h"
#include "link/serial_upload.h"
#include "link_options.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

int UsageError(const char* what) {
    std::fprintf(stderr, "vardo-cli upload: %s\n", what);
    return 1;
}

// "1,3": channel numbers from 1, at least one.
bool ParseChannels(const std::string& text, std::array<bool, kMaxChannels>& out) {
    out.fill(false);
    std::stringstream in(text);
    std::string item;
    bool any = false;
    while (std::getline(in, item, ',')) {
        long v = 0;
        if (!ParseNumber(item, v) || v < 1 || v > kMaxChannels) return false;
        out[static_cast<std::size_t>(v - 1)] = true;
        any = true;
    }
    return any && (text.empty() || text.back() != ',');
}

}  // namespace

int RunUpload(const Args& args) {
    const std::string settingsPath = Home() + "SetUp.ini";
    CommSettings cs;
    LoadCommSettings(settingsPath, cs);

    UploadChoice choice;
    choice.channels.fill(true);
    bool explicitChannels = false;
    bool haveFrom = false;
    bool haveTo = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (opt == "--all") {
            choice.all = true;
            continue;
        }
        if (i + 1 >= args.size()) return UsageError(("missing value after " + opt).c_str());
        const std::string& value = args[++i];
        const int applied = ApplyLinkOption(opt, value, cs);
        if (applied < 0) return 1;
        if (applied > 0) continue;
        if (opt == "--from" || opt == "--to") {
            const auto t = ParseTime(value);
            if (!t) return UsageError("times are \"YYYY-MM-DD HH:MM:SS\"");
            (opt == "--from" ? choice.start : choice.end) = *t;
            (opt == "--from" ? haveFrom : haveTo) = true;
        } else if (opt == "--channels") {
            if (!ParseChannels(value, choice.channels)) {
                return UsageError("--channels takes channel numbers 1..12, such as 1,3");
            }
            explicitChannels = true;
        } else {
            return UsageError(("unknown option " + opt).c_str());
        }
    }
    if (choice.all && (haveFrom || haveTo)) return UsageError("--all takes no --from or --to");
    if (!choice.all && !(haveFrom && haveTo)) return UsageError("give --all, or --from and --to");

    if (!CheckModelIndex(cs)) return 1;
    StderrReporter reporter;
    CRecorderLink link;
    if (!link.Open(&cs, settingsPath)) {
        ReportUpload(UploadStatus::OpenFailed, reporter);
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
        status = upload.Run(
            target,
            [&](std::uint32_t done, std::uint32_t total) {
                const std::uint32_t percent = total == 0 ? 100 : done * 100 / total;
                if (percent == shownPercent && done != total) return;
                shownPercent = percent;
                std::fprintf(stderr, "%u/%u\n", done, total);
            },
            nullptr);
    }
    link.Close();
    if (status != UploadStatus::Done) {
        ReportUpload(status, reporter);
        return 1;
    }
    std::cout << upload.OutputPath() << '\n';
    return 0;
}

}  // namespace vardo::cli
