#pragma once
// A port or a card reader that the user may not open is the commonest first-day failure on
// Linux: the device belongs to a group (dialout, disk) the user is not in. The system's message
// stays as it is; this is the line that goes under it.

#include <string>

namespace vardo {

inline constexpr const char* kPortGroup = "dialout";
inline constexpr const char* kCardGroup = "disk";

// When device exists but this user lacks the rights to open it for reading (and writing, when
// write is set): the hint naming the device's group (fallbackGroup where that is root) and the
// command that joins it. Empty otherwise: a missing device, a busy one, or rights that are there.
std::string PermissionHint(const std::string& device, bool write, const char* fallbackGroup);

// The system's message about device with the hint as its second line, when there is one: what a
// dialog's message box shows after "打开串口失败！" or "检测CF卡失败，请检查CF是否连接正确！".
std::string WithPermissionHint(const std::string& message, const std::string& device, bool write,
                               const char* fallbackGroup);

}  // namespace vardo
