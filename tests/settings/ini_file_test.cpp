#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/gbk_codec.h"

namespace vardo {
namespace {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string t = (fs::temp_directory_path() / "vardo-ini-XXXXXX").string();
        path_ = mkdtemp(t.data());
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct LookupCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    bool found;
    const char* value;
};

TEST(IniLookup, FindsKeysByTheProfileRules) {
    const LookupCase cases[] = {
        {"exact", "[ViewSet]\nChnls=3\n", "ViewSet", "Chnls", true, "3"},
        {"names ignore case", "[viewset]\nCHNLS=3\n", "ViewSet", "chnls", true, "3"},
        {"blanks around name and value", "  [ ViewSet ]  \n\t Chnls \t=  3 \t\n", "ViewSet",
         "Chnls", true, "3"},
        {"CRLF lines", "[ViewSet]\r\nChnls=3\r\nYMode=0\r\n", "ViewSet", "Chnls", true, "3"},
        {"last line without newline", "[ViewSet]\nChnls=3", "ViewSet", "Chnls", true, "3"},
        {"value keeps inner '='", "[FileSet]\nLastFile=a=b\n", "FileSet", "LastFile", true, "a=b"},
        {"inner blanks kept", "[VarParams]\nType1= ZT 220 x \n", "VarParams", "Type1", true,
         "ZT 220 x"},
        {"empty value is found", "[ViewSet]\nChnls=\n", "ViewSet", "Chnls", true, ""},
        {"first of two keys", "[ViewSet]\nChnls=3\nChnls=4\n", "ViewSet", "Chnls", true, "3"},
        {"key of another section", "[ComSet]\nChnls=3\n[ViewSet]\nYMode=0\n", "ViewSet", "Chnls",
         false, ""},
        {"key before any section", "Chnls=3\n[ViewSet]\n", "ViewSet", "Chnls", false, ""},
        {"commented key", "[ViewSet]\n;Chnls=3\n", "ViewSet", "Chnls", false, ""},
        {"line without '='", "[ViewSet]\nChnls\n", "ViewSet", "Chnls", false, ""},
        {"unclosed header is no section", "[ComSet]\n[ViewSet\nChnls=3\n", "ViewSet", "Chnls",
         false, ""},
        {"prefix of a name is not the name", "[ViewSet]\nChnlsX=3\n", "ViewSet", "Chnls", false,
         ""},
        {"UTF-8 value", "[VarParams]\nType4=ZT550_12通道\n", "VarParams", "Type4", true,
         "ZT550_12通道"},
        {"empty text", "", "ViewSet", "Chnls", false, ""},
    };
    for (const auto& c : cases) {
        std::string value = "untouched";
        EXPECT_EQ(ini::Lookup(c.text, c.section, c.key, &value), c.found) << c.name;
        if (c.found) EXPECT_EQ(value, c.value) << c.name;
    }
}

struct ReplaceCase {
    const char* name;
    const char* text;
    const char* section;
    const char* key;
    const char* value;
    const char* expected;
};

TEST(IniReplace, ChangesOnlyTheKeyAndKeepsEverythingElse) {
    const ReplaceCase cases[] = {
        {"new file", "", "ViewSet", "Chnls", "8", "[ViewSet]\nChnls=8\n"},
        {"replace keeps comments, order and unknown keys",
         "; mine\n[ViewSet]\nfoo=1\nChnls=3\n; note\nbar=2\n", "ViewSet", "Chnls", "12",
         "; mine\n[ViewSet]\nfoo=1\nChnls=12\n; note\nbar=2\n"},
        {"replace keeps the key's spelling and CRLF", "[viewset]\r\n  CHNLS = 3 \r\nx=1\r\n",
         "ViewSet", "Chnls", "4", "[viewset]\r\nCHNLS=4\r\nx=1\r\n"},
        {"add key at the end of its section, before blank lines",
         "[ViewSet]\nYMode=1\n\n[ComSet]\nAddress=8\n", "ViewSet", "Chnls", "8",
         "[ViewSet]\nYMode=1\nChnls=8\n\n[ComSet]\nAddress=8\n"},
        {"add key to the last section without newline", "[ViewSet]\nYMode=1", "ViewSet", "Chnls",
         "8", "[ViewSet]\nYMode=1\nChnls=8\n"},
        {"add key to an empty section", "[ViewSet]\n[ComSet]\n", "ViewSet", "Chnls", "8",
         "[ViewSet]\nChnls=8\n[ComSet]\n"},
        {"add key in the first of two sections", "[ViewSet]\na=1\n[ViewSet]\nChnls=3\n", "ViewSet",
         "Chnls", "8", "[ViewSet]\na=1\nChnls=8\n[ViewSet]\nChnls=3\n"},
        {"new section after a blank line", "[ComSet]\nAddress=8", "ViewSet", "Chnls", "8",
         "[ComSet]\nAddress=8\n\n[ViewSet]\nChnls=8\n"},
        {"new section in a CRLF file", "[ComSet]\r\nAddress=8\r\n\r\n", "ViewSet", "Chnls", "8",
         "[ComSet]\r\nAddress=8\r\n\r\n[ViewSet]\r\nChnls=8\r\n"},
        {"empty value", "[FileSet]\nLastFile=/a.vd\n", "FileSet", "LastFile", "",
         "[FileSet]\nLastFile=\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini::Replace(c.text, c.section, c.key, c.value), c.expected) << c.name;
    }
}

TEST(IniParseInt, ReadsTheNumberAtTheStart) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"abc", 0},
        {" -5", -5},
        {"-5", -5},
        {"+7", 7},
        {"- 5", 0},
        {"0x10", 0},
        {"007", 7},
        {"3.9", 3},
        {"4294967295", -1},
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"16777215", 16777215},
        {"1 2", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ini::ParseInt(c.text), c.value) << c.text;
}

