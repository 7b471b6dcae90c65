#include "archive/archive_location.h"

#include <gtest/gtest.h>

#include "../support/history_file_builder.h"

namespace vardo::testing {
namespace {

// --archive first, then [Archive] Url, then Archive.db in the home; Enabled only at 0 stops
// the automatic adding.
TEST(ArchiveLocation, OverrideThenSettingsThenTheHome) {
    struct Case {
        const char* ini;  // nullptr: no SetUp.ini
        const char* override;
        const char* url;  // "@" stands for the home
        bool enabled;
    };
    const Case cases[] = {
        {nullptr, "", "sqlite:@Archive.db", true},
        {"[Archive]\nUrl=\nEnabled=\n", "", "sqlite:@Archive.db", true},
        {"[archive]\nurl = postgresql:///plant?host=/run/pg \nEnabled=1\n", "",
         "postgresql:///plant?host=/run/pg", true},
        {"[Archive]\nUrl=sqlite:/srv/a.db\nEnabled=0\n", "postgres://h/db", "postgres://h/db",
         false},
        {"[Archive]\nEnabled=no\n", "", "sqlite:@Archive.db", false},
        {"[Other]\nUrl=sqlite:/x\nEnabled=0\n", "", "sqlite:@Archive.db", true},
    };
    for (const Case& c : cases) {
        TempDir home;
        const std::string ini = home / "SetUp.ini";
        if (c.ini != nullptr) ASSERT_TRUE(WriteBytes(ini, std::string(c.ini)));
        std::string expected = c.url;
        if (const auto at = expected.find('@'); at != std::string::npos)
            expected.replace(at, 1, home.path() + "/");
        EXPECT_EQ(ResolveArchiveUrl(home.path() + "/", ini, c.override), expected) << c.url;
        EXPECT_EQ(ArchiveAddingEnabled(ini), c.enabled) << (c.ini ? c.ini : "none");
    }
    EXPECT_EQ(ArchiveDisplayName("sqlite:/a/Archive.db"), "/a/Archive.db");
    EXPECT_EQ(ArchiveDisplayName("postgresql:///db"), "postgresql:///db");
}

}  // namespace
}  // namespace vardo::testing
