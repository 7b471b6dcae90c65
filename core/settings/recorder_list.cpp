#include "settings/recorder_list.h"

#include "base/model_table.h"
#include "settings/ini_file.h"

namespace vardo {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(text[i]) != lower(prefix[i])) return false;
    }
    return true;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

// Digits only, within [low, high]; the profile functions' lenient reading would take "8x" as 8
// and "" as 0, and a collection must not quietly ask another recorder.
std::optional<int> WholeNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return std::nullopt;
    return v;
}

bool Quoted(std::string_view v) {
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// The blanks the settings reader trims from a value's ends.
bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

// As the profile functions read a value: one pair of quotes around it goes.
std::string Unquoted(std::string value) {
    if (Quoted(value)) value = value.substr(1, value.size() - 2);
    while (!value.empty() && Blank(value.back())) value.pop_back();
    std::size_t lead = 0;
    while (lead < value.size() && Blank(value[lead])) ++lead;
    return value.substr(lead);
}

// Why a parsed entry is unusable, or empty; shared by the reader and the writer.
std::string Refusal(const RecorderEntry& e) {
    if (e.name.empty()) return "no name after \"Recorder:\"";
    if (e.name.size() > kMaxRecorderNameBytes) return "name longer than 64 bytes";
    if (e.port.empty()) return "no Port";
    if (e.port.size() > kMaxRecorderPortBytes) return "Port longer than 4095 bytes";
    if (e.address < 0 || e.address > 255) return "Address is not one of 0..255";
    if (e.modelIndex < 0 || e.modelIndex >= kModelCount) return "JlyIndex is not one of 0..7";
    if (e.baudRate && *e.baudRate <= 0) return "Baudrate is not a whole number above 0";
    if (e.site.size() > kMaxRecorderSiteBytes) return "Site longer than 64 bytes";
    return {};
}

}  // namespace

RecorderList ParseRecorderList(std::string_view text) {
    RecorderList list;
    std::vector<std::string> seen;
    for (const std::string& section : ini::SectionNames(text)) {
        if (!StartsWithNoCase(section, kRecorderSectionPrefix)) continue;
        RecorderEntry e;
        e.name = section.substr(kRecorderSectionPrefix.size());
        auto refuse = [&](std::string reason) {
            list.problems.push_back({section, std::move(reason)});
        };
        bool repeated = false;
        for (const std::string& s : seen) repeated = repeated || SameName(s, section);
        seen.push_back(section);
        // Only the first section of a name is ever read; a second one would be silently ignored.
        if (repeated) {
            refuse("a second section of this name");
            continue;
        }
        auto get = [&](std::string_view key) -> std::optional<std::string> {
            std::string v;
            if (!ini::Lookup(text, section, key, &v)) return std::nullopt;
            return Unquoted(std::move(v));
        };
        e.port = get("Port").value_or("");
        const auto address = get("Address");
        const auto model = get("JlyIndex");
        const auto baud = get("Baudrate");
        e.site = get("Site").value_or("");
        if (e.name.empty() || e.name.size() > kMaxRecorderNameBytes || e.port.empty() ||
            e.port.size() > kMaxRecorderPortBytes) {
            refuse(Refusal(e));
            continue;
        }
        if (!address) {
            refuse("no Address");
            continue;
        }
        if (!model) {
            refuse("no JlyIndex");
            continue;
        }
        const auto a = WholeNumber(*address, 0, 255);
        const auto m = WholeNumber(*model, 0, kModelCount - 1);
        if (!a) {
            refuse("Address \"" + address->substr(0, 16) + "\" is not one of 0..255");
            continue;
        }
        if (!m) {
            refuse("JlyIndex \"" + model->substr(0, 16) + "\" is not one of 0..7");
            continue;
        }
        e.address = *a;
        e.modelIndex = *m;
        if (baud && !baud->empty()) {
            e.baudRate = WholeNumber(*baud, 1, 4000000);
            if (!e.baudRate) {
                refuse("Baudrate \"" + baud->substr(0, 16) + "\" is not a rate in baud");
                continue;
            }
        }
        if (std::string why = Refusal(e); !why.empty()) {
            refuse(std::move(why));
            continue;
        }
        list.recorders.push_back(std::move(e));
    }
    return list;
}

RecorderList ReadRecorderList(const std::string& path) {
    return ParseRecorderList(IniFile(path).Text());
}

std::string ProblemLine(const RecorderProblem& problem) {
    return problem.section + ": " + problem.reason;
}

std::string CheckRecorder(const RecorderEntry& entry) {
    std::string why = Refusal(entry);
    if (why.empty() && entry.name.find_first_of("[]\r\n") != std::string::npos) {
        why = "name with a bracket or a line break";
    }
    // What the reader would take apart differently: quotes it strips, blanks it trims.
    for (const std::string* v : {&entry.name, &entry.port, &entry.site}) {
        if (why.empty() && (Quoted(*v) || (!v->empty() && (Blank(v->front()) || Blank(v->back())))))
            why = "a value in quotes or with blanks at its ends";
    }
    return why;
}

int RemoveRecorder(const std::string& path, const std::string& name) {
    return IniFile(path).RemoveSection(std::string(kRecorderSectionPrefix) + name);
}

int WriteRecorder(const std::string& path, const RecorderEntry& entry) {
    if (!CheckRecorder(entry).empty()) return 0;
    // An absent Baudrate or Site is written empty: the reader takes empty as absent, and the
    // section keeps its place and its other keys.
    return IniFile(path).WriteKeys(
        std::string(kRecorderSectionPrefix) + entry.name,
        {{"Port", entry.port},
         {"Address", std::to_string(entry.address)},
         {"JlyIndex", std::to_string(entry.modelIndex)},
         {"Baudrate", entry.baudRate ? std::to_string(*entry.baudRate) : std::string()},
         {"Site", entry.site}});
}

}  // namespace vardo
