#pragma once
// A writer that failed knows only that it failed; the user needs to know why. These find out
// after the fact by trying the first steps again, the way the writer took them, and leave
// nothing behind.

#include <string>

namespace vardo {

// Why a new file at path could not be made, in the system's words: the folder missing, no
// right to write in it or to replace the file there, a folder of that name, a full disk. Empty
// when nothing stands in the way now.
std::string FileCreateRefusalReason(const std::string& path);
// Why no new file can be made in folder (a writer that names its files itself): likewise.
std::string FolderWriteRefusalReason(const std::string& folder);

// The system's message with "path: reason" as its second line, when there is a reason.
std::string WithReason(const std::string& message, const std::string& path,
                       const std::string& reason);

}  // namespace vardo
