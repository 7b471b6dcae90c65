#pragma once
// The card readers the user can choose from: whole-disk block devices the kernel marks removable.

#include <string>
#include <vector>

namespace vardo {

inline constexpr const char* kSysBlockRoot = "/sys/block";

// "/dev/NAME" for every NAME under sysBlockRoot whose "removable" reads "1", except optical
// (sr*) and floppy (fd*) drives, sorted by name.
std::vector<std::string> ListRemovableDrives(const std::string& sysBlockRoot = kSysBlockRoot);

}  // namespace vardo
