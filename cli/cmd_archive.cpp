#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "app/archive_auto_add.h"
#include "app/vardo_doc.h"
#include "archive/archive_location.h"
#include "archive/archive_segments.h"
#include "archive/history_add.h"
#include "base/sha256.h"
#include "base/texts.h"
#include "commands.h"
#include "history/ring.h"

namespace vardo::cli {

namespace {

struct ArchiveArgs {
    std::string action;
    std::optional<int> address;
    std::string site;
    std::string url;
    std::vector<std::string> files;
};

std::string Format(const char* format, long long value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "NAME: message", and the engine's reason on a line of its own when there is one.
void Tell(const std::string& name, const char* message, const std::string& reason) {
    std::cerr << name << ": " << message << '\n';
    if (!reason.empty()) std::cerr << reason << '\n';
}

bool ParseAddress(const std::string& text, int& out) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > 255) return false;
    out = value;
    return true;
}

// The options may stand anywhere among the files; "--" ends them.
std::string ParseArgs(const std::vector<std::string>& args, ArchiveArgs& out) {
    if (args.empty()) return "what to do with the archive?";
    out.action = args[0];
    const bool isAdd = out.action == "add";
    if (!isAdd && out.action != "list" && out.action != "sources" && out.action != "verify")
        return "\"" + out.action + "\" is not an archive command";
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && a.starts_with("--")) {
            const bool known = a == "--archive" || (isAdd && (a == "--address" || a == "--site"));
            if (!known) return "unknown option " + a + " for archive " + out.action;
            if (i + 1 >= args.size()) return a + " needs a value";
            const std::string& value = args[++i];
            if (a == "--archive") {
                if (value.empty()) return "--archive needs a value";
                out.url = value;
            } else if (a == "--site") {
                out.site = value;
            } else {
                int address = 0;
                if (!ParseAddress(value, address))
                    return "\"" + value + "\" is not a whole number from 0 to 255";
                out.address = address;
            }
            continue;
        }
        if (!isAdd) return "archive " + out.action + " takes no files";
        if (a.empty()) return "empty path";
        out.files.push_back(a);
    }
    if (isAdd && out.files.empty()) return "archive add needs at least one FILE";
    return {};
}

// Opens the archive or says why not; reading commands never make one.
std::unique_ptr<ArchiveStore> Open(const std::string& url, bool create) {
    ArchiveOpen open = OpenArchive(url, create);
    if (open.status == ArchiveStatus::Ok) return std::move(open.store);
    Tell(ArchiveDisplayName(url), ArchiveStatusMessage(open.status), open.error);
    return nullptr;
}

int ReadFailed(const std::string& url, ArchiveStore& store, ArchiveStatus status) {
    Tell(ArchiveDisplayName(url), ArchiveStatusMessage(status), store.LastError());
    return 1;
}

int Add(const ArchiveArgs& a, const CLI::App& command) {
    auto store = Open(a.url, true);
    if (!store) return 1;
    bool written = WriteOut(std::string(texts::kArchiveAddHeader) + "\n");
    int status = 0;
    for (const std::string& path : a.files) {
        HistoryData h;
        const HistoryOpen loaded = LoadHistoryFile(path, h);
        if (loaded != HistoryOpen::Ok) {
            Tell(path, HistoryOpenMessage(loaded), {});
            status = 1;
            continue;
        }
        HistoryAddRequest request;
        request.path = path;
        request.address = a.address;
        request.site = a.site;
        const HistoryAddResult added = AddHistoryFile(*store, h, request);
        if (added.result == HistoryAdd::NoAddress) {
            Tell(path, texts::kArchiveNoAddress, {});
            status = 1;
            continue;
        }
        if (added.result != HistoryAdd::Added) {
            Tell(path, texts::kArchiveAddFailed, added.error);
            status = 1;
            continue;
        }
        written =
            WriteOut(path + "\t" + Format(texts::kArchiveAddressFormat, added.recorder.address) +
                     "\t" + added.recorder.model + "\t" + std::to_string(added.counts.added) +
                     "\t" + std::to_string(added.counts.same) + "\t" +
                     std::to_string(added.counts.conflicts) + "\n") &&
            written;
        // Each file's row as soon as it is in: a long add shows how far it got.
        written = FlushOut() && written;
    }
    const int out = FinishOutput(command, written);
    return out != 0 ? out : status;
}

