// vardo-cli collect: what is new on every recorder of the list into Data/ and the archive; run
// by the systemd timer without anyone present. --list shows the list.

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <mutex>

#include "app/collect_archive.h"
#include "base/texts.h"
#include "collect/collector.h"
#include "commands.h"
#include "settings/recorder_list.h"
#include "settings/setup_ini.h"

namespace vardo::cli {

namespace {

// Ctrl-C, TERM (systemd stopping the service) or a closed terminal stop every upload between
// blocks, so that the writers remove what they had; the process then ends by the same signal.
std::atomic<bool> stopRequested{false};
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnCollectStopSignal(int sig) {
    stopSignal = sig;
    stopRequested = true;
}

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnCollectStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

struct CollectOptions {
    bool list = false;
    std::string archive;
    std::vector<std::string> names;
};

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void Tell(const std::string& name, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), message.c_str());
}

int List(const CLI::App& command, const RecorderList& list, const std::string& settingsPath) {
    const ModelList models = ReadModelList(settingsPath);
    bool written = WriteOut(std::string(texts::kCollectListHeader) + "\n");
    for (const RecorderEntry& r : list.recorders) {
        char address[8];
        std::snprintf(address, sizeof address, "%02d", r.address);
        written =
            WriteOut(r.name + "\t" + r.port + "\t" + address + "\t" +
                     models.names[static_cast<std::size_t>(r.modelIndex)] + "\t" + r.site + "\n") &&
            written;
    }
    return FinishOutput(command, written);
}

int RunCollect(const CLI::App& command, const CollectOptions& o) {
    const std::string settingsPath = Home() + "SetUp.ini";
    RecorderList list = ReadRecorderList(settingsPath);
    bool refused = false;
    std::vector<RecorderEntry> chosen;
    if (o.names.empty()) {
        for (const RecorderProblem& p : list.problems) {
            std::fprintf(stderr, "%s\n", ProblemLine(p).c_str());
            refused = true;
        }
        chosen = list.recorders;
    } else {
        for (const std::string& name : o.names) {
            auto r = std::find_if(list.recorders.begin(), list.recorders.end(),
                                  [&](const RecorderEntry& e) { return SameName(e.name, name); });
            if (r != list.recorders.end()) {
                chosen.push_back(*r);
                continue;
            }
            refused = true;
            auto p = std::find_if(
                list.problems.begin(), list.problems.end(), [&](const RecorderProblem& e) {
                    return SameName(e.section.substr(kRecorderSectionPrefix.size()), name);
                });
            if (p != list.problems.end()) {
                std::fprintf(stderr, "%s\n", ProblemLine(*p).c_str());
            } else {
                std::fprintf(stderr, "vardo-cli collect: no [%s%s] in %s\n",
                             std::string(kRecorderSectionPrefix).c_str(), name.c_str(),
                             settingsPath.c_str());
            }
        }
    }
    if (o.list) {
        list.recorders = chosen;
        return List(command, list, settingsPath) == 0 && !refused ? 0 : 1;
    }
    if (chosen.empty()) {
        if (!refused) {
            std::fprintf(stderr, "vardo-cli collect: no [%sNAME] sections in %s\n",
                         std::string(kRecorderSectionPrefix).c_str(), settingsPath.c_str());
        }
        return refused ? 1 : 0;
    }

    std::vector<std::string> failure;
    ArchiveOpen open = OpenCollectArchive(Home(), settingsPath, o.archive, failure);
    if (open.status != ArchiveStatus::Ok) {
        for (const std::string& line : failure) std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }
    CollectSetup setup;
    setup.settingsPath = settingsPath;
    setup.home = Home();
    setup.archive = open.store.get();
    setup.addFile = AddCollectedFile;
    CatchStopSignals();
    bool written = true;
    bool failed = refused;
    const auto results = RunCollection(
        chosen, setup, {},
        [&](std::size_t, const CollectResult& r) {
            for (const std::string& w : r.warnings) Tell(r.name, w);
            if (!r.collected) {
                failed = true;
                // A stop is the user's: the signal ends the process below.
                if (!r.stopped) {
                    for (const std::string& line : r.failure) Tell(r.name, line);
                }
                return;
            }
            char row[64];
            std::snprintf(row, sizeof row, "\t新增 %lld\t", static_cast<long long>(r.added));
            written = WriteOut(r.name + row + r.path + "\n") && written;
            // The journal shows each recorder as it is done.
            written = FlushOut() && written;
        },
        &stopRequested);
    if (stopSignal != 0) {
        std::fflush(stdout);
        std::signal(stopSignal, SIG_DFL);
        std::raise(stopSignal);
    }
    const int status = FinishOutput(command, written);
    return failed ? 1 : status;
}

}  // namespace

Command AddCollect(CLI::App& parent) {
    auto o = std::make_shared<CollectOptions>();
    CLI::App* command = AddCommand(
        parent, "collect",
        "What is new on the recorders of SetUp.ini's [Recorder:NAME] sections into Data/ and the "
        "archive.",
        "collect [--list] [--archive URL] [NAME...]",
        "Without NAME every recorder of the list; --list shows the list and collects nothing.");
    command->footer(
        "\nThe recorder list: every section of SetUp.ini named [Recorder:NAME], in file order:\n"
        "  Port      COMn (through [Ports]), a device path, or tcp://HOST:PORT\n"
        "  Address   the recorder's address, 0..255\n"
        "  JlyIndex  the model index, 0..7\n"
        "  Baudrate  optional; [ComSet]'s by default\n"
        "  Site      optional; the archive's site (recorders with the same address and model\n"
        "            need different sites)\n"
        "A section with a missing or bad key is refused (\"Recorder:NAME: why\" on stderr) and "
        "the\n"
        "others still run. Each recorder gives what it recorded since the archive's newest record\n"
        "of it (its whole memory the first time) into a new file in Data/, added to the archive;\n"
        "recorders on different ports at the same time, those sharing a port in turn. Stdout has\n"
        "one row per recorder collected, \"NAME<TAB>新增 N<TAB>PATH\" (PATH empty when nothing "
        "was\n"
        "new); records the recorder overwrote before they were collected, a clock more than 60 s\n"
        "off and every failure are told on stderr as \"NAME: message\". Exit status 0 when every\n"
        "recorder was collected, else 1. A run stopped or killed leaves no file and no record of\n"
        "its unfinished uploads; the next run takes the same span.\n"
        "Every 15 minutes without anyone present: systemctl --user enable --now "
        "vardo-collect.timer\n"
        "(journalctl --user -u vardo-collect shows each run).");
    command->add_flag("--list", o->list, "show the recorder list")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    command->add_option("--archive", o->archive, "the archive (sqlite:PATH or postgresql://...)")
        ->type_name("URL");
    command->add_option("NAME", o->names, "the recorders to collect");
    return {command, [command, o] { return RunCollect(*command, *o); }};
}

}  // namespace vardo::cli
