// vardo: the desktop program.

#include <QApplication>

#include "app/vardo_app.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vardo"));
    vardo::CVardoApp app;
    if (!app.InitInstance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
