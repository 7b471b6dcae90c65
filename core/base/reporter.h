#pragma once
// The core never shows anything itself: the system's messages go through this interface, which
// the UI implements with message boxes, vardo-cli with stderr and the tests with a recorder.

#include <string>
#include <string_view>
#include <vector>

namespace vardo {

enum class MessageIcon { Error, Information, Warning };

class Reporter {
  public:
    virtual ~Reporter() = default;
    // title is always "提示..." in this program; the icon says whether an operation failed
    // (Error) or the user's input was refused (Information).
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
};

// Collects messages in memory; used by tests and by callers that decide later what to show.
class RecordingReporter : public Reporter {
  public:
    struct Entry {
        std::string text;
        MessageIcon icon;
    };
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        entries.push_back({std::string(text), icon});
    }
    std::vector<Entry> entries;
};

// Discards everything; for callers that have no one to tell.
class SilentReporter : public Reporter {
  public:
    void ShowMessage(std::string_view, MessageIcon) override {}
};

}  // namespace vardo
