// vardo: the desktop program.

#include <QApplication>

#include "app/vardo_app.h"
#include "base/texts.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vardo::texts::kAppTitle));
    vardo::CVardoApp app;
    if (!app.InitInstance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
