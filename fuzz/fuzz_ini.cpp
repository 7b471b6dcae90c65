// Settings files are edited by hand and carried between machines: any bytes must parse, survive a
// rewrite byte for byte where untouched, and give back what was written.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace {

constexpr const char* kSections[] = {"ViewSet",  "FileSet",   "ComSet",
                                     "SaveReal", "VarParams", "Ports"};
constexpr const char* kKeys[] = {"Chnls", "color0", "LastFile", "ComPort", "Type4", "Ext", "COM1"};

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > vardo::ini::kMaxFileSize) return 0;
    const char* section = kSections[data[0] % std::size(kSections)];
    const char* key = kKeys[data[1] % std::size(kKeys)];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    const vardo::ini::DecodedText decoded = vardo::ini::Decode(bytes);
    const auto encoded = vardo::ini::Encode(decoded);
    Check(encoded.has_value() && *encoded == bytes);

    std::string value;
    if (vardo::ini::Lookup(decoded.text, section, key, &value)) vardo::ini::ParseInt(value);

    // A value of the file's own first bytes, made writable: no line breaks, no blanks at its ends.
    std::string written;
    for (char c : bytes.substr(0, 24)) written += (c == '\r' || c == '\n') ? '_' : c;
    while (!written.empty() && static_cast<unsigned char>(written.back()) <= ' ')
        written.pop_back();
    while (!written.empty() && static_cast<unsigned char>(written.front()) <= ' ')
        written.erase(0, 1);
    const std::string after = vardo::ini::Replace(decoded.text, section, key, written);
    Check(vardo::ini::Lookup(after, section, key, &value) && value == written);
    return 0;
}