TEST(IniDecode, TakesUtf8AsItIsAndAnythingElseAsGbk) {
    const std::string gbk = "[VarParams]\nType4=ZT550_12\xCD\xA8\xB5\xC0\n";  // 通道 in GBK
    const struct {
        const char* name;
        std::string bytes;
        ini::Encoding encoding;
        bool bom;
        std::string text;
    } cases[] = {
        {"ASCII", "[a]\nb=c\n", ini::Encoding::Utf8, false, "[a]\nb=c\n"},
        {"UTF-8", "b=通道\n", ini::Encoding::Utf8, false, "b=通道\n"},
        {"UTF-8 with BOM", "\xEF\xBB\xBF[a]\n", ini::Encoding::Utf8, true, "[a]\n"},
        {"GBK", gbk, ini::Encoding::Gbk, false, "[VarParams]\nType4=ZT550_12通道\n"},
        {"overlong UTF-8 is no UTF-8", "\xC0\xAF", ini::Encoding::Gbk, false, ""},
    };
    for (const auto& c : cases) {
        const ini::DecodedText d = ini::Decode(c.bytes);
        EXPECT_EQ(d.encoding, c.encoding) << c.name;
        EXPECT_EQ(d.byteOrderMark, c.bom) << c.name;
        if (!c.text.empty()) EXPECT_EQ(d.text, c.text) << c.name;
        // Whatever came in goes out byte for byte.
        EXPECT_EQ(ini::Encode(d), c.bytes) << c.name;
    }
}

TEST(IniDecode, KeepsBytesThatAreNeitherUtf8NorGbk) {
    const std::string bytes = "[a]\nb=\xFF\x80\xD6\xD0\x81\n";
    const ini::DecodedText d = ini::Decode(bytes);
    EXPECT_TRUE(IsValidUtf8(d.text));
    EXPECT_EQ(ini::Encode(d), bytes);
}

class IniFileTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string path = dir / "SetUp.ini";
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    IniFile ini(path);
    EXPECT_EQ(ini.GetInt("ViewSet", "Chnls", 8), 8);
    EXPECT_EQ(ini.GetString("FileSet", "LastFile", "none", 260), "none");
    EXPECT_FALSE(fs::exists(path)) << "reading must not create the file";
}

TEST_F(IniFileTest, IntegersFollowTheProfileRules) {
    WriteBytes(path, "[S]\nnum=12abc\ntext=abc\nneg= -5\nempty=\nquoted=\"42\"\nbig=99999999999\n");
    IniFile ini(path);
    const struct {
        const char* key;
        int expected;
    } cases[] = {{"num", 12},    {"text", 0},     {"neg", -5},        {"empty", 77},
                 {"quoted", 42}, {"missing", 77}, {"big", 1215752191}};
    for (const auto& c : cases) EXPECT_EQ(ini.GetInt("s", c.key, 77), c.expected) << c.key;
}

