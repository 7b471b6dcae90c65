#pragma once
// Every history file the program makes goes into the archive as soon as it is complete, unless
// SetUp.ini says [Archive] Enabled=0. The file is made first and stays whatever the archive
// says: a failed add is only told.

#include <string>

#include "base/reporter.h"

namespace vardo {

struct MadeFileAdd {
    bool failed = false;
    std::string reason;  // the second line of the message: why the add failed
};

// Adds the history file at path, just made in home by how (kSourceUpload, kSourceCard,
// kSourceLive) from device, to the archive [Archive] Url names (Archive.db in home by default).
[[nodiscard]] MadeFileAdd AddMadeFileToArchive(const std::string& home, const std::string& path,
                                               const char* how, const std::string& device);

// The same, telling a failure through reporter: "添加到档案库失败！" and the reason below.
void AddMadeFileAndTell(Reporter& reporter, const std::string& home, const std::string& path,
                        const char* how, const std::string& device);

}  // namespace vardo
