// Qt's own dialogs follow the language installed for them, and a later language replaces it.

#include "app/qt_translations.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QCoreApplication>
#include <utility>

namespace vardo {
namespace {

QString Qt(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

TEST(QtTranslations, QtsDialogsSpeakTheInstalledLanguageUntilAnotherReplacesIt) {
    const struct {
        QLocale locale;
        bool found;
        const char* colorTitle;
        bool english;
    } cases[] = {
        {ProgramLocale(), true, "选择颜色", false},
        // Qt's own words are English: its English catalogue is empty, so nothing is installed.
        {QLocale(QLocale::English, QLocale::UnitedStates), false, "Select Color", true},
        {ProgramLocale(), true, "选择颜色", false},
        // Nor for a language Qt has no texts for: Qt's own English, not the previous language.
        {QLocale::c(), false, "Select Color", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstallQtTranslations(c.locale), c.found) << c.colorTitle;
        QColorDialog colors;
        EXPECT_EQ(colors.windowTitle(), QString::fromUtf8(c.colorTitle));
        for (const auto& [context, text] : {std::pair{"QFileDialog", "Look in:"},
                                            {"QPrintDialog", "Print"},
                                            {"QPrintPreviewDialog", "Print Preview"}})
            EXPECT_EQ(Qt(context, text) == QString::fromUtf8(text), c.english) << text;
    }
}

}  // namespace
}  // namespace vardo
