#include "app/document_commands.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/code_conv_dlg.h"
#include "app/command_ids.h"
#include "app/file_names.h"
#include "app/ui_text.h"
#include "archive/archive_open_dlg.h"
#include "base/texts.h"
#include "cfcard/cf_upload_dlg.h"
#include "collect/collect_run_dlg.h"
#include "collect/collect_set_dlg.h"
#include "link/comm_set_dlg.h"
#include "link/serial_upload_dlg.h"
#include "settings/setup_ini.h"

namespace vardo {

QString QtFileFilter(const std::string& mfcFilter) {
    const QStringList parts = QString::fromStdString(mfcFilter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (name.isEmpty()) break;
        // Qt reads the patterns from the last parenthesis of an entry; a name that already ends
        // with them is used as it stands.
        if (name.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')))
            entries << name;
        else
            entries << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

DocumentCommands::DocumentCommands(CVardoDoc& doc) : doc_(doc) {
    chooseFile = [this](const QString& title, const QString& dir, const QString& filter,
                        const QString& initialName) {
        QFileDialog dialog(dialogParent, title, dir, filter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setOption(QFileDialog::ReadOnly, true);
        dialog.selectFile(initialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().front();
    };
    const Rule notAcquiring = [this] { return !doc_.AcquisitionBusy(); };
    // Opening a file replaces the record that acquisition writes into.
    Handle(
        cmd::kFileOpen, [this] { OpenCommand(); }, notAcquiring);
    // A span replaces the file shown, which acquisition's record cannot allow either.
    Handle(
        cmd::kArchiveOpen, [this] { CArchiveOpenDlg::Run(doc_, dialogParent); }, notAcquiring);
    // The import and the upload open their file when done, which acquisition's record cannot
    // allow.
    Handle(
        cmd::kCfUpload, [this] { CCfUploadDlg(doc_, dialogParent).exec(); }, notAcquiring);
    Handle(
        cmd::kSerialUpload, [this] { CSerialUploadDlg(doc_, dialogParent).exec(); }, notAcquiring);
    // The new values apply when a link next opens, which acquisition's own link does not.
    Handle(
        cmd::kCommSettings, [this] { CCommSetDlg(doc_, dialogParent).exec(); }, notAcquiring);
    Handle(cmd::kCodeLookup, [this] { CCodeConvDlg(dialogParent).exec(); });
    Handle(cmd::kCollectSettings, [this] { CCollectSetDlg(doc_, dialogParent).exec(); });
    Handle(cmd::kCollectNow, [this] {
        CCollectRunDlg dialog(doc_, dialogParent);
        dialog.Start();
        dialog.exec();
    });
}

void DocumentCommands::OpenCommand() {
    const std::string ext = ReadModelList(doc_.settingsPath()).ext;
    char filter[256];
    std::snprintf(filter, sizeof filter, UiFormat(texts::kHistoryFilter), ext.c_str(), ext.c_str());
    const std::string data = doc_.dataDirectory();
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    const QString path = chooseFile(
        UiText(texts::kOpenHistoryTitle), QFile::decodeName(QByteArray::fromStdString(data)),
        QtFileFilter(filter), QStringLiteral("*.") + QString::fromStdString(ext));
    if (path.isEmpty()) return;
    doc_.OpenChosenPath(FileNameBytes(path));
}

}  // namespace vardo
