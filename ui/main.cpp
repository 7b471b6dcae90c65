// vardo: the desktop program.

#include <QApplication>

#include "app/vardo_app.h"
#include "base/texts.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vardo::texts::kAppTitle));
    vardo::CVardoApp app;
    // argv rather than QApplication::arguments(): Qt would replace the bytes of a name that is not
    // UTF-8. QApplication has already taken its own options out of argv.
    if (!app.InitInstance(std::vector<std::string>(argv, argv + argc))) return 1;
    return QApplication::exec();
}
