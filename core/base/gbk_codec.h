#pragma once
// Text is UTF-8 inside the program; GBK only at the edges (old settings files, the code lookup
// tool). Conversions are lossless for GBK input: a byte that is not GBK travels through UTF-8 as
// a private-use character and comes back as the same byte, so rewriting a file never drops
// bytes the program did not understand.

#include <optional>
#include <string>
#include <string_view>

namespace vardo {

bool IsValidUtf8(std::string_view bytes);

// GBK bytes to UTF-8. Never fails: undecodable bytes become U+F700 + byte.
std::string GbkToUtf8(std::string_view gbk);
// UTF-8 to GBK, restoring the bytes GbkToUtf8 escaped. nullopt when a character has no GBK code.
std::optional<std::string> Utf8ToGbk(std::string_view utf8);

// What iconv itself says, without the escapes above: nullopt when in holds anything that has no
// form in the target encoding, or an incomplete character.
std::optional<std::string> ConvertStrict(std::string_view in, const char* to, const char* from);

// Bytes of the UTF-8 character that starts utf8 (1 to 4; 0 for an empty text). utf8 must be
// valid UTF-8.
std::size_t FirstUtf8CharLength(std::string_view utf8);

// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string_view CutUtf8(std::string_view utf8, std::size_t maxBytes);
std::string_view CutGbk(std::string_view gbk, std::size_t maxBytes);

}  // namespace vardo
