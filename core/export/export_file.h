#pragma once
// The file an export writes: nothing visible until it is complete, then put in place in one
// step. It is an unnamed file in the target's folder, linked at the end; where the file system
// has no unnamed files, a hidden name beside the target that SIGINT, SIGTERM and SIGHUP remove.
// What it replaces is checked first: a folder, a name ending in "/", a file this user may not
// write or does not own are refused; a symbolic link keeps its place and the file it points to
// is replaced.

#include <string>

#include "base/le_bytes.h"
#include "base/unique_fd.h"

namespace vardo {

class ExportFile {
  public:
    // Where the file system has none, or a test wants to see the hidden name's way.
    using OpenUnnamed = int (*)(const char* dir);

    ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;
    // An unfinished file goes, without a trace.
    ~ExportFile();

    void SetOpenUnnamed(OpenUnnamed open) { openUnnamed_ = open; }

    // Checks path and opens the file that will replace it. 0, or the errno that refuses it.
    [[nodiscard]] int Open(const std::string& path);
    [[nodiscard]] bool Write(ByteSpan bytes);
    // A name the file can be opened under by a library that wants one ("/proc/self/fd/N").
    std::string OpenableName() const;
    int Descriptor() const { return fd_.Get(); }
    // The folder the file goes into, once opened.
    const std::string& Folder() const { return dir_; }
    // Flushes, closes and puts the file in place. 0, or the errno of the step that failed; the
    // file is then gone and whatever was at the path is untouched.
    [[nodiscard]] int Commit();
    // Gives up: nothing is left, the path is untouched.
    void Abandon();

    // The file actually replaced: path, or where its symbolic links lead.
    const std::string& Target() const { return target_; }
    // The hidden name while one exists (empty for an unnamed file).
    const std::string& HiddenPath() const { return hidden_; }

  private:
    [[nodiscard]] int CreateHidden();
    void DropHidden();

    OpenUnnamed openUnnamed_;
    std::string target_;
    std::string dir_;
    std::string hidden_;
    UniqueFd fd_;
    bool unnamed_ = false;
    bool exists_ = false;
    unsigned mode_ = 0;
    int group_ = -1;
    int hiddenSlot_ = -1;  // where the signal handlers find hidden_
};

// A name beside name for a temporary file: hidden, with pid and attempt in it, cut so that it
// stays within the 255 bytes a file name may have (at a character's start).
std::string HiddenExportName(const std::string& name, long pid, int attempt);

}  // namespace vardo
