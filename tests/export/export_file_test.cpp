// The export file on both of its ways, the unnamed file and the hidden name of a file system
// without unnamed files: what it leaves when it completes, fails or is killed.

#include "export/export_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

using testing::ReadText;
using testing::TempDir;

int NoUnnamedFiles(const char*) {
    errno = EOPNOTSUPP;
    return -1;
}

std::size_t Count(const std::string& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

int Export(const std::string& path, const std::string& text, bool unnamed) {
    ExportFile f;
    if (!unnamed) f.SetOpenUnnamed(NoUnnamedFiles);
    if (const int error = f.Open(path)) return error;
    if (!f.Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})) return EIO;
    return f.Commit();
}

TEST(ExportFile, HiddenNamesStayWithinAFileNamesBytes) {
    const std::string chinese = "数据";  // 6 bytes: a cut must not split a character
    const struct {
        std::string name;
        std::string hidden;
    } cases[] = {
        {"a.csv", ".a.csv.42.0.tmp"},
        {std::string(255, 'x'), "." + std::string(245, 'x') + ".42.0.tmp"},
        {std::string(241, 'x') + chinese, "." + std::string(241, 'x') + "数.42.0.tmp"},
        {std::string(240, 'x') + chinese, "." + std::string(240, 'x') + "数.42.0.tmp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HiddenExportName(c.name, 42, 0), c.hidden) << c.name.size();
        EXPECT_LE(HiddenExportName(c.name, 4194304, 99).size(), 255u);
    }
}

TEST(ExportFile, ReplacesKeepingModeAndLinksOnBothWays) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        const std::string what = unnamed ? "unnamed" : "hidden";
        ASSERT_TRUE(testing::WriteBytes(dir / "old.csv", std::string("old")));
        ::chmod((dir / "old.csv").c_str(), 0640);
        std::filesystem::create_symlink("old.csv", dir / "one");
        std::filesystem::create_symlink(dir / "one", dir / "two");  // a chain, absolute
        EXPECT_EQ(Export(dir / "two", "new", unnamed), 0) << what;
        EXPECT_EQ(ReadText(dir / "old.csv"), "new") << what;
        EXPECT_TRUE(std::filesystem::is_symlink(dir / "two")) << what;
        struct stat st = {};
        ASSERT_EQ(::stat((dir / "old.csv").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << what;

        const std::string longest = dir / std::string(255, 'L');
        EXPECT_EQ(Export(longest, "1", unnamed), 0) << what;
        EXPECT_EQ(Export(longest, "2", unnamed), 0) << what;
        EXPECT_EQ(ReadText(longest), "2") << what;
        EXPECT_EQ(Count(dir.path()), 4u) << what;

        // Given up: whatever was written goes, the old file stays.
        ExportFile f;
        if (!unnamed) f.SetOpenUnnamed(NoUnnamedFiles);
        ASSERT_EQ(f.Open(dir / "old.csv"), 0);
        ASSERT_TRUE(f.Write(ByteSpan(reinterpret_cast<const std::uint8_t*>("xyz"), 3)));
        EXPECT_EQ(f.HiddenPath().empty(), unnamed) << what;
        f.Abandon();
        EXPECT_EQ(ReadText(dir / "old.csv"), "new") << what;
        EXPECT_EQ(Count(dir.path()), 4u) << what;
    }
}

TEST(ExportFile, RefusesWhatItMayNotReplace) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_symlink("folder", dir / "to-folder");
    std::filesystem::create_symlink("loop", dir / "loop");
    ASSERT_TRUE(testing::WriteBytes(dir / "ro", std::string("kept")));
    ::chmod((dir / "ro").c_str(), 0444);
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {"", ENOENT},
        {dir / "folder", EISDIR},
        {dir / "folder/", EISDIR},
        {dir / "to-folder", EISDIR},
        {dir / "new/", EISDIR},
        {dir / "loop", ELOOP},
        {dir / "ro", EACCES},
        {"/dev/null", EINVAL},
        {dir / std::string(256, 'n'), ENAMETOOLONG},
        {dir / "missing/x", ENOENT},
    };
    for (const bool unnamed : {true, false}) {
        for (const auto& c : cases) {
            EXPECT_EQ(Export(c.path, "new", unnamed), c.error) << c.path << unnamed;
        }
    }
    EXPECT_EQ(ReadText(dir / "ro"), "kept");
    EXPECT_EQ(Count(dir.path()), 4u);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

// A child process opens the export the hidden way and is killed while it writes: the signal
// removes the hidden file and still ends the process as the signal would.
TEST(ExportFile, SignalsRemoveTheHiddenFile) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        ASSERT_TRUE(testing::WriteBytes(dir / "old.xls", std::string("old")));
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ExportFile f;
            f.SetOpenUnnamed(NoUnnamedFiles);
            const char ok = f.Open(dir / "old.xls") == 0 && !f.HiddenPath().empty() ? 'y' : 'n';
            if (::write(ready[1], &ok, 1) != 1) ::_exit(2);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(ok, 'y');
        EXPECT_EQ(Count(dir.path()), 2u) << "the hidden file while it writes";
        ::kill(child, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << sig;
        EXPECT_EQ(Count(dir.path()), 1u) << sig;
        EXPECT_EQ(ReadText(dir / "old.xls"), "old");
    }
}

}  // namespace
}  // namespace vardo
