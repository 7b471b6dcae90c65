#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

namespace vardo {

namespace {

// Installed for the whole run; a later language replaces them.
std::vector<std::unique_ptr<QTranslator>>& Installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

}  // namespace

QLocale ProgramLocale() {
    return QLocale(QLocale::Chinese, QLocale::China);
}

bool InstallQtTranslations(const QLocale& locale) {
    for (const auto& t : Installed()) QCoreApplication::removeTranslator(t.get());
    Installed().clear();
    // qtbase holds the texts of the widgets and of every dialog Qt makes, print dialogs included.
    auto t = std::make_unique<QTranslator>();
    if (!t->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(t.get()))
        return false;
    Installed().push_back(std::move(t));
    return true;
}

}  // namespace vardo
