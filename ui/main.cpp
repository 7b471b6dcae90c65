// vardo: the desktop program.

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>
#include <cstring>

#include "app/app_icon.h"
#include "app/ui_text.h"
#include "app/vardo_app.h"
#include "base/texts.h"

namespace {

constexpr const char* kUsage =
    "usage: vardo [FILE]\n"
    "\n"
    "The desktop program for paperless chart recorders: history as curves and as a table,\n"
    "upload over a serial line or from the CF card, live values, statistics, Excel export,\n"
    "printing.\n"
    "\n"
    "Positionals:\n"
    "  FILE                        a history file to show; without it, the file shown at the\n"
    "                              end of the last run\n"
    "\n"
    "Options:\n"
    "  -h,--help                   Print this help message and exit\n"
    "  --version                   Print the version and exit\n"
    "\n"
    "SetUp.ini and Data/ are in the home that \"vardo-cli home\" prints.\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts: the build makes the manual page from it, without a screen.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("vardo " VARDO_VERSION);
        return 0;
    }
    QApplication qapp(argc, argv);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(vardo::AppIcon(64))));
    QApplication::setApplicationName(vardo::UiText(vardo::texts::kAppTitle));
    // The desktop entry's name: how the desktop matches the window to the entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VARDO_APP_ID));
    vardo::CVardoApp app;
    // Before the first window: every text is translated when its widget is made.
    const vardo::UiLanguage language = vardo::EffectiveLanguage(
        vardo::ReadUiLanguage(app.Document().settingsPath()), vardo::SystemUiLanguage());
    if (!vardo::InstallUiLanguage(language))
        std::fputs(language == vardo::UiLanguage::English
                       ? "vardo: the English translation (vardo_en.qm) is not installed; the "
                         "windows stay in Chinese\n"
                       : "vardo: Qt's own Chinese texts are not installed (qt6-translations-l10n); "
                         "its file, colour and print dialogs stay in English\n",
                   stderr);
    // argv rather than QApplication::arguments(): Qt would replace the bytes of a name that is not
    // UTF-8. QApplication has already taken its own options out of argv.
    if (!app.InitInstance(std::vector<std::string>(argv, argv + argc))) return 1;
    return QApplication::exec();
}
