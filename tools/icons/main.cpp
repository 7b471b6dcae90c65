// vardo-icons DIR NAME SIZE...: writes DIR/hicolor/SIZExSIZE/apps/NAME.png for each size.

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "app/app_icon.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: vardo-icons DIR NAME SIZE...\n", stderr);
        return 1;
    }
    // Drawing needs no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "vardo-icons: %s is not a size\n", argv[i]);
            return 1;
        }
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(dir).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !vardo::AppIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "vardo-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
