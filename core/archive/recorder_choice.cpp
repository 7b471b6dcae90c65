#include "archive/recorder_choice.h"

#include <algorithm>
#include <cstdio>

#include "base/texts.h"

namespace vardo {

namespace {

bool Matches(const RecorderSummary& r, const RecorderKey& chosen) {
    return r.key.site == chosen.site && r.key.address == chosen.address &&
           (chosen.model.empty() || r.key.model == chosen.model);
}

// The recorder as the user would type it, model left out.
std::string Named(const RecorderKey& k) {
    char address[16];
    std::snprintf(address, sizeof address, "%02d", k.address);
    return k.site.empty() ? std::string(address) : k.site + "/" + address;
}

}  // namespace

bool ParseRecorderChoice(std::string_view text, RecorderKey& out) {
    RecorderKey key;
    const std::size_t slash = text.rfind('/');
    if (slash != std::string_view::npos) {
        key.site = std::string(text.substr(0, slash));
        text.remove_prefix(slash + 1);
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        key.model = std::string(text.substr(colon + 1));
        if (key.model.empty()) return false;
        text = text.substr(0, colon);
    }
    if (text.empty() || text.size() > 3) return false;
    int address = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        address = address * 10 + (c - '0');
    }
    if (address > 255) return false;
    key.address = address;
    out = std::move(key);
    return true;
}

RecorderChoice ChooseRecorder(const std::vector<RecorderSummary>& recorders,
                              const RecorderKey& chosen, RecorderSummary& out) {
    int found = 0;
    for (const RecorderSummary& r : recorders) {
        if (!Matches(r, chosen)) continue;
        if (found++ == 0) out = r;
    }
    if (found == 0) return RecorderChoice::None;
    return found == 1 ? RecorderChoice::Found : RecorderChoice::SeveralModels;
}

std::string RecorderChoiceMessage(RecorderChoice choice, const RecorderKey& chosen,
                                  const std::vector<RecorderSummary>& recorders) {
    char text[512];
    const std::string named = Named(chosen);
    if (choice == RecorderChoice::None) {
        const std::string full = chosen.model.empty() ? named : named + ":" + chosen.model;
        std::snprintf(text, sizeof text, texts::kArchiveNoRecorder, full.c_str());
        return text;
    }
    std::vector<std::string> models;
    for (const RecorderSummary& r : recorders)
        if (Matches(r, chosen)) models.push_back(r.key.model);
    std::sort(models.begin(), models.end());
    std::string list;
    for (const std::string& m : models) list += (list.empty() ? "" : ", ") + m;
    return std::string(texts::kArchiveSeveralModelsHead) + named +
           texts::kArchiveSeveralModelsMiddle + list + texts::kArchiveSeveralModelsTail + named +
           texts::kArchiveSeveralModelsEnd;
}

}  // namespace vardo
