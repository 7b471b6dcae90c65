// Why a file could not be made, found after the fact, as the system words it.

#include "base/file_refusal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/history_file_builder.h"

namespace vardo {
namespace {

TEST(FileRefusal, NamesWhatStandsInTheWayAndNothingWhenNothingDoes) {
    testing::TempDir home;
    const std::string h = home.path();
    std::filesystem::create_directories(h + "/folder.xls");
    std::filesystem::create_directories(h + "/locked");
    ::chmod((h + "/locked").c_str(), 0555);
    testing::WriteBytes(h + "/plain", std::string("x"));
    // Root writes anywhere: the rights cases only mean something for a user.
    const bool user = ::geteuid() != 0;
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {h + "/new.xls", ""},
        {h + "/plain", ""},
        {h + "/folder.xls", "Is a directory"},
        {h + "/no/such/new.xls", "No such file or directory"},
        {h + "/plain/new.xls", "Not a directory"},
        {h + "/locked/new.xls", user ? "Permission denied" : ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FileCreateRefusalReason(c.path), c.reason) << c.path;
    EXPECT_EQ(FolderWriteRefusalReason(h), "");
    EXPECT_EQ(FolderWriteRefusalReason(h + "/plain"), "Not a directory");
    EXPECT_EQ(FolderWriteRefusalReason(h + "/gone"), "No such file or directory");
    // The probe leaves nothing behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h),
                            std::filesystem::directory_iterator()),
              3);
    EXPECT_EQ(WithReason("文件建立失败！", "/x", "Is a directory"),
              "文件建立失败！\n/x: Is a directory");
    EXPECT_EQ(WithReason("文件建立失败！", "/x", ""), "文件建立失败！");
    ::chmod((h + "/locked").c_str(), 0755);
}

}  // namespace
}  // namespace vardo
