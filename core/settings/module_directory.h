#pragma once
// Where the program's files live (SetUp.ini, Data/, help.chm): the home. One rule for the
// desktop program and vardo-cli:
//   1. VARDO_HOME when it is set (tests, setups of one's own);
//   2. the executable's directory when it already holds a SetUp.ini, or when it can be written
//      and is not an installed layout: a copy unpacked anywhere keeps everything beside itself;
//   3. else $XDG_DATA_HOME/vardo (~/.local/share/vardo by default), where an installed program
//      keeps a user's settings and data.

#include <string>

namespace vardo {

// What the rule looks at, gathered from the environment and the file system.
struct HomeProbe {
    std::string vardoHome;  // VARDO_HOME; empty when unset
    std::string exeDir;     // the executable's directory, ending in '/'
    bool exeDirHasSettings = false;
    bool exeDirWritable = false;
    bool installed = false;   // the executable sits in bin/ of a prefix with share/doc/vardo
    std::string xdgDataHome;  // XDG_DATA_HOME; empty when unset
    std::string userHome;     // HOME
};

HomeProbe ProbeHome();
// The home for a probe, ending in '/'.
std::string ResolveHome(const HomeProbe& probe);

// The home in use, ending in '/'.
std::string ModuleDirectory();
std::string SettingsPath();   // ModuleDirectory() + "SetUp.ini"
std::string DataDirectory();  // ModuleDirectory() + "Data"

// The home and its Data/ folder, made when missing (the program's first start). 1 when both
// exist afterwards.
int CreateHome(const std::string& home);

// The executable's directory, ending in '/'.
std::string ExecutableDirectory();
// Our own guide and documents beside an installed executable: <prefix>/share/doc/vardo/.
std::string InstalledDocDirectory(const std::string& exeDir);

}  // namespace vardo
