#include "history/file_browse_dlg.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "app/app_icon.h"
#include "app/dialog_units.h"
#include "app/file_names.h"
#include "app/ui_text.h"
#include "base/texts.h"
#include "history/history_directory.h"
#include "history/history_summary.h"
#include "settings/setup_ini.h"

namespace vardo {

namespace {

// Chinese text may break after any character, so a narrow box would split "02时57分00秒" after
// "57". Word joiners between the characters of each date and time leave the space between the
// date and the time as the only place to break.
QString KeepTimesWhole(const QString& text) {
    static const QRegularExpression times(QStringLiteral("(\\d+[年月日时分秒])+"));
    QString out;
    qsizetype done = 0;
    for (auto it = times.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(done, m.capturedStart() - done);
        const QString run = m.captured();
        for (qsizetype i = 0; i < run.size(); ++i) {
            if (i > 0) out += QChar(0x2060);
            out += run[i];
        }
        done = m.capturedEnd();
    }
    return out + text.mid(done);
}

// The summary comes whole from the core: its headings are texts of their own, each value after
// its heading's colon is a time, a model name or a number.
QString TranslatedSummary(const std::string& text) {
    if (InstalledUiLanguage() == UiLanguage::Chinese) return QString::fromStdString(text);
    std::string labelled = text;
    for (const char* label : {texts::kSummaryFileName, texts::kSummaryModel,
                              texts::kSummaryChannels, texts::kSummaryInterval,
                              texts::kSummaryStart, texts::kSummaryEnd, texts::kSummaryRanges}) {
        const std::string from = label;
        const std::string to = UiFormat(label);
        for (std::size_t at = labelled.find(from); at != std::string::npos;
             at = labelled.find(from, at + to.size()))
            labelled.replace(at, from.size(), to);
    }
    QStringList lines = QString::fromStdString(labelled).split(QStringLiteral("\r\n"));
    for (QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral("："));
        if (colon >= 0)
            line = UiMessage(line.left(colon + 1).toStdString()) +
                   UiMessage(line.mid(colon + 1).toStdString());
        else if (const qsizetype sep = line.indexOf(QStringLiteral(": ")); sep >= 0)
            line = line.left(sep + 2) + UiMessage(line.mid(sep + 2).toStdString());
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

CFileBrowseDlg::CFileBrowseDlg(CVardoDoc& doc, QWidget* parent)
    : QDialog(parent),
      directoryEdit(new QLineEdit(this)),
      browseButton(new QPushButton(UiText(texts::kBrowseButton), this)),
      files(new QListWidget(this)),
      summary(new QPlainTextEdit(this)),
      openButton(new QPushButton(UiText(texts::kBrowseOpen), this)),
      closeButton(new QPushButton(UiText(texts::kClose), this)),
      doc_(doc) {
    setWindowTitle(UiText(texts::kBrowseTitle));
    const DialogUnits du(this);
    setFixedSize(du.Size(406, 261));
    du.Place(directoryEdit, 7, 7, 333, 14);
    du.Place(browseButton, 345, 7, 54, 14);
    du.Place(files, 7, 26, 240, 228);
    du.Place(summary, 252, 26, 147, 205);
    du.Place(openButton, 252, 240, 70, 14);
    du.Place(closeButton, 329, 240, 70, 14);

    directoryEdit->setReadOnly(true);
    files->setViewMode(QListView::IconMode);
    files->setIconSize(QSize(32, 32));
    files->setResizeMode(QListView::Adjust);
    files->setMovement(QListView::Static);
    // Room under each icon for a whole program-made name, so that neighbours never overlap.
    const QFontMetrics fm = files->fontMetrics();
    files->setGridSize(QSize(fm.horizontalAdvance(QStringLiteral("00@0000-00-00_00-00-00.vd")) + 16,
                             32 + 2 * fm.height() + 8));
    files->setTextElideMode(Qt::ElideMiddle);
    files->setSelectionMode(QAbstractItemView::SingleSelection);
    summary->setReadOnly(true);
    summary->setTabStopDistance(4 * summary->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    summary->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    closeButton->setDefault(true);

    chooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start);
    };
    connect(browseButton, &QPushButton::clicked, this, &CFileBrowseDlg::Browse);
    connect(openButton, &QPushButton::clicked, this, &CFileBrowseDlg::OpenSelected);
    connect(closeButton, &QPushButton::clicked, this, &CFileBrowseDlg::accept);
    connect(files, &QListWidget::itemDoubleClicked, this, &CFileBrowseDlg::OpenSelected);
    // Once per change of the current file: a damaged file's box comes up once, not once for
    // every state its item passes through.
    connect(files, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current) { ShowSummary(current); });

    FillList(doc_.dataDirectory());
}

void CFileBrowseDlg::Run(CVardoDoc& doc, QWidget* parent) {
    CFileBrowseDlg dialog(doc, parent);
    dialog.exec();
}

void CFileBrowseDlg::FillList(const std::string& dir) {
    directory = dir;
    directoryEdit->setText(DisplayName(dir));
    files->clear();
    const QIcon icon(QPixmap::fromImage(DocumentIcon(32)));
    for (const std::string& name : ListHistoryFiles(dir, ReadModelList(doc_.settingsPath()).ext)) {
        auto* item = new QListWidgetItem(icon, DisplayName(name), files);
        item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
}

void CFileBrowseDlg::Browse() {
    const QString chosen = chooseFolder(UiText(texts::kBrowseFolderTitle),
                                        QFile::decodeName(QByteArray::fromStdString(directory)));
    if (chosen.isEmpty()) return;
    summary->clear();
    FillList(FileNameBytes(chosen));
}

std::string CFileBrowseDlg::PathOf(const QListWidgetItem* item) const {
    return directory + "/" + item->data(Qt::UserRole).toByteArray().toStdString();
}

void CFileBrowseDlg::ShowSummary(QListWidgetItem* item) {
    if (item == nullptr) return;
    const ModelList models = ReadModelList(doc_.settingsPath());
    std::string text;
    const SummaryResult result =
        ReadHistorySummary(PathOf(item), item->text().toStdString(), models, &text);
    if (result == SummaryResult::Damaged)
        doc_.reporter().ShowMessage(texts::kFileDamaged, MessageIcon::Error);
    summary->setPlainText(KeepTimesWhole(
        TranslatedSummary(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
}

void CFileBrowseDlg::OpenSelected() {
    const QListWidgetItem* item = files->currentItem();
    if (item == nullptr || !item->isSelected()) return;
    doc_.OpenPath(PathOf(item));
    accept();
}

}  // namespace vardo
