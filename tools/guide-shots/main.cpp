// vardo-guide-shots DIR FILE: starts the program on FILE in the home that VARDO_HOME names and
// saves the main window in each of its three views as DIR/curves.png, list.png, realtime.png, and
// the communication settings and serial upload dialogs as DIR/commset.png, upload.png. The
// real-time view is taken after acquiring from the recorder of SetUp.ini for a few seconds.

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
#include "link/comm_set_dlg.h"
#include "link/serial_upload_dlg.h"

namespace {

// Lets the window paint and the views reopen their file.
void Settle(int ms = 800) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool Save(QWidget& widget, const QString& file) {
    if (widget.grab().save(file, "PNG")) return true;
    std::fprintf(stderr, "vardo-guide-shots: cannot write %s\n", qPrintable(file));
    return false;
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
        const bool live = shot.command == vardo::cmd::kViewRealtime &&
                          frame.ExecuteCommand(vardo::cmd::kAcquireStart);
        if (live) Settle(6000);
        if (!Save(frame, dir + QLatin1Char('/') + QLatin1String(shot.name))) return 1;
        if (live) frame.ExecuteCommand(vardo::cmd::kAcquireStop);
    }
    vardo::CCommSetDlg commSet(app.Document(), &frame);
    commSet.show();
    Settle();
    if (!Save(commSet, dir + QStringLiteral("/commset.png"))) return 1;
    commSet.reject();
    vardo::CSerialUploadDlg upload(app.Document(), &frame);
    upload.show();
    Settle(1500);
    if (!Save(upload, dir + QStringLiteral("/upload.png"))) return 1;
    upload.reject();
    return 0;
}
