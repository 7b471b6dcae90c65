#include "settings/ui_language.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(UiLanguage, OnlyZhAndEnChooseAndEverythingElseFollowsTheDesktop) {
    testing::TempDir dir;
    const std::string ini = dir.path() + "/SetUp.ini";
    const struct {
        const char* file;
        UiLanguage read;
    } cases[] = {
        {"", UiLanguage::Desktop},
        {"[Interface]\nLanguage=en\n", UiLanguage::English},
        {"[interface]\nlanguage = zh \n", UiLanguage::Chinese},
        {"[Interface]\nLanguage=\n", UiLanguage::Desktop},
        {"[Interface]\nLanguage=EN\n", UiLanguage::Desktop},
        // Read cut to the buffer, then refused: never taken for "en".
        {"[Interface]\nLanguage=english\n", UiLanguage::Desktop},
        {"[Interface]\nLanguage=fr\n", UiLanguage::Desktop},
        {"[Other]\nLanguage=en\n", UiLanguage::Desktop},
    };
    for (const auto& c : cases) {
        std::ofstream(ini, std::ios::trunc) << c.file;
        EXPECT_EQ(ReadUiLanguage(ini), c.read) << c.file;
    }
}

TEST(UiLanguage, TheChoiceIsWrittenBesideTheOtherSettingsAndReadBack) {
    testing::TempDir dir;
    const std::string ini = dir.path() + "/SetUp.ini";
    std::ofstream(ini) << "[ComSet]\nJlyIndex=3\n";
    for (UiLanguage l : {UiLanguage::English, UiLanguage::Chinese, UiLanguage::Desktop}) {
        ASSERT_EQ(WriteUiLanguage(ini, l), 1);
        EXPECT_EQ(ReadUiLanguage(ini), l);
    }
    EXPECT_NE(Slurp(ini).find("JlyIndex=3"), std::string::npos);
    // A folder that is not there keeps nothing and says so.
    EXPECT_EQ(WriteUiLanguage(dir.path() + "/missing/SetUp.ini", UiLanguage::English), 0);
}

TEST(UiLanguage, TheDesktopSpeaksByLcAllThenLcMessagesThenLang) {
    const struct {
        const char *lcAll, *lcMessages, *lang, *system;
        UiLanguage language;
    } cases[] = {
        {"", "", "en_US.UTF-8", "zh_CN", UiLanguage::English},
        {"", "", "en", "zh_CN", UiLanguage::English},
        {"", "", "zh_CN.UTF-8", "en_US", UiLanguage::Chinese},
        {"", "", "de_DE.UTF-8", "en_US", UiLanguage::Chinese},
        {"C", "", "en_US.UTF-8", "en_US", UiLanguage::Chinese},
        {"", "en_GB.UTF-8", "zh_CN.UTF-8", "zh_CN", UiLanguage::English},
        {"zh_TW", "en_GB", "en_US", "en_US", UiLanguage::Chinese},
        {"", "", "", "en_AU", UiLanguage::English},
        {"", "", "", "C", UiLanguage::Chinese},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopLanguage(c.lcAll, c.lcMessages, c.lang, c.system), c.language)
            << c.lcAll << "|" << c.lcMessages << "|" << c.lang << "|" << c.system;
    EXPECT_EQ(EffectiveLanguage(UiLanguage::Desktop, UiLanguage::English), UiLanguage::English);
    EXPECT_EQ(EffectiveLanguage(UiLanguage::Chinese, UiLanguage::English), UiLanguage::Chinese);
    EXPECT_EQ(EffectiveLanguage(UiLanguage::English, UiLanguage::Chinese), UiLanguage::English);
}

}  // namespace
}  // namespace vardo
