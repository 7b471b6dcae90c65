#include "app/message_box_reporter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QString>

#include "base/texts.h"

namespace vardo {

void MessageBoxReporter::ShowMessage(std::string_view text, MessageIcon icon) {
    QMessageBox::Icon qicon = QMessageBox::Critical;
    if (icon == MessageIcon::Information) qicon = QMessageBox::Information;
    if (icon == MessageIcon::Warning) qicon = QMessageBox::Warning;
    QMessageBox box(qicon, QString::fromUtf8(texts::kMessageTitle),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QString::fromUtf8(texts::kOk));
    box.exec();
}

}  // namespace vardo
