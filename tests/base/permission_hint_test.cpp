#include "base/permission_hint.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

// PermissionHint as a user without rights sees it: run in a child that has become nobody.
std::string HintAsNobody(const std::string& device, bool write, const char* group) {
    int fds[2];
    if (pipe(fds) != 0) return "<pipe>";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const std::string hint = PermissionHint(device, write, group);
        const bool ok =
            ::write(fds[1], hint.data(), hint.size()) == static_cast<ssize_t>(hint.size());
        _exit(ok ? 0 : 3);
    }
    close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "<child failed>";
}

TEST(PermissionHint, NamesTheGroupAndTheCommandOnlyWhenRightsAreMissing) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become a user without rights";
    testing::TempDir dir;
    chmod(dir.path().c_str(), 0755);
    const group* disk = getgrnam("disk");
    ASSERT_NE(disk, nullptr);
    const std::string own = dir / "ttyOwnGroup", rootOnly = dir / "ttyRoot", open = dir / "open";
    for (const std::string& f : {own, rootOnly, open}) testing::WriteBytes(f, std::string());
    chown(own.c_str(), 0, disk->gr_gid);
    chmod(own.c_str(), 0660);
    chmod(rootOnly.c_str(), 0600);
    chmod(open.c_str(), 0644);
    const struct {
        std::string device;
        bool write;
        const char* group;
        std::string hint;
    } cases[] = {
        {own, true, kPortGroup,
         "没有打开 " + own +
             " 的权限：请把用户加入 disk 组（sudo usermod -aG disk $USER），重新登录后再试。"},
        {rootOnly, true, kPortGroup,
         "没有打开 " + rootOnly +
             " 的权限：请把用户加入 dialout 组（sudo usermod -aG dialout "
             "$USER），重新登录后再试。"},
        // A card reader is only ever read.
        {rootOnly, false, kCardGroup,
         "没有打开 " + rootOnly +
             " 的权限：请把用户加入 disk 组（sudo usermod -aG disk $USER），重新登录后再试。"},
        {open, false, kCardGroup, ""},
        {open, true, kPortGroup,
         "没有打开 " + open +
             " 的权限：请把用户加入 dialout 组（sudo usermod -aG dialout "
             "$USER），重新登录后再试。"},
        {dir / "missing", true, kPortGroup, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HintAsNobody(c.device, c.write, c.group), c.hint) << c.device;
    EXPECT_EQ(PermissionHint(rootOnly, true, kPortGroup), "") << "root may";
    EXPECT_EQ(WithPermissionHint("打开串口失败！", rootOnly, true, kPortGroup), "打开串口失败！");
}

}  // namespace
}  // namespace vardo
