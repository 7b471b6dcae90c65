#include "app/code_lookup.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/gbk_codec.h"
#include "base/texts.h"

namespace vardo {

namespace {

std::nullopt_t Refuse(CodeRefusal reason, CodeRefusal* why) {
    if (why != nullptr) *why = reason;
    return std::nullopt;
}

// The code's characters as code points; bytes that are not UTF-8 count one each.
std::vector<char32_t> CodePoints(std::string_view s) {
    std::vector<char32_t> out;
    if (!IsValidUtf8(s)) {
        for (char c : s) out.push_back(static_cast<std::uint8_t>(c));
        return out;
    }
    while (!s.empty()) {
        const std::size_t len = FirstUtf8CharLength(s);
        char32_t cp = static_cast<std::uint8_t>(s[0]);
        if (len > 1) {
            cp &= 0x3Fu >> (len - 1);
            for (std::size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (static_cast<std::uint8_t>(s[k]) & 0x3Fu);
        }
        out.push_back(cp);
        s.remove_prefix(len);
    }
    return out;
}

}  // namespace

int HexDigitValue(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A') + 10;
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a') + 10;
    return 0;
}

std::optional<unsigned> CodeOfText(std::string_view utf8, CodeRefusal* why) {
    if (utf8.empty()) return Refuse(CodeRefusal::EmptyText, why);
    if (!IsValidUtf8(utf8)) return Refuse(CodeRefusal::NotUtf8, why);
    const std::optional<std::string> gbk =
        ConvertStrict(utf8.substr(0, FirstUtf8CharLength(utf8)), "GBK", "UTF-8");
    if (!gbk || gbk->empty()) return Refuse(CodeRefusal::NoCode, why);
    const auto b0 = static_cast<std::uint8_t>((*gbk)[0]);
    if (b0 < 0x80) return b0;
    const unsigned b1 = gbk->size() > 1 ? static_cast<std::uint8_t>((*gbk)[1]) : 0;
    return b0 * 256u + b1;
}

std::optional<std::string> TextOfCode(std::string_view code, CodeRefusal* why) {
    const std::vector<char32_t> digits = CodePoints(code);
    if (digits.size() != 2 && digits.size() != 4) {
        if (why != nullptr) *why = CodeRefusal::CodeLength;
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes += static_cast<char>((16 * HexDigitValue(digits[i]) + HexDigitValue(digits[i + 1])) &
                                   0xFF);
    const auto b0 = static_cast<std::uint8_t>(bytes[0]);
    std::optional<std::string> text;
    if (b0 == 0) {
        if (why != nullptr) *why = CodeRefusal::ZeroByte;
    } else if (b0 < 0x80) {
        text = bytes.substr(0, 1);
    } else {
        text = ConvertStrict(bytes, "UTF-8", "GBK");
        if (!text && why != nullptr) *why = CodeRefusal::NoCharacter;
    }
    return text;
}

std::string FormatCode(unsigned code) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", code);
    return text;
}

const char* CodeRefusalText(CodeRefusal why) {
    switch (why) {
        case CodeRefusal::EmptyText:
            return texts::kCodeEmptyText;
        case CodeRefusal::NotUtf8:
            return texts::kCodeNotUtf8;
        case CodeRefusal::NoCode:
            return texts::kCodeNoCode;
        case CodeRefusal::CodeLength:
            return texts::kCodeLength;
        case CodeRefusal::ZeroByte:
            return texts::kCodeZeroByte;
        case CodeRefusal::NoCharacter:
            break;
    }
    return texts::kCodeNoCharacter;
}

}  // namespace vardo
