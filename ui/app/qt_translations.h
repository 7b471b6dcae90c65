#pragma once
// Qt's own dialogs (colour, file, print, print preview) and its standard buttons speak the
// program's language only when Qt's translations for it are loaded.

#include <QLocale>

namespace vardo {

// The program's language: Chinese, as its own texts are.
QLocale ProgramLocale();

// Puts Qt's translations for locale in place of those installed before, from Qt's translation
// folder; false when Qt has none for it (the dialogs then stay in Qt's English).
[[nodiscard]] bool InstallQtTranslations(const QLocale& locale);

}  // namespace vardo
