#pragma once
// The program's texts in the language of its windows. The texts are written once, in Chinese,
// in core/base/texts.h (vardo-cli prints them as they are); the ui translates them where they
// are shown, through Qt's translation system and translations/vardo_en.ts.

#include <QString>
#include <string_view>

#include "settings/ui_language.h"

namespace vardo {

// The context every text of the program is translated in.
inline constexpr const char* kTextContext = "vardo";

// source in the language of the windows.
QString UiText(const char* source);
// A printf format in the language of the windows, as UTF-8 to fill with snprintf: the
// translation keeps the format's placeholders in their order. Valid for the whole run.
const char* UiFormat(const char* source);
// A text the core made whole (a message with a path and its reason, a format already filled,
// "device: message"): each line translated as the source it is, the format it was filled from,
// or the source after its "prefix: "; anything else (paths, the system's reasons) as it is.
QString UiMessage(std::string_view text);

// Puts the program's own translation for language in place of the one installed before
// (Chinese needs none) and Qt's for the same language; false when a file is missing (the
// windows then show the source texts or Qt's English).
[[nodiscard]] bool InstallUiLanguage(UiLanguage language);
// Chinese or English: what InstallUiLanguage last put in place.
UiLanguage InstalledUiLanguage();
// The desktop's language from the environment and QLocale::system().
UiLanguage SystemUiLanguage();

}  // namespace vardo
