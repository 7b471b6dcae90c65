#include "settings/ui_language.h"

#include "settings/ini_file.h"

namespace vardo {

namespace {

constexpr const char* kInterface = "Interface";
constexpr const char* kLanguage = "Language";
// "zh" or "en" and their terminator; a longer value reads cut and is then refused.
constexpr int kLanguageBuffer = 4;

}  // namespace

UiLanguage ReadUiLanguage(const std::string& path) {
    const std::string value = IniFile(path).GetString(kInterface, kLanguage, "", kLanguageBuffer);
    if (value == "zh") return UiLanguage::Chinese;
    if (value == "en") return UiLanguage::English;
    return UiLanguage::Desktop;
}

int WriteUiLanguage(const std::string& path, UiLanguage language) {
    IniFile ini(path);
    switch (language) {
        case UiLanguage::Chinese:
            return ini.WriteString(kInterface, kLanguage, "zh");
        case UiLanguage::English:
            return ini.WriteString(kInterface, kLanguage, "en");
        case UiLanguage::Desktop:
            break;
    }
    return ini.WriteString(kInterface, kLanguage, "");
}

UiLanguage DesktopLanguage(std::string_view lcAll, std::string_view lcMessages,
                           std::string_view lang, std::string_view fallback) {
    std::string_view name = fallback;
    for (std::string_view v : {lcAll, lcMessages, lang}) {
        if (!v.empty()) {
            name = v;
            break;
        }
    }
    return name.substr(0, 2) == "en" ? UiLanguage::English : UiLanguage::Chinese;
}

UiLanguage EffectiveLanguage(UiLanguage chosen, UiLanguage desktop) {
    return chosen == UiLanguage::Desktop ? desktop : chosen;
}

}  // namespace vardo
