// The code lookup tool's conversions, checked against iconv's own GB2312 table and the cases
// where the tool must stay quiet rather than show a wrong code.

#include <gtest/gtest.h>
#include <iconv.h>

#include "app/code_lookup.h"

namespace vardo {
namespace {

// Two bytes to UTF-8 with one of iconv's tables; empty when they are no character there.
std::string Decode(const char* encoding, const char bytes[2]) {
    static iconv_t gb2312 = iconv_open("UTF-8", "GB2312");
    static iconv_t gbk = iconv_open("UTF-8", "GBK");
    iconv_t cd = std::string_view(encoding) == "GBK" ? gbk : gb2312;
    char in[2] = {bytes[0], bytes[1]};
    char out[8];
    char* src = in;
    char* dst = out;
    std::size_t srcLeft = 2, dstLeft = sizeof out;
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return r == static_cast<std::size_t>(-1) ? std::string() : std::string(out, dst);
}

TEST(CodeLookup, EveryGb2312CharacterAndItsCodeConvertBothWays) {
    int characters = 0;
    for (int b0 = 0xA1; b0 <= 0xF7; ++b0)
        for (int b1 = 0xA1; b1 <= 0xFE; ++b1) {
            const char bytes[2] = {static_cast<char>(b0), static_cast<char>(b1)};
            const std::string gb2312 = Decode("GB2312", bytes);
            if (gb2312.empty()) continue;
            ++characters;
            // The recorder's code page is GBK, whose table differs from GB2312's in two dots.
            const std::string text = Decode("GBK", bytes);
            const int code = b0 * 256 + b1;
            if (code != 0xA1A4 && code != 0xA1AA) {
                ASSERT_EQ(text, gb2312) << code;
            }
            ASSERT_EQ(CodeOfText(text), static_cast<unsigned>(code)) << text;
            ASSERT_EQ(TextOfCode(FormatCode(static_cast<unsigned>(code))), text) << code;
        }
    EXPECT_EQ(characters, 7445);  // 6763 hanzi and 682 other characters
}

TEST(CodeLookup, CharacterToCode) {
    const std::pair<const char*, unsigned> codes[] = {
        {"啊", 0xB0A1}, {"A", 0x41}, {"啊A", 0xB0A1}, {"Az", 0x41}, {"-x", 0x2D}};
    for (const auto& [text, code] : codes) EXPECT_EQ(CodeOfText(text), code) << text;
    EXPECT_EQ(FormatCode(0xB0A1), "B0A1");
    EXPECT_EQ(FormatCode(0x7A), "7A");

    const std::pair<const char*, CodeRefusal> refused[] = {
        {"", CodeRefusal::EmptyText},
        {"\xB0\xA1", CodeRefusal::NotUtf8},  // GBK bytes are not UTF-8 text
        {"😀", CodeRefusal::NoCode},
        {"\xEF\x9E\xB0", CodeRefusal::NoCode},  // the settings file's escape of byte B0
    };
    for (const auto& [text, why] : refused) {
        CodeRefusal got{};
        EXPECT_EQ(CodeOfText(text, &got), std::nullopt) << text;
        EXPECT_EQ(got, why) << text;
    }
}

TEST(CodeLookup, CodeToCharacter) {
    const std::pair<const char*, const char*> texts[] = {
        {"B0A1", "啊"}, {"b0a1", "啊"}, {"41", "A"},
        {"7a", "z"},    {"GG", "\x10"},  // (16 x 16 + 16) mod 256
        {"4142", "A"},                   // an ASCII first byte stands alone
        {"7F", "\x7F"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(TextOfCode(code), text) << code;

    const std::pair<const char*, CodeRefusal> refused[] = {
        {"", CodeRefusal::CodeLength},      {"123", CodeRefusal::CodeLength},
        {"B0A1C", CodeRefusal::CodeLength}, {"00", CodeRefusal::ZeroByte},
        {"0041", CodeRefusal::ZeroByte},    {"啊啊", CodeRefusal::ZeroByte},  // two characters
        {"B0", CodeRefusal::NoCharacter},   {"B000", CodeRefusal::NoCharacter},
        {"FFFF", CodeRefusal::NoCharacter},
    };
    for (const auto& [code, why] : refused) {
        CodeRefusal got{};
        EXPECT_EQ(TextOfCode(code, &got), std::nullopt) << code;
        EXPECT_EQ(got, why) << code;
    }
}

}  // namespace
}  // namespace vardo
