#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/vardo_doc.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "commands.h"
#include "datalist/row_walk.h"
#include "history/ring.h"

namespace vardo::cli {

namespace {

struct DumpOptions {
    std::string file;
    std::optional<VTime> from;
    std::optional<VTime> to;
    bool all = false;
    int step = 1;
    int ascending = 0;
};

int UsageError(const std::string& why) {
    std::fprintf(stderr,
                 "vardo-cli dump: %s\n"
                 "usage: vardo-cli dump FILE [--from T] [--to T] [--all] [--step N] "
                 "[--order newest|oldest]\n"
                 "T is \"YYYY-MM-DD HH:MM:SS\" local time; N is a whole number from 1.\n",
                 why.c_str());
    return 1;
}

std::optional<int> ParseStep(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < 1 || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// Returns an empty string when the arguments are good, else what is wrong with them.
std::string ParseDumpArgs(const Args& args, DumpOptions& o) {
    bool haveStep = false;
    bool haveOrder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--from" || a == "--to") {
            if (!hasValue) return a + " needs a time";
            std::optional<VTime>& slot = a == "--from" ? o.from : o.to;
            if (slot) return a + " given twice";
            slot = ParseTime(args[++i]);
            if (!slot) return "bad time for " + a + ": \"" + args[i] + "\"";
        } else if (a == "--all") {
            if (o.all) return "--all given twice";
            o.all = true;
        } else if (a == "--step") {
            if (!hasValue) return "--step needs a number";
            if (haveStep) return "--step given twice";
            haveStep = true;
            const std::optional<int> step = ParseStep(args[++i]);
            if (!step) return "bad step: \"" + args[i] + "\"";
            o.step = *step;
        } else if (a == "--order") {
            if (!hasValue) return "--order needs newest or oldest";
            if (haveOrder) return "--order given twice";
            haveOrder = true;
            const std::string& order = args[++i];
            if (order == "newest") {
                o.ascending = 0;
            } else if (order == "oldest") {
                o.ascending = 1;
            } else {
                return "bad order: \"" + order + "\"";
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else {
            if (!o.file.empty()) return "more than one file";
            if (a.empty()) return "empty file name";
            o.file = a;
        }
    }
    if (o.file.empty()) return "no file";
    if (o.all && (o.from || o.to)) return "--all takes the whole file; leave out --from and --to";
    return {};
}

// Notes whether the loader had anything to say, so that a silent failure still gets a line.
class CountingReporter : public StderrReporter {
  public:
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        ++count;
        StderrReporter::ShowMessage(text, icon);
    }
    int count = 0;
};

}  // namespace

int RunDump(const Args& args) {
    DumpOptions o;
    if (const std::string why = ParseDumpArgs(args, o); !why.empty()) return UsageError(why);

    CountingReporter reporter;
    CVardoDoc doc(reporter, Home());
    doc.filePath = o.file;
    if (!doc.OpenHistoryFile()) {
        if (reporter.count == 0) reporter.ShowMessage(texts::kOpenFileFailed, MessageIcon::Error);
        return 1;
    }
    const HistoryData& h = doc.history;
    const VTime iv = IntervalTable[h.intervalCode];
    // The data list's first view: the newest 200 records.
    VTime from = h.newestTime - 199 * iv;
    VTime to = h.newestTime;
    if (o.all) {
        from = h.oldestTime;
        to = h.newestTime;
    }
    if (o.from) from = *o.from;
    if (o.to) to = *o.to;

    const std::vector<int> channels = ListedChannels(h);
    std::string out = texts::kColumnNumber;
    out += '\t';
    out += texts::kColumnTime;
    char cell[64];
    for (int ch : channels) {
        std::snprintf(cell, sizeof cell, texts::kColumnChannel, ch + 1);
        out += '\t';
        out += cell;
    }
    out += '\n';

    bool written = true;
    WalkRows(h, from, to, o.step, o.ascending, [&](const WalkedRow& row) {
        std::snprintf(cell, sizeof cell, "%d", row.number);
        out += cell;
        out += '\t';
        out += FormatTime(row.time);
        for (int ch : channels) {
            out += '\t';
            out += ChannelValueText(h, ch, row.slot);
        }
        out += '\n';
        if (out.size() >= (1u << 16)) {
            written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
            out.clear();
        }
    });
    written = written && std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    if (std::fflush(stdout) != 0 || !written) {
        std::fputs("vardo-cli dump: writing the output failed\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace vardo::cli
