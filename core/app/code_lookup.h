#pragma once
// The code lookup tool's two conversions: a character to its code in the recorder's character
// set (GBK: ASCII below 0x80, two bytes for a Chinese character) and a code back to the one
// character it stands for. Text is UTF-8; iconv does the GBK part.

#include <optional>
#include <string>
#include <string_view>

namespace vardo {

// '0'..'9' give 0..9, 'A'..'Z' and 'a'..'z' give 10..35, anything else 0, as the tool reads digits.
int HexDigitValue(char32_t c);

enum class CodeRefusal { EmptyText, NotUtf8, NoCode, CodeLength, ZeroByte, NoCharacter };

// The code of the first character: its byte when below 0x80, else first byte x 256 + second.
std::optional<unsigned> CodeOfText(std::string_view utf8, CodeRefusal* why = nullptr);

// The character (UTF-8) that a code of exactly 2 or 4 characters stands for: each pair of digits
// gives a byte (16 x d1 + d2) mod 256; a first byte 0x01..0x7F is that character, else the GBK
// character of the two bytes.
std::optional<std::string> TextOfCode(std::string_view code, CodeRefusal* why = nullptr);

// "%X" of a code.
std::string FormatCode(unsigned code);

// Why a conversion was refused, in words for the user.
const char* CodeRefusalText(CodeRefusal why);

}  // namespace vardo
