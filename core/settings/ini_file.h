#pragma once
// Private-profile access to an INI file: the same syntax and rules as the Windows functions the
// settings were designed around. Every call reads the file afresh and every write goes straight
// back to disk, keeping unknown sections, keys, comments and their order. Text is UTF-8 inside;
// a file that is not valid UTF-8 is taken as GBK and written back in GBK.

#include <string>
#include <string_view>

namespace vardo {

class IniFile {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    // At most bufferSize - 1 bytes of the value (counted in the file's own encoding), or the
    // default when the section or key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, int bufferSize) const;
    // The decimal number at the start of the value; default when missing, 0 when not a number.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Creates file, section and key as needed. 1 on success, 0 when the file cannot be written.
    int WriteString(std::string_view section, std::string_view key, std::string_view value);
    int WriteInt(std::string_view section, std::string_view key, int value);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// Parsing is pure: the reader and the fuzz target use these directly.
namespace ini {
// Looks a key up in the text of a file (already in UTF-8); nullopt-like "found" flag.
bool Lookup(std::string_view text, std::string_view section, std::string_view key,
            std::string* value);
// Returns text with the key set, adding section or key as needed.
std::string Replace(std::string_view text, std::string_view section, std::string_view key,
                    std::string_view value);
}  // namespace ini

}  // namespace vardo
