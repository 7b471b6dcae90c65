#pragma once
// What to tell a user whose open of a device was refused: card readers and serial ports are
// reached by group membership, and the group is named on the device itself.

#include <string>

namespace vardo {

// For a permission refusal (err EACCES or EPERM), the group whose members may use the device:
// the device's own group, else fallbackGroup. Empty for other failures.
std::string DevicePermissionHint(const std::string& device, int err,
                                 const char* fallbackGroup = "disk");

}  // namespace vardo
