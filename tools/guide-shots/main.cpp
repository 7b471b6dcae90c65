// vardo-guide-shots DIR FILE: starts the program on FILE in the home that VARDO_HOME names and
// saves the main window in each of its three views as DIR/curves.png, list.png, realtime.png.

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "base/texts.h"

namespace {

// Lets the window paint and the views reopen their file.
void Settle() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 800) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: vardo-guide-shots DIR FILE\n", stderr);
        return 1;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vardo::texts::kAppTitle));
    const QString dir = QString::fromLocal8Bit(argv[1]);
    vardo::CVardoApp app;
    if (!app.InitInstance({"vardo", argv[2]}, false)) return 1;
    vardo::CMainFrame& frame = *app.MainFrame();
    frame.resize(960, 600);
    frame.show();
    const struct {
        int command;
        const char* name;
    } shots[] = {
        {vardo::cmd::kViewCurves, "curves.png"},
        {vardo::cmd::kViewList, "list.png"},
        {vardo::cmd::kViewRealtime, "realtime.png"},
    };
    for (const auto& shot : shots) {
        frame.SwitchView(shot.command);
        Settle();
        const QString file = dir + QLatin1Char('/') + QLatin1String(shot.name);
        if (!frame.grab().save(file, "PNG")) {
            std::fprintf(stderr, "vardo-guide-shots: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
