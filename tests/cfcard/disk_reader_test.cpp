// The reader counts a sector only when all its bytes arrive, never opens for writing, and finds
// the removable whole disks the kernel lists.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "cfcard/disk_reader.h"
#include "cfcard/removable_drives.h"
#include "support/history_file_builder.h"

namespace vardo::testing {
namespace {

TEST(DiskReader, ASectorCountsOnlyWhenWhole) {
    TempDir dir;
    std::vector<std::uint8_t> bytes(3 * 512 + 100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i / 512 + 1);
    WriteBytes(dir / "card.img", bytes);
    CDiskReader reader;
    ASSERT_EQ(reader.Open(dir / "card.img"), 1);
    std::vector<std::uint8_t> buf(4 * 512);
    struct Case {
        std::uint64_t first;
        std::uint32_t count;
        int ok;
    };
    const Case cases[] = {{0, 3, 1}, {2, 1, 1}, {3, 1, 0},  // 100 bytes of sector 3
                          {1, 3, 0}, {4, 1, 0}, {UINT64_MAX / 512, 1, 0},
                          {0, 0, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(reader.ReadSectors(c.first, c.count, buf.data()), c.ok) << c.first;
        if (c.ok && c.count > 0) {
            EXPECT_EQ(buf[0], c.first + 1);
        }
    }
}

TEST(DiskReader, OpensReadOnlyAndSaysWhyNot) {
    TempDir dir;
    WriteBytes(dir / "card.img", std::string(512, 'x'));
    chmod((dir / "card.img").c_str(), 0444);
    CDiskReader reader;
    EXPECT_EQ(reader.Open(dir / "card.img"), 1);  // a read-only image is enough
    EXPECT_EQ(reader.Open(dir / "missing"), 0);
    EXPECT_EQ(reader.LastError(), ENOENT);
    std::uint8_t sector[512];
    EXPECT_EQ(reader.ReadSectors(0, 1, sector), 0);
    EXPECT_EQ(reader.Open(dir.path()), 0);
    EXPECT_EQ(reader.LastError(), EISDIR);
}

TEST(RemovableDrives, WholeRemovableDisksSortedWithoutOpticalOrFloppy) {
    TempDir sys;
    const std::pair<const char*, const char*> disks[] = {
        {"sdc", "1\n"}, {"sda", "0\n"},     {"sr0", "1\n"},     {"fd0", "1\n"},
        {"sdb", "1"},   {"nvme0n1", "0\n"}, {"mmcblk0", "1\n"}, {"sdd", "10\n"},
    };
    for (const auto& [name, flag] : disks) {
        std::filesystem::create_directory(sys / name);
        WriteBytes(sys / name + "/removable", std::string(flag));
    }
    std::filesystem::create_directory(sys / "loop0");  // no flag at all
    EXPECT_EQ(ListRemovableDrives(sys.path()),
              (std::vector<std::string>{"/dev/mmcblk0", "/dev/sdb", "/dev/sdc"}));
    EXPECT_TRUE(ListRemovableDrives(sys / "none").empty());
}

}  // namespace
}  // namespace vardo::testing
