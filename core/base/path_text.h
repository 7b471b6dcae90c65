#pragma once
// File names are bytes to the file system and text to the user and to SetUp.ini. A name from a
// Chinese Windows machine (an old share, a copied card) is GBK, not UTF-8: it must still open
// from every place a name comes from, as the same bytes that vardo-cli is handed.

#include <string>
#include <string_view>

namespace vardo {

// The name as UTF-8 text: a UTF-8 name as it is; any other name read as GBK, every byte kept
// (GbkToUtf8 escapes what GBK cannot decode).
std::string PathText(std::string_view path);

// The name on disk behind a text from PathText: the text's own bytes when a file has that name
// or when the text has no GBK form; else its GBK bytes when a file has those.
std::string PathOnDisk(std::string_view text);

}  // namespace vardo
