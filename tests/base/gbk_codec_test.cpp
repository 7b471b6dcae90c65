#include "base/gbk_codec.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace vardo {
namespace {

// U+F700 + byte, the form a byte that is not GBK takes inside the program.
std::string Escaped(unsigned char byte) {
    const unsigned cp = 0xF700 + byte;
    return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
}

TEST(GbkCodec, GbkDecodesAndBytesThatAreNotGbkComeBackUnchanged) {
    const struct {
        std::string gbk;
        std::string utf8;
    } cases[] = {
        {"COM1", "COM1"},
        {"\xD6\xD0\xCE\xC4", "中文"},
        {"\xB4\xAE\xBF\xDA\xB1\xBB\xD5\xBC\xD3\xC3", "串口被占用"},
        {"A\xFF"
         "B",
         "A" + Escaped(0xFF) + "B"},             // no GBK byte at all
        {"\xD6\xD0\xD6", "中" + Escaped(0xD6)},  // a lead byte cut off at the end
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
    }
    // Whatever bytes an old settings file holds, rewriting it keeps them.
    std::mt19937 random(7);
    for (int n = 0; n < 200; ++n) {
        std::string bytes(static_cast<std::size_t>(random() % 40), '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        EXPECT_EQ(Utf8ToGbk(GbkToUtf8(bytes)), bytes) << n;
        EXPECT_TRUE(IsValidUtf8(GbkToUtf8(bytes))) << n;
    }
}

TEST(GbkCodec, CharactersWithoutAGbkCodeAreRefusedNotReplaced) {
    EXPECT_EQ(Utf8ToGbk("中😀"), std::nullopt);
    EXPECT_EQ(Utf8ToGbk("\xE2\x82"), std::nullopt) << "a cut UTF-8 character";
    EXPECT_EQ(ConvertStrict("A\xFF", "UTF-8", "GBK"), std::nullopt);
    EXPECT_EQ(ConvertStrict("\xD6\xD0", "UTF-8", "GBK"), "中");
}

TEST(GbkCodec, Utf8ValidityAndCutsOnCharacterBoundaries) {
    const struct {
        std::string bytes;
        bool valid;
    } texts[] = {
        {"中文 ok", true},           {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},          // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE4\xB8", false},         {"\x80", false},
    };
    for (const auto& t : texts) EXPECT_EQ(IsValidUtf8(t.bytes), t.valid) << t.bytes;

    EXPECT_EQ(CutUtf8("中文", 5), "中");
    EXPECT_EQ(CutUtf8("中文", 6), "中文");
    EXPECT_EQ(CutUtf8("a中", 2), "a");
    EXPECT_EQ(CutGbk("\xD6\xD0\xCE\xC4", 3), "\xD6\xD0");
    EXPECT_EQ(CutGbk("a\xD6\xD0", 2), "a");
    EXPECT_EQ(CutGbk("ab\xD6", 3), "ab\xD6") << "a lone lead byte at the end is one byte";
    EXPECT_EQ(FirstUtf8CharLength("中"), 3u);
    EXPECT_EQ(FirstUtf8CharLength(""), 0u);
}

}  // namespace
}  // namespace vardo
