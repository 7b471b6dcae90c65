// The CF card dialog, the history file browser and the code lookup tool, driven headless as a
// user drives them: card images for drives, a folder choice handed in, typed codes.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <filesystem>

#include "app/app_icon.h"
#include "app/code_conv_dlg.h"
#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "app/vardo_doc.h"
#include "cfcard/cf_upload_dlg.h"
#include "history/file_browse_dlg.h"
#include "support/card_image.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::BackupLayout;
using testing::CardImage;

struct DialogTest : ::testing::Test {
    void SetUp() override { std::filesystem::create_directories(home / "Data"); }
    std::vector<std::pair<std::string, MessageIcon>> Messages() {
        std::vector<std::pair<std::string, MessageIcon>> out;
        for (const auto& e : reporter.entries) out.emplace_back(e.text, e.icon);
        reporter.entries.clear();
        return out;
    }
    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path() + "/"};
};

TEST_F(DialogTest, CardDialogListsTheBackupsAndImportsTheChosenOneThenOpensIt) {
    CardImage image;
    BackupLayout b;
    b.slot = 5;
    b.address = 12;
    image.Add(b);
    BackupLayout faulty;
    faulty.slot = 3;
    faulty.intervalCode = 9;
    faulty.data = false;
    image.Add(faulty);
    ASSERT_TRUE(image.WriteFile(home / "card.img"));

    CCfUploadDlg dlg(doc);
    dlg.findDrives = [this] { return std::vector<std::string>{home / "card.img"}; };
    dlg.show();
    ASSERT_TRUE(testing::WaitUntil([&] { return dlg.backups->rowCount() == 1; }));
    EXPECT_EQ(Messages(),
              (decltype(Messages()){{"CF卡备份文件有误，请重新备份！", MessageIcon::Error}}));
    EXPECT_EQ(dlg.backups->item(0, 0)->text(), QString("05.dat"));
    EXPECT_EQ(dlg.backups->item(0, 1)->text(), QString("12"));
    EXPECT_EQ(dlg.backups->item(0, 3)->text(), QString("2026-03-04 12:00:00"));

    dlg.saveButton->click();
    EXPECT_EQ(Messages(),
              (decltype(Messages()){{"请选择列表中需要上传的文件！", MessageIcon::Information}}));
    dlg.backups->selectRow(0);
    dlg.saveButton->click();
    ASSERT_TRUE(testing::WaitUntil([&] { return !dlg.Busy() && !reporter.entries.empty(); }));
    EXPECT_EQ(Messages(), (decltype(Messages()){{"文件上传完成！", MessageIcon::Information}}));
    const std::string path = home / "Data/12@2026-03-04_12-00-00.vd";
    EXPECT_EQ(doc.filePath, path);
    EXPECT_EQ(doc.dataValid, 1);
    EXPECT_TRUE(testing::ReadBytes(path) == testing::ExpectedImport(b));
    EXPECT_EQ(dlg.progress->value(), dlg.progress->maximum());
}

TEST(CardImportInTheProgram, TheCommandImportsAnImageThatTheCurvesThenShow) {
    testing::TempDir home;
    RecordingReporter reporter;
    CardImage image;
    BackupLayout b;
    b.slot = 2;
    image.Add(b);
    ASSERT_TRUE(image.WriteFile(home / "card.img"));
    CVardoApp app(&reporter, home.path() + "/");
    ASSERT_TRUE(app.InitInstance({"vardo"}));
    CMainFrame& frame = *app.MainFrame();
    for (int id : {cmd::kCfUpload, cmd::kCodeLookup, cmd::kFileBrowser})
        EXPECT_TRUE(frame.QueryCommand(id).enabled) << id;

    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CCfUploadDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        // The machine's own drives come first; the image is typed in, as a user would.
        testing::WaitUntil([&] { return dlg->drives->isEnabled() && !reporter.entries.empty(); });
        dlg->drives->setEditText(QString::fromStdString(home / "card.img"));
        dlg->Scan();
        dlg->backups->selectRow(0);
        dlg->saveButton->click();
        testing::WaitUntil([&] { return !dlg->Busy(); });
        dlg->closeButton->click();
    });
    frame.ExecuteCommand(cmd::kCfUpload);
    const std::string path = home / "Data/07@2026-03-04_12-00-00.vd";
    EXPECT_EQ(reporter.entries.back().text, "文件上传完成！");
    EXPECT_EQ(app.Document().filePath, path);
    EXPECT_EQ(app.Document().dataValid, 1);
    EXPECT_EQ(frame.StatusText(2).toStdString(), path);
}

TEST_F(DialogTest, CardDialogSaysWhenThereIsNoCard) {
    CCfUploadDlg dlg(doc);
    dlg.findDrives = [] { return std::vector<std::string>{}; };
    EXPECT_FALSE(dlg.ListDrives());
    dlg.drives->setEditText(QString::fromStdString(home / "none.img"));
    dlg.Scan();
    testing::WriteBytes(home / "small.img", std::string(4096, '\0'));
    dlg.drives->setEditText(QString::fromStdString(home / "small.img"));
    dlg.Scan();
    const auto failed = std::make_pair(std::string("检测CF卡失败，请检查CF是否连接正确！"),
                                       MessageIcon::Information);
    EXPECT_EQ(Messages(), (decltype(Messages()){failed, failed, failed}));
}

