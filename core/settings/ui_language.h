#pragma once
// The language the program's windows speak: Chinese, its own, unless the desktop asks for
// English or the user chose one in 语言 / Language ([Interface] Language= in SetUp.ini).

#include <string>
#include <string_view>

namespace vardo {

enum class UiLanguage { Desktop, Chinese, English };

// The user's choice; Desktop when the key is missing, empty or holds anything but "zh" or "en".
UiLanguage ReadUiLanguage(const std::string& path);
// Writes the choice ("zh", "en", or the key removed for Desktop); 1 on success, 0 when the file
// could not be written.
[[nodiscard]] int WriteUiLanguage(const std::string& path, UiLanguage language);

// The desktop's language by the POSIX order of the variables: the first non-empty of LC_ALL,
// LC_MESSAGES, LANG names it; then fallback (the toolkit's own idea of the system locale).
// English for a name starting with "en", Chinese for anything else.
UiLanguage DesktopLanguage(std::string_view lcAll, std::string_view lcMessages,
                           std::string_view lang, std::string_view fallback);

// Chinese or English: the choice, or the desktop's when the choice is Desktop.
UiLanguage EffectiveLanguage(UiLanguage chosen, UiLanguage desktop);

}  // namespace vardo
