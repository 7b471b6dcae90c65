#include "settings/module_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

TEST(ModuleDirectory, TheHomeRule) {
    const struct Case {
        const char* what;
        HomeProbe probe;
        const char* home;
    } cases[] = {
        {"set", {"/srv/vardo", "/opt/v/bin/", true, true, false, "/x", "/home/u"}, "/srv/vardo/"},
        {"portable with settings, read-only",
         {"", "/media/usb/vardo/", true, false, false, "", "/home/u"},
         "/media/usb/vardo/"},
        {"portable, writable",
         {"", "/home/u/vardo/", false, true, false, "", "/home/u"},
         "/home/u/vardo/"},
        {"read-only folder",
         {"", "/usr/bin/", false, false, false, "", "/home/u"},
         "/home/u/.local/share/vardo/"},
        {"installed, writable (root)",
         {"", "/usr/bin/", false, true, true, "", "/root"},
         "/root/.local/share/vardo/"},
        {"installed with settings beside it",
         {"", "/usr/bin/", true, true, true, "", "/root"},
         "/usr/bin/"},
        {"XDG_DATA_HOME",
         {"", "/usr/bin/", false, false, true, "/data/u", "/home/u"},
         "/data/u/vardo/"},
        {"XDG_DATA_HOME relative is ignored",
         {"", "/usr/bin/", false, false, true, "data", "/home/u"},
         "/home/u/.local/share/vardo/"},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolveHome(c.probe), c.home) << c.what;
}

TEST(ModuleDirectory, TheFirstStartMakesTheHomeAndItsDataFolder) {
    testing::TempDir dir;
    EXPECT_EQ(CreateHome(dir / "a/b/vardo"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/vardo/Data"));
    testing::WriteBytes(dir / "file", std::string("x"));
    EXPECT_EQ(CreateHome(dir / "file/vardo"), 0);
}

}  // namespace
}  // namespace vardo
