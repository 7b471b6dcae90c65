// vardo-cli archive, run as the user runs it, against both engines: SQLite at its default place
// in the home, PostgreSQL through --archive.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../support/cli_run.h"
#include "archive_engines.h"
#include "base/sha256.h"

namespace vardo::testing {
namespace {

class ArchiveCliTest : public ::testing::TestWithParam<Engine> {
  protected:
    // The arguments of an archive command, with --archive where the archive is not the home's.
    std::vector<std::string> Args(std::vector<std::string> args) const {
        if (GetParam() == Engine::Postgres) {
            args.push_back("--archive");
            args.push_back(place.url());
        }
        return args;
    }
    CliRun Archive(std::vector<std::string> args) { return RunCli(home, "archive", Args(args)); }
    // The name messages give the archive.
    std::string Name() const {
        return GetParam() == Engine::Sqlite ? home / "Archive.db" : place.url();
    }
    std::string Write(const std::string& name, const SpanFile& f) {
        const std::string path = home / name;
        EXPECT_TRUE(WriteBytes(path, MakeSpanFile(f)->h.file));
        return path;
    }

    TempDir home;
    ArchivePlace place{GetParam()};
};

SpanFile Span(std::int64_t first, std::int64_t count, const char* model = "ZT330") {
    SpanFile f;
    f.first = first;
    f.count = count;
    f.model = model;
    return f;
}

TEST_P(ArchiveCliTest, AddListsEachFileAndRefusesWhatItCannotAdd) {
    const std::string a = Write("07@2024-03-01_00-16-30.vd", Span(0, 100));
    const std::string b = Write("07@2024-03-01_00-33-10.vd", Span(50, 100));
    const std::string unnamed = Write("upload.vd", Span(0, 10));
    const std::string junk = home / "12@junk.vd";
    ASSERT_TRUE(WriteBytes(junk, std::string(300, 'x')));
    const std::string gone = home / "07@gone.vd";

    CliRun r = Archive({"add", a, unnamed, junk, gone, b});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "文件\t地址\t仪表类型\t新增\t已有\t冲突\n" + a + "\t07\tZT330\t100\t0\t0\n" +
                         b + "\t07\tZT330\t50\t50\t0\n");
    EXPECT_EQ(r.err, unnamed + ": 无法确定仪表地址\n" + junk + ": 未知文件格式！\n" + gone +
                         ": 打开文件失败！\n");

