// vardo-cli card and gb2312 as the user runs them: exact texts, exit codes and streams.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/card_image.h"
#include "support/cli_run.h"

namespace vardo::testing {
namespace {

constexpr const char* kDetectFailed = "检测CF卡失败，请检查CF是否连接正确！\n";
constexpr const char* kCardUsage =
    "\nusage: vardo-cli card devices\n"
    "       vardo-cli card list DEVICE\n"
    "       vardo-cli card import DEVICE SLOT\n";

BackupLayout Backup(int slot, const char* model, int channels, int interval, int address) {
    BackupLayout b;
    b.slot = slot;
    b.model = model;
    b.channelCount = channels;
    b.intervalCode = interval;
    b.address = address;
    return b;
}

// A card with backups in slots 0, 1, 5 and 22, faulty ones in 3 and 30, an unknown model in 7.
struct CardFixture : ::testing::Test {
    void SetUp() override {
        backups = {Backup(0, "ZT330", 3, 3, 7), Backup(1, "ZT110", 1, 0, 110),
                   Backup(5, "ZT772", 12, 6, 0), Backup(22, "ZT770", 2, 8, 99)};
        for (const auto& b : backups) image.Add(b);
        BackupLayout faulty = Backup(3, "ZT330", 3, 3, 1);
        faulty.stamp[1] = 0;
        image.Add(faulty);
        faulty = Backup(30, "ZT330", 9, 3, 1);
        faulty.data = false;
        image.Add(faulty);
        image.Add(Backup(7, "ZT999", 3, 3, 1));
        ASSERT_TRUE(image.WriteFile(home / "card.img"));
        WriteBytes(home / "SetUp.ini", std::string("[VarParams]\nType7=十二通道\nExt=dat\n"));
    }
    std::set<std::string> DataFiles() const { return FileNames(home / "Data"); }
    TempDir home;
    CardImage image;
    std::vector<BackupLayout> backups;
};

TEST_F(CardFixture, ListShowsBackupsInSlotOrderAndFaultyOnesOnStderr) {
    const std::string ini = ReadText(home / "SetUp.ini");
    const CliRun run = RunCli(home, {"card", "list", home / "card.img"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "文件\t地址\t开始时间\t结束时间\t仪表类型\t通道数\t记录间隔\n"
              "00.dat\t07\t2026-02-17 07:54:50\t2026-03-04 12:00:00\tZT330\t3\t10秒\n"
              "01.dat\t110\t2026-03-02 23:35:29\t2026-03-04 12:00:00\tZT220\t1\t1秒\n"
              "05.dat\t00\t2026-01-17 23:45:00\t2026-03-04 12:00:00\t十二通道\t12\t60秒\n"
              "22.dat\t99\t2025-03-05 09:56:00\t2026-03-04 12:00:00\tZT770伪彩\t2\t240秒\n");
    EXPECT_EQ(run.err,
              "03.dat: CF卡备份文件有误，请重新备份！\n30.dat: CF卡备份文件有误，请重新备份！\n");
    EXPECT_EQ(ReadText(home / "SetUp.ini"), ini);  // reading changes nothing
    EXPECT_TRUE(DataFiles().empty());
}

TEST_F(CardFixture, ImportWritesTheBackupsFileAndPrintsItsPath) {
    const std::pair<std::string, int> slots[] = {{"05.dat", 2}, {"1", 1}, {"022", 3}};
    for (const auto& [slot, index] : slots) {
        const CliRun run = RunCli(home, {"card", "import", home / "card.img", slot});
        const BackupLayout& b = backups[static_cast<std::size_t>(index)];
        char name[64];
        std::snprintf(name, sizeof name, "%02d@2026-03-04_12-00-00.dat", b.address);
        EXPECT_EQ(run.status, 0) << slot;
        EXPECT_EQ(run.out, home / "Data/" + name + "\n");
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(ReadBytes(home / "Data/" + name) == ExpectedImport(b)) << slot;
    }
}

TEST_F(CardFixture, RefusalsPrintOneMessageAndLeaveNoFile) {
    // Each refusal names what it concerns: the slot's file, the device, the folder.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"import", home / "card.img", "2"}, "02.dat: 该文件不存在！\n"},
        {{"import", home / "card.img", "03.dat"}, "03.dat: CF卡备份文件有误，请重新备份！\n"},
        {{"import", home / "card.img", "7"}, home / "card.img: 扇区损坏！\n"},
        {{"import", home / "missing.img", "0"}, home / "missing.img: " + kDetectFailed},
        {{"list", home / "missing.img"}, home / "missing.img: " + kDetectFailed},
        {{"list", home / "SetUp.ini"}, home / "SetUp.ini: " + kDetectFailed},  // no signature
        {{"import", home / "card.img", "256"}, kCardUsage},
        {{"import", home / "card.img", "123.dat.dat"}, kCardUsage},
        {{"import", home / "card.img", "-1"}, kCardUsage},
        {{"import", home / "card.img"}, kCardUsage},
        {{"erase", home / "card.img"}, kCardUsage},
    };
    for (const auto& [args, err] : cases) {
        std::vector<std::string> all = {"card"};
        all.insert(all.end(), args.begin(), args.end());
        const CliRun run = RunCli(home, all);
        EXPECT_EQ(run.status, 1) << args.back();
        EXPECT_EQ(run.out, "") << args.back();
        // A usage error gives its reason first, then the card's usage.
        if (err[0] == '\n')
            EXPECT_TRUE(run.err.starts_with("vardo-cli card: ") && run.err.ends_with(err))
                << run.err;
        else
            EXPECT_EQ(run.err, err) << args.back();
    }
    EXPECT_TRUE(DataFiles().empty());

    WriteBytes(home / "Data", std::string("a file where the directory belongs"));
    const CliRun run = RunCli(home, {"card", "import", home / "card.img", "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, home / "Data: 建立文件失败！\n");
}

TEST(CliCard, DevicesListsRemovableWholeDisks) {
    TempDir sys;
    for (const char* name : {"sdb", "sda", "sr0"}) {
        std::filesystem::create_directory(sys / name);
        WriteBytes(sys / name + "/removable", std::string(name[1] == 'd' ? "1\n" : "1\n"));
    }
    WriteBytes(sys / "sda/removable", std::string("0\n"));
    setenv("VARDO_SYS_BLOCK", sys.path().c_str(), 1);
    CliRun run = RunCli(sys, {"card", "devices"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "盘符\n/dev/sdb\n");
    EXPECT_EQ(run.err, "");

    setenv("VARDO_SYS_BLOCK", (sys / "sda").c_str(), 1);
    run = RunCli(sys, {"card", "devices"});
    unsetenv("VARDO_SYS_BLOCK");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, kDetectFailed);
}

TEST(CliGb2312, CodesAndCharactersExactly) {
    TempDir home;
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
    };
    const Case cases[] = {
        {{"啊"}, 0, "B0A1\n"},
        {{"-x"}, 0, "2D\n"},
        {{"--code"}, 0, "2D\n"},  // a lone argument is always text
        {{"-h"}, 0, "2D\n"},
        {{"--code", "b0a1"}, 0, "啊\n"},
        {{"--code", "GG"}, 0, "\x10\n"},
        {{"--code", "4142"}, 0, "A\n"},
        {{""}, 1, ""},
        {{"\xB0\xA1"}, 1, ""},
        {{"😀"}, 1, ""},
        {{"--code", "123"}, 1, ""},
        {{"--code", "0041"}, 1, ""},
        {{"--code", "B0"}, 1, ""},
        {{"--code", "FFFF"}, 1, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> all = {"gb2312"};
        all.insert(all.end(), c.args.begin(), c.args.end());
        const CliRun run = RunCli(home, all);
        EXPECT_EQ(run.status, c.status) << c.args.back();
        EXPECT_EQ(run.out, c.out) << c.args.back();
        // A refusal is one line of its own; a result says nothing on stderr.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.status) << c.args.back();
    }
    const CliRun usage = RunCli(home, {"gb2312", "a", "b"});
    EXPECT_EQ(usage.status, 1);
    EXPECT_EQ(usage.out, "");
    EXPECT_TRUE(usage.err.ends_with(
        "\nusage: vardo-cli gb2312 TEXT\n       vardo-cli gb2312 --code CODE\n"));
}

}  // namespace
}  // namespace vardo::testing
