#pragma once
// The history files of a folder, as the browser lists them.

#include <string>
#include <vector>

namespace vardo {

// Names (bytes, no path) of the regular files in dir whose name ends in "." + extension, the
// extension compared without regard to case as the Windows file system did, sorted by name.
// Hidden names (an upload still being written) are left out.
std::vector<std::string> ListHistoryFiles(const std::string& dir, const std::string& extension);

}  // namespace vardo
