// Files vardo-cli makes go into the archive by themselves, as SetUp.ini says; a failed add is
// told and the file stays.

#include <gtest/gtest.h>

#include "archive_engines.h"
#include "support/card_image.h"
#include "support/cli_run.h"

namespace vardo::testing {
namespace {

class ArchiveAutoAddTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        BackupLayout b;
        b.slot = 0;
        b.model = "ZT330";
        b.channelCount = 3;
        b.intervalCode = 3;
        b.address = 7;
        image.Add(b);
        ASSERT_TRUE(image.WriteFile(home / "card.img"));
    }
    void Settings(const std::string& archive) {
        std::string ini = "[Archive]\n" + archive;
        if (GetParam() == Engine::Postgres) ini += "Url=" + place.url() + "\n";
        ASSERT_TRUE(WriteBytes(home / "SetUp.ini", ini));
    }
    CliRun Import() { return RunCli(home, {"card", "import", home / "card.img", "0"}); }

    TempDir home;
    CardImage image;
    ArchivePlace place{GetParam()};
};

TEST_P(ArchiveAutoAddTest, AnImportedFileIsAddedWithItsSource) {
    Settings("");
    const CliRun r = Import();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string path = r.out.substr(0, r.out.size() - 1);
    const CliRun sources = RunCli(home, {"archive", "sources"});
    EXPECT_EQ(sources.status, 0) << sources.err;
    EXPECT_NE(sources.out.find("\tcard\t" + path + "\t"), std::string::npos) << sources.out;
    EXPECT_NE(sources.out.find("\t" + home / "card.img" + "\t"), std::string::npos) << sources.out;
    const CliRun list = RunCli(home, {"archive", "list"});
    EXPECT_NE(list.out.find("\n\t07\tZT330\t3\t10秒\t"), std::string::npos) << list.out;
}

TEST_P(ArchiveAutoAddTest, TurnedOffNothingIsAdded) {
    Settings("Enabled=0\n");
    const CliRun r = Import();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const CliRun list = RunCli(home, {"archive", "list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_TRUE(list.err.ends_with(": 档案库不存在！\n")) << list.err;
}

TEST_P(ArchiveAutoAddTest, AFailedAddIsToldAndTheFileStays) {
    if (GetParam() == Engine::Sqlite) {
        ASSERT_TRUE(WriteBytes(home / "Archive.db", std::string(2048, 'z')));
        Settings("Enabled=1\n");
    } else {
        ASSERT_TRUE(place.Sql("CREATE TABLE other (x integer)"));
        Settings("");
    }
    const CliRun r = Import();
    EXPECT_EQ(r.status, 0);
    const std::string path = r.out.substr(0, r.out.size() - 1);
    EXPECT_TRUE(r.err.starts_with(path + ": 添加到档案库失败！\n")) << r.err;
    EXPECT_NE(r.err.find("档案库已损坏或不是本程序的档案库！"), std::string::npos) << r.err;
    EXPECT_FALSE(ReadBytes(path).empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveAutoAddTest, ::testing::ValuesIn(kEngines),
                         EngineParamName);

}  // namespace
}  // namespace vardo::testing