    SpanFile changed = Span(140, 20);
    changed.sample = [](int ch, std::int64_t i) { return static_cast<std::uint8_t>(i + ch + 9); };
    const std::string c = Write("c.vd", changed);
    r = Archive({"add", "--address", "7", unnamed, c, "--site", "", a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "文件\t地址\t仪表类型\t新增\t已有\t冲突\n" + unnamed +
                         "\t07\tZT330\t0\t10\t0\n" + c + "\t07\tZT330\t10\t0\t10\n" + a +
                         "\t07\tZT330\t0\t100\t0\n");
    EXPECT_EQ(r.err, "");
}

TEST_P(ArchiveCliTest, ListGivesOneRowPerSegment) {
    SpanFile wide = Span(200, 30, "ZT772");
    wide.channels = 12;
    SpanFile ranged = Span(103, 5);
    ranged.highInteger = 2000;
    const std::vector<std::string> files = {
        Write("07@a.vd", Span(0, 100)), Write("07@b.vd", Span(100, 3)),
        Write("07@c.vd", ranged),       Write("07@d.vd", Span(110, 2)),
        Write("07@e.vd", wide),         Write("3@f.vd", Span(0, 1))};
    std::vector<std::string> add = {"add"};
    add.insert(add.end(), files.begin(), files.end());
    ASSERT_EQ(Archive(add).status, 0);
    ASSERT_EQ(Archive({"add", "--site", "北厂", files[0]}).status, 0);

    const CliRun r = Archive({"list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "站点\t地址\t仪表类型\t通道数\t记录间隔\t开始时间\t结束时间\t记录数\n"
              "\t03\tZT330\t3\t10秒\t2024-03-01 00:00:00\t2024-03-01 00:00:00\t1\n"
              "\t07\tZT330\t3\t10秒\t2024-03-01 00:00:00\t2024-03-01 00:17:00\t103\n"
              "\t07\tZT330\t3\t10秒\t2024-03-01 00:17:10\t2024-03-01 00:17:50\t5\n"
              "\t07\tZT330\t3\t10秒\t2024-03-01 00:18:20\t2024-03-01 00:18:30\t2\n"
              "\t07\tZT772\t12\t10秒\t2024-03-01 00:33:20\t2024-03-01 00:38:10\t30\n"
              "北厂\t07\tZT330\t3\t10秒\t2024-03-01 00:00:00\t2024-03-01 00:16:30\t100\n");
}

TEST_P(ArchiveCliTest, SourcesAndVerifyFollowTheFilesGiven) {
    const std::string a = Write("07@a.vd", Span(0, 100));
    const std::string b = Write("07@b.vd", Span(100, 10));
    const std::string c = Write("07@c.vd", Span(200, 10));
    ASSERT_EQ(Archive({"add", a, b, c}).status, 0);

    CliRun r = Archive({"verify"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "一致\t" + a + "\n一致\t" + b + "\n一致\t" + c + "\n");

    r = Archive({"sources"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::uint8_t> bytes = ReadBytes(a);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < r.out.size();) {
        const std::size_t end = r.out.find('\n', at);
        lines.push_back(r.out.substr(at, end - at));
        at = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[0], "时间\t方式\t文件\t大小\tSHA-256\t设备\t主机\t版本");
    const std::string row =
        "\tfile\t" + a + "\t" + std::to_string(bytes.size()) + "\t" + Sha256Hex(bytes) + "\t\t";
    EXPECT_NE(lines[1].find(row), std::string::npos) << lines[1];
    const auto added = ParseTime(lines[1].substr(0, 19));
    ASSERT_TRUE(added.has_value()) << lines[1];
    EXPECT_LE(std::abs(*added - std::time(nullptr)), 60);

    ASSERT_TRUE(WriteBytes(b, MakeSpanFile(Span(100, 11))->h.file));
    std::filesystem::remove(c);
    r = Archive({"verify"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "一致\t" + a + "\n已改变\t" + b + "\n缺失\t" + c + "\n");
    // Added again as it is now, the changed file is judged by its latest add.
    ASSERT_EQ(Archive({"add", b}).status, 0);
    EXPECT_EQ(Archive({"verify"}).out, "一致\t" + a + "\n一致\t" + b + "\n缺失\t" + c + "\n");
}

TEST_P(ArchiveCliTest, ReadingWithoutAnArchiveRefusesAndLeavesTheHomeAlone) {
    for (const char* command : {"list", "sources", "verify"}) {
        const auto before = FileNames(home.path());
        const CliRun r = Archive({command});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.out, "") << command;
        EXPECT_EQ(r.err, Name() + ": 档案库不存在！\n") << command;
        auto after = FileNames(home.path());
        after.erase("out.txt");
        after.erase("err.txt");
        auto expected = before;
        expected.erase("out.txt");
        expected.erase("err.txt");
        EXPECT_EQ(after, expected) << command;
    }
    if (GetParam() == Engine::Postgres) {
        PGconn* c = PQconnectdb(place.url().c_str());
        PGresult* tables = PQexec(c, "SELECT count(*) FROM pg_tables WHERE schemaname = 'public'");
        EXPECT_STREQ(PQgetvalue(tables, 0, 0), "0");
        PQclear(tables);
        PQfinish(c);
    }
}

TEST_P(ArchiveCliTest, UsageErrorsNameTheCommand) {
    const std::string usage =
        "usage: vardo-cli archive add [--address N] [--site S] [--archive URL] FILE...\n"
        "       vardo-cli archive list [--archive URL]\n"
        "       vardo-cli archive sources [--archive URL]\n"
        "       vardo-cli archive verify [--archive URL]\n"
        "URL is sqlite:PATH or postgresql://...; without it [Archive] Url of SetUp.ini, else "
        "Archive.db in the home.\n";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"tidy"},
        {"add"},
        {"add", "--address", "256", "07@a.vd"},
        {"add", "--address", "x", "07@a.vd"},
        {"add", "07@a.vd", "--site"},
        {"list", "07@a.vd"},
        {"list", "--address", "7"},
        {"verify", "--archive", ""},
    };
    for (const auto& args : cases) {
        ExpectRefused(RunCli(home, "archive", args), "archive", "", usage,
                      args.empty() ? "(none)" : args[0]);
    }
    const CliRun help = RunCli(home, "archive", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with(usage)) << help.out;
    const CliRun general = RunCli(home, {});
    EXPECT_NE(general.err.find("\n       vardo-cli archive list [--archive URL]\n"),
              std::string::npos)
        << general.err;
}

// Two adds at once lose nothing and hold nothing twice.
TEST_P(ArchiveCliTest, TwoProcessesAddingAtOnce) {
    const std::string a = Write("07@a.vd", Span(0, 20000));
    const std::string b = Write("07@b.vd", Span(10000, 20000));
    ASSERT_EQ(Archive({"add", Write("07@seed.vd", Span(0, 1))}).status, 0);
    std::string script;
    const std::string cli = ShellQuote(std::string(VARDO_BIN_DIR) + "/vardo-cli");
    int n = 0;
    for (const std::string& file : {a, b}) {
        std::string line = "VARDO_HOME=" + ShellQuote(home.path()) + " " + cli;
        for (const std::string& arg : Args({"archive", "add", file})) line += " " + ShellQuote(arg);
        const std::string out = home / ("run" + std::to_string(n++));
        script += line + " >" + ShellQuote(out + ".out") + " 2>" + ShellQuote(out + ".err") +
                  "; echo $? >" + ShellQuote(out + ".status") + " &\n";
    }
    script += "wait\n";
    ASSERT_EQ(std::system(script.c_str()), 0);
    std::int64_t added = 0;
    std::int64_t same = 0;
    for (int i = 0; i < 2; ++i) {
        const std::string out = home / ("run" + std::to_string(i));
        EXPECT_EQ(ReadText(out + ".status"), "0\n") << ReadText(out + ".err");
        const std::string text = ReadText(out + ".out");
        std::vector<std::string> cells;
        const std::string row = text.substr(text.find('\n') + 1);
        for (std::size_t at = 0, tab; at < row.size(); at = tab + 1) {
            tab = row.find_first_of("\t\n", at);
            cells.push_back(row.substr(at, tab - at));
        }
        ASSERT_EQ(cells.size(), 6u) << text;
        added += std::stoll(cells[3]);
        same += std::stoll(cells[4]);
        EXPECT_EQ(cells[5], "0");
    }
    EXPECT_EQ(added, 29999);
    EXPECT_EQ(same, 10001);
    const CliRun list = Archive({"list"});
    EXPECT_TRUE(list.out.ends_with("\t30000\n")) << list.out;
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2);
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveCliTest, ::testing::ValuesIn(kEngines), EngineParamName);

}  // namespace
}  // namespace vardo::testing
