#pragma once
// The recorders an unattended collection visits: every section of SetUp.ini named
// "Recorder:NAME", in file order. A section that cannot be used is refused by name with its
// reason, and the others still count.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardo {

inline constexpr std::string_view kRecorderSectionPrefix = "Recorder:";
// Hand-written settings are bounded before anything is built from them.
inline constexpr std::size_t kMaxRecorderNameBytes = 64;
inline constexpr std::size_t kMaxRecorderPortBytes = 4095;
inline constexpr std::size_t kMaxRecorderSiteBytes = 64;

struct RecorderEntry {
    std::string name;
    std::string port;  // COMn (through [Ports]), a device path, or tcp://HOST:PORT, as written
    int address = 0;
    int modelIndex = 0;           // JlyIndex
    std::optional<int> baudRate;  // [ComSet]'s when absent
    std::string site;             // the archive's site; empty unless given
    bool operator==(const RecorderEntry&) const = default;
};

struct RecorderProblem {
    std::string section;  // "Recorder:NAME" as written
    std::string reason;
};

struct RecorderList {
    std::vector<RecorderEntry> recorders;
    std::vector<RecorderProblem> problems;  // in file order
};

// Pure: the list a settings text (UTF-8) describes.
RecorderList ParseRecorderList(std::string_view text);
// The list of the settings file at path (a missing file has none).
RecorderList ReadRecorderList(const std::string& path);

// "Recorder:NAME: reason", the line a refused section is told by.
std::string ProblemLine(const RecorderProblem& problem);

// Why a recorder cannot be written as it stands (empty when it can): the same rules the reader
// applies, so that what the dialog saves reads back.
std::string CheckRecorder(const RecorderEntry& entry);
// Writes the recorder's section, replacing the one of its name; 1 on success, 0 when the entry
// is refused or the file cannot be written.
[[nodiscard]] int WriteRecorder(const std::string& path, const RecorderEntry& entry);
// Removes the recorder's section; 1 on success.
[[nodiscard]] int RemoveRecorder(const std::string& path, const std::string& name);

}  // namespace vardo
