#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <string>

#include "../support/history_file_builder.h"
#include "base/gbk_codec.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteBytes;

TEST(IniLookup, FindsKeysByTheProfileRules) {
    const struct {
        const char* name;
        const char* text;
        const char* value;  // nullptr: not found
    } cases[] = {
        {"names ignore case", "[viewset]\nCHNLS=3\n", "3"},
        {"blanks around name and value", "  [ ViewSet ]  \n\t Chnls \t=  3 \t\n", "3"},
        {"CRLF lines, last without newline", "[ViewSet]\r\nYMode=0\r\nChnls=3", "3"},
        {"value keeps inner '=' and blanks", "[ViewSet]\nChnls= a = b \n", "a = b"},
        {"empty value is found", "[ViewSet]\nChnls=\n", ""},
        {"first of two keys", "[ViewSet]\nChnls=3\nChnls=4\n", "3"},
        {"only the first section of the name", "[ViewSet]\na=1\n[viewset]\nChnls=3\n", nullptr},
        {"key of another section", "[ComSet]\nChnls=3\n[ViewSet]\nYMode=0\n", nullptr},
        {"unclosed header is no section", "[ComSet]\n[ViewSet\nChnls=3\n", nullptr},
        {"prefix of a name is not the name", "[ViewSet]\nChnlsX=3\n", nullptr},
    };
    for (const auto& c : cases) {
        std::string value = "untouched";
        EXPECT_EQ(ini::Lookup(c.text, "ViewSet", "Chnls", &value), c.value != nullptr) << c.name;
        if (c.value != nullptr) {
            EXPECT_EQ(value, c.value) << c.name;
        }
    }
}