TEST_F(IniFileTest, StringsAreCutToTheBufferWithoutSplittingCharacters) {
    const std::string utf8 = "[S]\nascii=COM10\nwide=ZT550_12通道\nquoted=\"abc\"\n";
    // The same settings as an old GBK file: 通道 is two bytes per character there.
    const std::string gbk = "[S]\nascii=COM10\nwide=ZT550_12\xCD\xA8\xB5\xC0\nquoted=\"abc\"\n";
    const struct {
        const char* name;
        const std::string* file;
        const char* key;
        int buffer;
        const char* expected;
    } cases[] = {
        {"fits", &utf8, "ascii", 6, "COM10"},
        {"cut", &utf8, "ascii", 5, "COM1"},
        {"buffer 1", &utf8, "ascii", 1, ""},
        {"buffer 0", &utf8, "ascii", 0, ""},
        {"UTF-8 whole", &utf8, "wide", 15, "ZT550_12通道"},
        {"UTF-8 cut at a character", &utf8, "wide", 14, "ZT550_12通"},
        {"UTF-8 never half a character", &utf8, "wide", 12, "ZT550_12通"},
        {"UTF-8 before the character", &utf8, "wide", 11, "ZT550_12"},
        {"GBK whole", &gbk, "wide", 13, "ZT550_12通道"},
        {"GBK counts GBK bytes", &gbk, "wide", 12, "ZT550_12通"},
        {"GBK never half a character", &gbk, "wide", 10, "ZT550_12"},
        {"quotes stripped", &utf8, "quoted", 10, "abc"},
        {"default is cut too", &utf8, "missing", 3, "de"},
    };
    for (const auto& c : cases) {
        WriteBytes(path, *c.file);
        EXPECT_EQ(IniFile(path).GetString("S", c.key, "default", c.buffer), c.expected) << c.name;
    }
}

TEST_F(IniFileTest, WritesCreateReplaceAndKeepTheRest) {
    IniFile ini(path);
    ASSERT_EQ(ini.WriteInt("ViewSet", "Chnls", 8), 1);
    ASSERT_EQ(ini.WriteString("FileSet", "LastFile", "/data/a.vd"), 1);
    ASSERT_EQ(ini.WriteInt("viewset", "chnls", -3), 1);
    EXPECT_EQ(ReadBytes(path), "[ViewSet]\nChnls=-3\n\n[FileSet]\nLastFile=/data/a.vd\n");
    EXPECT_EQ(ini.GetInt("ViewSet", "Chnls", 8), -3);
    // Nothing but the file itself is left in the directory.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(IniFileTest, GbkFileStaysGbk) {
    const std::string before =
        "; \xD7\xA2\xCA\xCD\r\n[VarParams]\r\nType4=ZT550_12\xCD\xA8\xB5\xC0\r\n";
    WriteBytes(path, before);
    IniFile ini(path);
    ASSERT_EQ(ini.WriteString("VarParams", "Type5", "伪彩"), 1);
    EXPECT_EQ(ReadBytes(path), before + "Type5=\xCE\xB1\xB2\xCA\r\n");
    EXPECT_EQ(ini.GetString("VarParams", "Type5", "", 32), "伪彩");
    EXPECT_EQ(ini.GetString("VarParams", "Type4", "", 32), "ZT550_12通道");
}

TEST_F(IniFileTest, RefusedWritesLeaveTheFileAsItWas) {
    const std::string gbk = "[VarParams]\nType4=\xCD\xA8\xB5\xC0\n";
    const struct {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {
        {"line break in value", "FileSet", "LastFile", "a.vd\n[ViewSet]\nChnls=99"},
        {"carriage return in value", "FileSet", "LastFile", "a\rb"},
        {"no GBK code for the character", "VarParams", "Type5", "😀"},
        {"'=' in key", "S", "a=b", "1"},
        {"empty key", "S", "", "1"},
    };
    for (const auto& c : cases) {
        WriteBytes(path, gbk);
        EXPECT_EQ(IniFile(path).WriteString(c.section, c.key, c.value), 0) << c.name;
        EXPECT_EQ(ReadBytes(path), gbk) << c.name;
    }
}

TEST_F(IniFileTest, OversizedFileIsIgnoredAndNeverRewritten) {
    std::string huge = "[ViewSet]\nChnls=3\n" + std::string(ini::kMaxFileSize, ';');
    WriteBytes(path, huge);
    IniFile ini(path);
    EXPECT_EQ(ini.GetInt("ViewSet", "Chnls", 8), 8);
    EXPECT_EQ(ini.WriteInt("ViewSet", "Chnls", 4), 0);
    EXPECT_EQ(fs::file_size(path), huge.size());
}

TEST_F(IniFileTest, UnwritableDirectoryFailsTheWrite) {
    IniFile ini(dir / "missing/SetUp.ini");
    EXPECT_EQ(ini.WriteInt("ViewSet", "Chnls", 4), 0);
}

TEST_F(IniFileTest, FifoInPlaceOfTheFileNeitherHangsNorIsReplaced) {
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    IniFile ini(path);
    EXPECT_EQ(ini.GetInt("ViewSet", "Chnls", 8), 8);
    EXPECT_EQ(ini.WriteInt("ViewSet", "Chnls", 4), 0);
    EXPECT_TRUE(fs::is_fifo(path));
}

TEST_F(IniFileTest, WritingThroughALinkKeepsTheLink) {
    const std::string real = dir / "real.ini";
    WriteBytes(real, "[a]\nb=1\n");
    fs::create_symlink(real, path);
    ASSERT_EQ(IniFile(path).WriteInt("a", "b", 2), 1);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadBytes(real), "[a]\nb=2\n");
}

}  // namespace
}  // namespace vardo
