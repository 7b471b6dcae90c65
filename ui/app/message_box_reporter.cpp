#include "app/message_box_reporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>

#include "app/ui_text.h"
#include "base/texts.h"

namespace vardo {

namespace {

void ShowBox(const QString& text, MessageIcon icon) {
    QMessageBox::Icon qicon = QMessageBox::Critical;
    if (icon == MessageIcon::Information) qicon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qicon = QMessageBox::Warning;
    // A dialog's own messages belong to the dialog; the document's have no owner, and no dialog
    // is up when the document speaks.
    QMessageBox box(qicon, UiText(texts::kMessageTitle), text, QMessageBox::Ok,
                    QApplication::activeModalWidget());
    box.button(QMessageBox::Ok)->setText(UiText(texts::kOk));
    box.exec();
}

}  // namespace

void MessageBoxReporter::ShowMessage(std::string_view text, MessageIcon icon) {
    const QString message = UiMessage(text);
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) return;
    if (QThread::currentThread() == app->thread()) {
        ShowBox(message, icon);
        return;
    }
    // Workers report too; a box can only live on the interface thread, and the worker waits
    // for it as it would for its own.
    QMetaObject::invokeMethod(
        app, [message, icon] { ShowBox(message, icon); }, Qt::BlockingQueuedConnection);
}

}  // namespace vardo
