#pragma once
// Where the program's files live: SetUp.ini, Data/, help.chm sit beside the executable, or in
// VARDO_HOME when that is set (tests, installed setups).

#include <string>

namespace vardo {

// Directory with a trailing '/'.
std::string ModuleDirectory();
std::string SettingsPath();   // ModuleDirectory() + "SetUp.ini"
std::string DataDirectory();  // ModuleDirectory() + "Data"

}  // namespace vardo
