// What every vardo-cli command shares: help, usage, version, and a home that reading leaves alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "../support/card_image.h"
#include "../support/cli_run.h"
#include "recorder_server.h"
#include "settings/setup_ini.h"

namespace vardo {
namespace {

using testing::CliRun;
using testing::RunCli;

TEST(CliCommands, HelpOnStdoutUsageErrorsOnStderr) {
    testing::TempDir home;
    const CliRun bare = RunCli(home, {});
    EXPECT_EQ(bare.status, 1);
    EXPECT_EQ(bare.out, "");
    EXPECT_TRUE(bare.err.starts_with(
        "usage: vardo-cli info FILE\n       vardo-cli dump FILE|--recorder R "));
    for (const char* command : {"info", "dump", "envelope", "upload", "recorder", "home"}) {
        EXPECT_NE(bare.err.find(std::string("vardo-cli ") + command), std::string::npos) << command;
        const CliRun help = RunCli(home, {command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.err, "") << command;
        EXPECT_TRUE(help.out.starts_with(std::string("usage: vardo-cli ") + command)) << help.out;
    }
    const CliRun help = RunCli(home, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with(bare.err)) << help.out;
    const CliRun version = RunCli(home, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("vardo-cli ")) << version.out;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"foo"},
                                                 {"--bogus"},
                                                 {"recorder", "--address", "256"},
                                                 {"recorder", "--model", "+1"},
                                                 {"recorder", "--port", ""}}) {
        const CliRun r = RunCli(home, args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_EQ(r.out, "") << args.back();
        EXPECT_NE(r.err.find("\nusage: vardo-cli "), std::string::npos) << r.err;
    }
}

TEST(CliCommands, HomeNamesTheFolderInUseByWhereTheProgramLies) {
    testing::TempDir dir;
    const std::string user = dir / "user";
    struct Case {
        const char* bin;  // where vardo-cli is copied, under dir
        bool installed, settings;
        std::string env, home;
    } cases[] = {
        {"portable", false, false, "", dir / "portable"},
        {"prefix/bin", true, false, "", user + "/.local/share/vardo"},
        {"prefix/bin", true, false, "XDG_DATA_HOME=" + (dir / "xdg"), dir / "xdg/vardo"},
        {"prefix/bin", true, true, "", dir / "prefix/bin"},
        {"prefix/bin", true, false, "VARDO_HOME=" + (dir / "set/"), dir / "set"},
    };
    for (const Case& c : cases) {
        const std::string bin = dir / c.bin;
        std::filesystem::create_directories(bin);
        std::filesystem::copy_file(std::string(VARDO_BIN_DIR) + "/vardo-cli", bin + "/vardo-cli",
                                   std::filesystem::copy_options::overwrite_existing);
        if (c.installed) std::filesystem::create_directories(bin + "/../share/doc/vardo");
        std::filesystem::remove(bin + "/SetUp.ini");
        if (c.settings) testing::WriteBytes(bin + "/SetUp.ini", std::string());
        const std::string out = dir / "out.txt";
        const std::string command =
            "env -u VARDO_HOME -u XDG_DATA_HOME HOME=" + testing::ShellQuote(user) + " " + c.env +
            " " + testing::ShellQuote(bin + "/vardo-cli") + " home >" + testing::ShellQuote(out);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(testing::ReadText(out), c.home + "\n") << command;
    }
    EXPECT_FALSE(std::filesystem::exists(user)) << "asking is not using";
}

// Every file under the home with its bytes, but for what the test's own runs leave there.
std::map<std::string, std::string> Snapshot(const std::string& home) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home)) {
        const std::string name = e.path().filename();
        if (name == "out.txt" || name == "err.txt") continue;
        files[e.path()] = e.is_regular_file() ? testing::ReadText(e.path()) : "(folder)";
    }
    return files;
}

