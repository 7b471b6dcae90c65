#include "app/vardo_app.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>

#include "app/about_dlg.h"
#include "app/app_printer.h"
#include "app/command_ids.h"
#include "app/document_commands.h"
#include "app/main_frame.h"
#include "app/message_box_reporter.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "settings/module_directory.h"

namespace vardo {

CVardoApp::CVardoApp(Reporter* reporter, std::string home) {
    if (reporter == nullptr) {
        ownReporter_ = std::make_unique<MessageBoxReporter>();
        reporter = ownReporter_.get();
    }
    if (home.empty()) home = ModuleDirectory();
    // The first start of an installed program makes its home under the user's data folder.
    CreateHome(home);
    doc_ = std::make_unique<CVardoDoc>(*reporter, home);
    docCommands_ = std::make_unique<DocumentCommands>(*doc_);
    Handle(cmd::kAppAbout, [this] {
        CAboutDlg dlg(frame_.get());
        dlg.exec();
    });
    Handle(cmd::kAppExit, [this] {
        if (frame_) frame_->close();
    });
}

CVardoApp::~CVardoApp() {
    // The window and its view go before the document they show.
    frame_.reset();
}

bool CVardoApp::InitInstance(const std::vector<std::string>& args, bool show) {
    // The recent-file list of the framework lives under this organisation; the program's own
    // settings are all in SetUp.ini.
    QCoreApplication::setOrganizationName(QStringLiteral("Telka"));
    // Where the framework ended the program without a word, the window comes up and says why; the
    // file of the last run stays as it was.
    const bool refused = args.size() > 1 && !args[1].empty() && doc_->OnOpenDocument(args[1]) == 0;
    frame_ = std::make_unique<CMainFrame>(*doc_, *docCommands_, this);
    if (!frame_->OnCreate()) return false;
    frame_->CreateInitialView();
    frame_->setWindowTitle(UiText(texts::kTitleCurves));
    if (show) {
        // Without a window manager "maximised" means nothing; the available screen is what it
        // would have given.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            frame_->setGeometry(screen->availableGeometry());
        frame_->showMaximized();
    }
    AppPrinter().setPageOrientation(QPageLayout::Landscape);
    doc_->TellOversizedSettings();
    if (refused) doc_->reporter().ShowMessage(texts::kOpenFileFailed, MessageIcon::Error);
    return true;
}

}  // namespace vardo
