#pragma once
// Private-profile access to an INI file: the same syntax and rules as the Windows functions the
// settings were designed around. Every call reads the file afresh and every write goes straight
// back to disk, keeping unknown sections, keys, comments and their order. Text is UTF-8 inside;
// a file that is not valid UTF-8 is taken as GBK and written back in GBK.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vardo {

class IniFile {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // At most bufferSize - 1 bytes of the value (counted in the file's own encoding, never
    // splitting a character), or the default when the section or key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, int bufferSize) const;
    // The names of the sections in file order, as written (trimmed), repeats included.
    std::vector<std::string> SectionNames(std::string_view text);
    // Returns text without the sections of that name (compared without regard to ASCII case) and
    // their lines; the blank line that kept a removed section apart goes with it.
    std::string RemoveSection(std::string_view text, std::string_view section);

    // The decimal number at the start of the value; default when missing or empty, 0 when not a
    // number.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Creates file, section and key as needed. 1 on success, 0 when the file cannot be written
    // (it is then left as it was).
    [[nodiscard]] int WriteString(std::string_view section, std::string_view key,
                                  std::string_view value);
    [[nodiscard]] int WriteInt(std::string_view section, std::string_view key, int value);
    // Several keys of one section in one replacement of the file: all of them or none.
    [[nodiscard]] int WriteKeys(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& keys);

    // The file's text as read now (empty for a missing or unusable file): for readers that take
    // many keys at once instead of reading the file once per key.
    std::string Text() const;
    // Removes every section of that name with its keys; 1 on success (also when there was none).
    int RemoveSection(std::string_view section);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Parsing is pure: the reader and the fuzz target use these directly.
namespace ini {

// Settings files are a few kilobytes; anything larger is not one of ours and is not parsed.
inline constexpr std::size_t kMaxFileSize = 1 << 20;

// Whether the file at path is a regular file over kMaxFileSize: every key then reads as its
// default and no write succeeds, which the user must be told.
bool IsOversized(const std::string& path);

enum class Encoding { Utf8, Gbk };

struct DecodedText {
    std::string text;  // UTF-8, without byte order mark
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false;
};

// The file's bytes as UTF-8 text: valid UTF-8 is taken as it is, anything else as GBK.
DecodedText Decode(std::string_view bytes);
// Back to the file's own encoding; nullopt when a character cannot be written in it.
std::optional<std::string> Encode(const DecodedText& text);

// Finds the value of key in section (names compared without regard to ASCII case; the first
// section and the first key of that name count). The value comes back trimmed of surrounding
// white space.
bool Lookup(std::string_view text, std::string_view section, std::string_view key,
            std::string* value);
// Returns text with the key set, adding section or key as needed; every other line stays as it
// was.
std::string Replace(std::string_view text, std::string_view section, std::string_view key,
                    std::string_view value);

// The names of the sections in file order, as written (trimmed), repeats included.
std::vector<std::string> SectionNames(std::string_view text);
// Returns text without the sections of that name (compared without regard to ASCII case) and
// their lines; the blank line that kept a removed section apart goes with it.
std::string RemoveSection(std::string_view text, std::string_view section);

// The decimal number at the start of value as the Windows profile functions read it: optional
// blanks and sign, then digits, wrapping like a 32-bit register; 0 when there are no digits.
int ParseInt(std::string_view value);

}  // namespace ini

}  // namespace vardo