TEST(CliCommands, ReadingLeavesTheHomeAsItWasGoodFileOrBad) {
    for (const bool withSettings : {true, false}) {
        testing::TempDir home;
        std::filesystem::create_directory(home / "Data");
        if (withSettings) {
            ASSERT_TRUE(testing::WriteBytes(
                home / "SetUp.ini",
                std::string("[FileSet]\r\nLastFile=/somewhere/01@2024-05-06_07-08-09.vd\r\n")));
        }
        const std::string good = home / "Data/01@2024-05-06_07-08-09.vd";
        ASSERT_TRUE(testing::WriteBytes(good, testing::BuildFile(testing::FileLayout{})));
        const std::string bad = home / "Data/02@2024-05-06_07-08-09.vd";
        ASSERT_TRUE(testing::WriteBytes(bad, std::string("ZT330 and nothing more")));
        const auto before = Snapshot(home.path());
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"info", good},
              {"info", bad},
              {"dump", good},
              {"dump", good, "--all"},
              {"dump", bad},
              {"dump", good, "--from", "2099-01-01 00:00:00"},
              {"dump", home / "Data/missing.vd"}}) {
            RunCli(home, args);
            EXPECT_EQ(Snapshot(home.path()), before)
                << withSettings << " " << args[0] << " " << args[1];
        }
    }
}

// Output that cannot be written fails every command, and each says so: a listing cut short or a
// saved file's path that never arrived must not pass for success.
TEST(CliCommands, OutputThatCannotBeWrittenIsAFailureOfEveryCommand) {
    testing::TempDir home;
    sim::RecorderConfig config;
    config.modelIndex = 5;
    config.channelCount = 2;
    config.newestTime = *ParseTime("2026-03-01 11:00:00");
    config.frozen = true;
    sim::CRecorderServer recorder(config, {}, 0);
    ASSERT_EQ(recorder.Start(), 1);
    recorder.StartThread();
    ASSERT_TRUE(
        testing::WriteBytes(home / "SetUp.ini",
                            "[ComSet]\nComPort=COM1\nBaudrate=57600\nJlyIndex=5\nAddress=8\n"
                            "Interval=0\nReadIntervalTimeout=50\nReadTotalTimeoutConstant=150\n"
                            "[Ports]\nCOM1=" +
                                recorder.DevicePath() + "\n"));
    const std::string file = home / "01@2004-05-06_07-08-09.vd";
    ASSERT_TRUE(testing::WriteBytes(file, testing::BuildFile(testing::FileLayout{})));
    testing::CardImage card;
    card.Add(testing::BackupLayout{});
    ASSERT_TRUE(card.WriteFile(home / "card.img"));
    const std::vector<std::string> runs[] = {
        {"--help"},
        {"--version"},
        {"dump", "--help"},
        {"home"},
        {"info", file},
        {"dump", file},
        {"stats", file},
        {"export", file, home / "out.xls"},
        {"gb2312", "啊"},
        {"gb2312", "--code", "B0A1"},
        {"card", "list", home / "card.img"},
        {"card", "import", home / "card.img", "0"},
        {"recorder"},
        {"upload", "--from", "2026-03-01 10:59:00", "--to", "2026-03-01 11:00:00"},
        {"live", "--count", "2"},
    };
    for (const auto& args : runs) {
        const CliRun r = RunCli(home.path(), args, "/dev/full");
        const std::string name = args[0][0] == '-' ? "vardo-cli" : "vardo-cli " + args[0];
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_TRUE(
            r.err.ends_with(name + ": writing the output failed: No space left on device\n"))
            << r.err;
    }
}

// A settings file too large to be one is ignored, and every command says so first.
TEST(CliCommands, OversizedSettingsAreToldNotSilentlyIgnored) {
    testing::TempDir home;
    for (const std::size_t size : {std::size_t{1} << 20, (std::size_t{1} << 20) + 1}) {
        ASSERT_TRUE(testing::WriteBytes(home / "SetUp.ini",
                                        "[VarParams]\nExt=dat\n" + std::string(size - 20, ';')));
        const CliRun r = RunCli(home, {"home"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, home.path() + "\n");
        if (size > (1u << 20)) {
            EXPECT_EQ(r.err,
                      home / "SetUp.ini: " + OversizedSettingsNotice(home / "SetUp.ini") + "\n");
            EXPECT_NE(r.err.find("已忽略"), std::string::npos);
        } else {
            EXPECT_EQ(r.err, "");
        }
    }
}

}  // namespace
}  // namespace vardo
