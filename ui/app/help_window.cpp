#include "app/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/ui_text.h"

namespace vardo {

CHelpWindow::CHelpWindow(const QUrl& page, QWidget* parent)
    : QWidget(parent, Qt::Window), browser(new QTextBrowser(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    // Pages of the guide open in place; a link out of it goes to whatever the desktop has.
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);
    connect(browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& shown) {
        // A page of the English guide names itself; a Chinese page under English (a guide
        // installed without its English pages) gets a title that says what it is.
        const bool chinesePage =
            QFileInfo(shown.toLocalFile()).dir().dirName() != QStringLiteral("en");
        setWindowTitle(InstalledUiLanguage() == UiLanguage::English && chinesePage
                           ? UiText(QT_TRANSLATE_NOOP("vardo", "Vardo 使用说明（中文）"))
                           : browser->documentTitle());
    });
    browser->setSource(page);
    resize(800, 600);
}

}  // namespace vardo