TEST(IniReplace, ChangesOnlyTheKeyAndKeepsEverythingElse) {
    const struct {
        const char* name;
        const char* text;
        const char* expected;
    } cases[] = {
        {"new file", "", "[ViewSet]\nChnls=8\n"},
        {"replace keeps comments, order and unknown keys",
         "; mine\n[ViewSet]\nfoo=1\nChnls=3\n; note\nbar=2\n",
         "; mine\n[ViewSet]\nfoo=1\nChnls=8\n; note\nbar=2\n"},
        {"replace keeps the key's spelling and CRLF", "[viewset]\r\n  CHNLS = 3 \r\nx=1\r\n",
         "[viewset]\r\nCHNLS=8\r\nx=1\r\n"},
        {"add at the end of its section, before blank lines",
         "[ViewSet]\nYMode=1\n\n[ComSet]\nAddress=8\n",
         "[ViewSet]\nYMode=1\nChnls=8\n\n[ComSet]\nAddress=8\n"},
        {"add to the last section without newline", "[ViewSet]\nYMode=1",
         "[ViewSet]\nYMode=1\nChnls=8\n"},
        {"add in the first of two sections", "[ViewSet]\n[ViewSet]\nChnls=3\n",
         "[ViewSet]\nChnls=8\n[ViewSet]\nChnls=3\n"},
        {"new section after a blank line", "[ComSet]\nAddress=8",
         "[ComSet]\nAddress=8\n\n[ViewSet]\nChnls=8\n"},
        {"new section in a CRLF file", "[ComSet]\r\nAddress=8\r\n\r\n",
         "[ComSet]\r\nAddress=8\r\n\r\n[ViewSet]\r\nChnls=8\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini::Replace(c.text, "ViewSet", "Chnls", "8"), c.expected) << c.name;
}

TEST(IniParseInt, ReadsTheNumberAtTheStartLikeA32BitRegister) {
    const std::pair<const char*, int> cases[] = {
        {"12abc", 12}, {"abc", 0},         {" -5", -5},
        {"+7", 7},     {"- 5", 0},         {"0x10", 0},
        {"3.9", 3},    {"4294967295", -1}, {"2147483648", INT_MIN},
    };
    for (auto [text, value] : cases) EXPECT_EQ(ini::ParseInt(text), value) << text;
    EXPECT_EQ(ini::ParseInt("99999999999"), 1215752191);
    EXPECT_EQ(ini::ParseInt(std::string(28, '0') + "12"), 1) << "only 29 characters are read";
}

class IniFileTest : public ::testing::Test {
  protected:
    testing::TempDir dir;
    std::string path = dir / "SetUp.ini";
};

TEST_F(IniFileTest, ReadsIntegersAndDefaultsWithoutCreatingTheFile) {
    EXPECT_EQ(IniFile(path).GetInt("S", "num", 77), 77);
    EXPECT_EQ(IniFile(path).GetString("S", "text", "none", 260), "none");
    EXPECT_FALSE(fs::exists(path));
    WriteBytes(path, std::string("[S]\nnum=12abc\ntext=abc\nempty=\nquoted=\"42\"\n"));
    const std::pair<const char*, int> cases[] = {
        {"num", 12}, {"text", 0}, {"empty", 77}, {"quoted", 42}, {"missing", 77}};
    for (auto [key, value] : cases) EXPECT_EQ(IniFile(path).GetInt("s", key, 77), value) << key;
}

TEST_F(IniFileTest, StringsAreCutToTheBufferWithoutSplittingCharacters) {
    // The same settings in UTF-8 and as an old GBK file, where 通道 is two bytes a character.
    const std::string files[] = {"[S]\nascii=COM10\nwide=ZT550_12通道\nquoted=\"abc\"\n",
                                 "[S]\nwide=ZT550_12\xCD\xA8\xB5\xC0\n"};
    const std::tuple<int, const char*, int, const char*> cases[] = {
        {0, "ascii", 6, "COM10"},        {0, "ascii", 5, "COM1"},       {0, "ascii", 1, ""},
        {0, "wide", 14, "ZT550_12通"},   {0, "wide", 12, "ZT550_12通"}, {0, "wide", 11, "ZT550_12"},
        {1, "wide", 13, "ZT550_12通道"}, {1, "wide", 12, "ZT550_12通"}, {1, "wide", 10, "ZT550_12"},
        {0, "quoted", 10, "abc"},        {0, "missing", 3, "de"},
    };
    for (auto [file, key, buffer, expected] : cases) {
        WriteBytes(path, files[file]);
        EXPECT_EQ(IniFile(path).GetString("S", key, "default", buffer), expected)
            << (file ? "GBK " : "UTF-8 ") << key << " in " << buffer;
    }
}

TEST_F(IniFileTest, WritesCreateReplaceAndLeaveNothingElseBehind) {
    IniFile ini(path);
    ASSERT_EQ(ini.WriteInt("ViewSet", "Chnls", 8), 1);
    ASSERT_EQ(ini.WriteString("FileSet", "LastFile", "/data/a.vd"), 1);
    ASSERT_EQ(ini.WriteInt("viewset", "chnls", -3), 1);
    EXPECT_EQ(ReadText(path), "[ViewSet]\nChnls=-3\n\n[FileSet]\nLastFile=/data/a.vd\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(IniFileTest, WritesKeepTheFilesOwnEncodingAndEveryOtherByte) {
    const struct {
        const char* name;
        std::string before;
        const char* added;  // 伪彩 in the file's encoding
    } cases[] = {
        {"GBK", "; \xD7\xA2\xCA\xCD\r\n[VarParams]\r\nType4=\xCD\xA8\xB5\xC0\r\n",
         "Type5=\xCE\xB1\xB2\xCA\r\n"},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF[VarParams]\nType4=通道\n", "Type5=伪彩\n"},
        {"bytes neither UTF-8 nor GBK", "[VarParams]\nType4=\xFF\x80\xD6\xD0\x81\n",
         "Type5=\xCE\xB1\xB2\xCA\n"},
    };
    for (const auto& c : cases) {
        WriteBytes(path, c.before);
        ASSERT_EQ(IniFile(path).WriteString("VarParams", "Type5", "伪彩"), 1) << c.name;
        EXPECT_EQ(ReadText(path), c.before + c.added) << c.name;
        EXPECT_EQ(IniFile(path).GetString("VarParams", "Type5", "", 32), "伪彩") << c.name;
    }
}

TEST_F(IniFileTest, RefusedWritesLeaveTheFileAsItWas) {
    const std::string gbk = "[VarParams]\nType4=\xCD\xA8\xB5\xC0\n";
    const struct {
        const char* name;
        const char* key;
        const char* value;
    } cases[] = {
        {"line break in value", "LastFile", "a.vd\n[ViewSet]\nChnls=99"},
        {"carriage return in value", "LastFile", "a\rb"},
        {"no GBK code for the character", "Type5", "😀"},
        {"'=' in key", "a=b", "1"},
        {"empty key", "", "1"},
    };
    for (const auto& c : cases) {
        WriteBytes(path, gbk);
        EXPECT_EQ(IniFile(path).WriteString("VarParams", c.key, c.value), 0) << c.name;
        EXPECT_EQ(ReadText(path), gbk) << c.name;
    }
}

TEST_F(IniFileTest, OversizedFilesFifosAndMissingDirectoriesAreNeitherReadNorReplaced) {
    const std::string huge = "[ViewSet]\nChnls=3\n" + std::string(ini::kMaxFileSize, ';');
    WriteBytes(path, huge);
    ASSERT_EQ(mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    for (const std::string& p : {path, dir / "fifo.ini", dir / "missing/SetUp.ini"}) {
        EXPECT_EQ(IniFile(p).GetInt("ViewSet", "Chnls", 8), 8) << p;
        EXPECT_EQ(IniFile(p).WriteInt("ViewSet", "Chnls", 4), 0) << p;
    }
    EXPECT_EQ(fs::file_size(path), huge.size());
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.ini"));
}

TEST_F(IniFileTest, WritingThroughALinkKeepsTheLink) {
    WriteBytes(dir / "real.ini", std::string("[a]\nb=1\n"));
    fs::create_symlink(dir / "real.ini", path);
    ASSERT_EQ(IniFile(path).WriteInt("a", "b", 2), 1);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadText(dir / "real.ini"), "[a]\nb=2\n");
}

}  // namespace
}  // namespace vardo