TEST_F(DialogTest, BrowserShowsTheDocumentIconAndNeverBreaksATimeAcrossLines) {
    testing::WriteLevelFile(home / "Data/08@2026-03-04_12-00-00.vd", 2, 10,
                            [](int, std::uint32_t) { return std::uint8_t{7}; });
    CFileBrowseDlg dlg(doc);
    ASSERT_EQ(dlg.files->count(), 1);
    const auto argb = [](const QImage& i) { return i.convertToFormat(QImage::Format_ARGB32); };
    EXPECT_EQ(argb(dlg.files->item(0)->icon().pixmap(32, 32).toImage()), argb(DocumentIcon(32)));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.files->setCurrentRow(0);
    QApplication::processEvents();
    const auto timePart = [](QChar c) {
        return c.isDigit() || c == QChar(0x2060) || QStringLiteral("年月日时分秒").contains(c);
    };
    int times = 0;
    for (QTextBlock b = dlg.summary->document()->begin(); b.isValid(); b = b.next()) {
        if (!b.text().contains(QStringLiteral("时间"))) continue;
        ++times;
        ASSERT_GE(b.layout()->lineCount(), 1) << "laid out";
        for (int i = 1; i < b.layout()->lineCount(); ++i) {
            const int at = b.layout()->lineAt(i).textStart();
            EXPECT_FALSE(timePart(b.text()[at - 1]) && timePart(b.text()[at]))
                << b.text().left(at).toStdString() << " / " << b.text().mid(at).toStdString();
        }
    }
    EXPECT_EQ(times, 2) << "start and end";
}

TEST_F(DialogTest, BrowserListsHistoryFilesSummarisesOnceAndOpens) {
    auto file = [this](const std::string& name) {
        testing::WriteLevelFile(home / ("Data/" + name), 2, 10,
                                [](int, std::uint32_t) { return std::uint8_t{7}; });
    };
    file("b.vd");
    file("a.VD");
    testing::WriteBytes(home / "Data/c.vd", std::string(256, '\0'));  // no valid time
    testing::WriteBytes(home / "Data/x.txt", std::string("x"));
    testing::WriteBytes(home / "Data/.upload.vd", std::string("half"));
    std::filesystem::create_directory(home / "Data/sub.vd");

    CFileBrowseDlg dlg(doc);
    EXPECT_EQ(dlg.directoryEdit->text().toStdString(), home / "Data");
    ASSERT_EQ(dlg.files->count(), 3);
    EXPECT_EQ(dlg.files->item(0)->text(), QString("a.VD"));
    EXPECT_EQ(dlg.files->item(2)->text(), QString("c.vd"));

    dlg.files->setCurrentRow(2);
    EXPECT_EQ(Messages(), (decltype(Messages()){{"该文件已经损坏！", MessageIcon::Error}}));
    EXPECT_TRUE(dlg.summary->toPlainText().isEmpty());
    dlg.files->setCurrentRow(0);
    EXPECT_TRUE(dlg.summary->toPlainText().startsWith(QString("文件名：a.VD\n\n仪表类型：ZT330")));
    EXPECT_TRUE(Messages().empty());

    QString askedTitle, askedStart;
    dlg.chooseFolder = [&](const QString& title, const QString& start) {
        askedTitle = title;
        askedStart = start;
        return QString();
    };
    dlg.browseButton->click();
    EXPECT_EQ(askedTitle, QString("请选择所在的根目录"));
    EXPECT_EQ(askedStart.toStdString(), home / "Data");
    EXPECT_EQ(dlg.files->count(), 3);  // a cancel changes nothing

    dlg.files->setCurrentRow(1);
    dlg.openButton->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(doc.filePath, home / "Data/b.vd");
    EXPECT_EQ(doc.dataValid, 1);

    dlg.chooseFolder = [&](const QString&, const QString&) {
        return QString::fromStdString(home.path());
    };
    dlg.browseButton->click();
    EXPECT_EQ(dlg.files->count(), 0);
    EXPECT_TRUE(dlg.summary->toPlainText().isEmpty());
}

TEST(CodeConvDlg, FieldsConvertEachOtherAndStayQuietOnNonsense) {
    CCodeConvDlg dlg;
    struct Step {
        QLineEdit* edit;
        const char* typed;
        const char* character;
        const char* code;
    };
    const Step steps[] = {
        {dlg.characterEdit, "啊", "啊", "B0A1"},
        {dlg.codeEdit, "B0", "啊", "B0"},  // half a code is no character yet
        {dlg.codeEdit, "B0A", "啊", "B0A"},
        {dlg.codeEdit, "41", "A", "41"},
        {dlg.codeEdit, "4142", "A", "41"},  // the character's own code replaces the typed one
        {dlg.codeEdit, "7a", "z", "7A"},
        {dlg.characterEdit, "😀", "😀", ""},  // no GBK code: no code rather than "3F"
        {dlg.characterEdit, "", "", ""},
    };
    for (const Step& s : steps) {
        s.edit->setText(QString::fromUtf8(s.typed));
        EXPECT_EQ(dlg.characterEdit->text(), QString::fromUtf8(s.character)) << s.typed;
        EXPECT_EQ(dlg.codeEdit->text(), QString::fromUtf8(s.code)) << s.typed;
    }
}

}  // namespace
}  // namespace vardo