int List(const std::string& url, const CLI::App& command) {
    auto store = Open(url, false);
    if (!store) return 1;
    std::vector<ArchiveSegment> segments;
    if (ArchiveStatus s = ListSegments(*store, segments); s != ArchiveStatus::Ok)
        return ReadFailed(url, *store, s);
    bool written = WriteOut(std::string(texts::kArchiveListHeader) + "\n");
    for (const ArchiveSegment& s : segments) {
        written =
            WriteOut(s.recorder.site + "\t" +
                     Format(texts::kArchiveAddressFormat, s.recorder.address) + "\t" +
                     s.recorder.model + "\t" + std::to_string(s.config.channelCount) + "\t" +
                     Format(texts::kArchiveIntervalFormat, IntervalTable[s.config.intervalCode]) +
                     "\t" + FormatTime(s.start) + "\t" + FormatTime(s.end) + "\t" +
                     std::to_string(s.records) + "\n") &&
            written;
    }
    return FinishOutput(command, written);
}

int Sources(const std::string& url, const CLI::App& command) {
    auto store = Open(url, false);
    if (!store) return 1;
    std::vector<SourceInfo> sources;
    if (ArchiveStatus s = store->Sources(sources); s != ArchiveStatus::Ok)
        return ReadFailed(url, *store, s);
    bool written = WriteOut(std::string(texts::kArchiveSourcesHeader) + "\n");
    for (const SourceInfo& s : sources) {
        written = WriteOut(FormatTime(s.addedAt) + "\t" + s.how + "\t" + s.path + "\t" +
                           std::to_string(s.size) + "\t" + s.sha256 + "\t" + s.device + "\t" +
                           s.host + "\t" + s.version + "\n") &&
                  written;
    }
    return FinishOutput(command, written);
}

int Verify(const std::string& url, const CLI::App& command) {
    auto store = Open(url, false);
    if (!store) return 1;
    std::vector<SourceInfo> sources;
    if (ArchiveStatus s = store->Sources(sources); s != ArchiveStatus::Ok)
        return ReadFailed(url, *store, s);
    // A file added again after it changed is checked against its latest add.
    std::vector<std::string> order;
    std::map<std::string, const SourceInfo*> latest;
    for (const SourceInfo& s : sources) {
        if (latest.emplace(s.path, &s).second) {
            order.push_back(s.path);
        } else {
            latest[s.path] = &s;
        }
    }
    bool written = true;
    int status = 0;
    for (const std::string& path : order) {
        const SourceInfo& s = *latest[path];
        std::string hex;
        std::int64_t size = 0;
        const FileHash hash = Sha256OfFile(path, hex, size);
        const char* verdict = texts::kArchiveGone;
        if (hash == FileHash::Ok) {
            verdict =
                hex == s.sha256 && size == s.size ? texts::kArchiveSame : texts::kArchiveChanged;
        }
        if (verdict != texts::kArchiveSame) status = 1;
        written = WriteOut(std::string(verdict) + "\t" + path + "\n") && written;
    }
    const int finished = FinishOutput(command, written);
    return finished != 0 ? finished : status;
}

int RunArchive(const CLI::App& command, const std::vector<std::string>& args) {
    ArchiveArgs a;
    if (std::string why = ParseArgs(args, a); !why.empty()) return UsageError(command, why);
    a.url = ResolveArchiveUrl(Home(), Home() + "SetUp.ini", a.url);
    if (a.action == "add") return Add(a, command);
    if (a.action == "list") return List(a.url, command);
    if (a.action == "sources") return Sources(a.url, command);
    return Verify(a.url, command);
}

}  // namespace

void AddMadeFile(const std::string& path, const char* how, const std::string& device) {
    const MadeFileAdd added = AddMadeFileToArchive(Home(), path, how, device);
    if (added.failed) Tell(path, texts::kArchiveAddFailed, added.reason);
}

Command AddArchive(CLI::App& parent) {
    auto args = std::make_shared<std::vector<std::string>>();
    CLI::App* command = AddCommand(
        parent, "archive",
        "The archive of every recorder's records: add history files to it, list its runs of "
        "records, the files it was given and whether they are still the same.",
        "archive add [--address N] [--site S] [--archive URL] FILE...\n"
        "       vardo-cli archive list [--archive URL]\n"
        "       vardo-cli archive sources [--archive URL]\n"
        "       vardo-cli archive verify [--archive URL]",
        "URL is sqlite:PATH or postgresql://...; without it [Archive] Url of SetUp.ini, else "
        "Archive.db in the home.");
    TakeArgumentsAsTheyStand(command, *args);
    return {command, [command, args] { return RunArchive(*command, *args); }};
}

}  // namespace vardo::cli
