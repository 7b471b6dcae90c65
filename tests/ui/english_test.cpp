// Under English every window reads in English: the texts the core hands up whole are translated
// in their parts, and no visible text of a window, its menus or its tables keeps a Chinese
// character except data and the language menu's own title.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/command_ids.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/ui_text.h"
#include "app/vardo_app.h"
#include "archive/archive_open_dlg.h"
#include "base/file_refusal.h"
#include "base/texts.h"
#include "collect/collect_run_dlg.h"
#include "collect/collect_set_dlg.h"
#include "curves/vardo_view.h"
#include "every_dialog.h"

namespace vardo {
namespace {

bool HasCjk(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x303F) || (u >= 0x3400 && u <= 0x9FFF) ||
            (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// The language menu reads in both languages on purpose, and 中文 names itself.
bool Allowed(const QString& text) {
    return text == QStringLiteral("语言 / Language") || text == QStringLiteral("中文");
}

void Check(std::vector<std::string>& found, const char* where, const QString& text) {
    if (HasCjk(text) && !Allowed(text))
        found.push_back(std::string(where) + ": " + text.toStdString());
}

void CheckActions(std::vector<std::string>& found, const QList<QAction*>& actions) {
    for (QAction* a : actions) {
        Check(found, "action", a->text());
        Check(found, "tool tip", a->toolTip());
        Check(found, "status tip", a->statusTip());
        if (a->menu() != nullptr) CheckActions(found, a->menu()->actions());
    }
}

// The Chinese among the texts window shows: its title, labels, buttons, group titles, combo
// items, table headers, tool tips, menus and toolbars. Lists and edits hold data.
std::vector<std::string> ChineseShown(QWidget* window) {
    std::vector<std::string> found;
    Check(found, "title", window->windowTitle());
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.push_back(window);
    for (QWidget* w : widgets) {
        if (w != window && !w->isVisibleTo(window)) continue;
        Check(found, "tip", w->toolTip());
        if (auto* l = qobject_cast<QLabel*>(w)) Check(found, "label", l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) Check(found, "button", b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w)) Check(found, "group", g->title());
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) Check(found, "combo", c->itemText(i));
        if (auto* t = qobject_cast<QPlainTextEdit*>(w)) Check(found, "text", t->toPlainText());
        if (auto* v = qobject_cast<QTableView*>(w); v != nullptr && v->model() != nullptr)
            for (int c = 0; c < v->model()->columnCount(); ++c)
                Check(found, "header", v->model()->headerData(c, Qt::Horizontal).toString());
        if (auto* bar = qobject_cast<QMenuBar*>(w)) CheckActions(found, bar->actions());
        if (auto* bar = qobject_cast<QToolBar*>(w)) CheckActions(found, bar->actions());
    }
    return found;
}

struct EnglishTest : EveryDialogTest {
    void SetUp() override {
        EveryDialogTest::SetUp();
        ASSERT_TRUE(InstallUiLanguage(UiLanguage::English));
    }
    void TearDown() override { EXPECT_TRUE(InstallUiLanguage(UiLanguage::Chinese)); }
    void Shoot(QWidget* window, const char* name) {
        if (const char* shots = std::getenv("VARDO_SHOT_DIR"))
            window->grab().save(QString::fromUtf8(shots) + "/en-" + name + ".png", "PNG");
    }
};

TEST_F(EnglishTest, TextsTheCoreFinishedAreTranslatedInTheirParts) {
    const struct {
        std::string chinese;
        const char* english;
    } cases[] = {
        {texts::kOk, "OK"},
        {WithReason(texts::kFileCreateFailed, "/data/a b", "No space left on device"),
         "Failed to create the file!\n/data/a b: No space left on device"},
        {"/home/u/Archive.db: 档案库不存在！", "/home/u/Archive.db: The archive does not exist!"},
        {"无法写入设置文件 /x/SetUp.ini，设置未保存。",
         "Cannot write the settings file /x/SetUp.ini; the settings were not saved."},
        {"请输入一个在 -5 和 300 之间的整数。", "Please enter an integer between -5 and 300."},
        {"通道数目：12 ", "Channels: 12 "},
        {"缩放:12.50%", "Zoom:12.50%"},
        {"3天01:02:03", "3d 01:02:03"},
        {"%1 已经存在。\n要替换它吗?", "%1 already exists.\nDo you want to replace it?"},
        {"ZT770伪彩", "ZT770 pseudo-colour"},
        // Data stays as it came: a recorder's own name, a path, a reason of the system.
        {"锅炉房: 2026-03-04 12:00:00", "锅炉房: 2026-03-04 12:00:00"},
        {"12:00:00", "12:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UiMessage(c.chinese).toStdString(), c.english) << c.chinese;
    // A format translated for snprintf keeps its placeholders in order.
    char filled[128];
    std::snprintf(filled, sizeof filled, UiFormat(texts::kRangeTextFormat), 2026, 3, 4, 5, 6, 7,
                  2026, 3, 5, 8, 9, 10);
    EXPECT_STREQ(filled, "Time range: 2026-03-04 05:06:07 => 2026-03-05 08:09:10");
    // Qt's own dialogs change language with the windows.
    EXPECT_EQ(QColorDialog().windowTitle(), QStringLiteral("Select Color"));
    ASSERT_TRUE(InstallUiLanguage(UiLanguage::Chinese));
    EXPECT_EQ(QColorDialog().windowTitle(), QStringLiteral("选择颜色"));
    EXPECT_EQ(UiMessage(texts::kOk), QString::fromUtf8(texts::kOk));
    EXPECT_EQ(UiText(texts::kOk), QString::fromUtf8(texts::kOk));
}

TEST_F(EnglishTest, EveryDialogReadsInEnglish) {
    std::vector<DialogMaker> dialogs = Dialogs();
    dialogs.push_back({"archive", [this] { return new CArchiveOpenDlg(doc); }, 0});
    dialogs.push_back({"collect-settings", [this] { return new CCollectSetDlg(doc); }, 0});
    dialogs.push_back({"collect-run", [this] { return new CCollectRunDlg(doc); }, 0});
    for (const auto& d : dialogs) {
        std::unique_ptr<QWidget> window(d.make());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get())) << d.name;
        QApplication::processEvents();
        EXPECT_EQ(ChineseShown(window.get()), std::vector<std::string>{}) << d.name;
        Shoot(window.get(), d.name);
        window->close();
    }
}

TEST_F(EnglishTest, MainWindowItsMenusAndItsViewsReadInEnglish) {
    const std::string file = testing::WriteLevelFile(
        home / "Data/08@2026-03-05_12-00-00.vd", 3, 500,
        [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch * 40 + r % 30); });
    CVardoApp app(&reporter, home.path() + "/");
    ASSERT_TRUE(app.InitInstance({"vardo", file}));
    CMainFrame& frame = *app.MainFrame();
    frame.resize(1000, 700);
    ASSERT_TRUE(testing::WaitUntil([&] {
        auto* curves = dynamic_cast<CVardoView*>(frame.ActiveView());
        return curves != nullptr && curves->LaidOut();
    }));
    EXPECT_EQ(frame.StatusText(1), QStringLiteral("Zoom:100%"));
    for (int view : {cmd::kViewCurves, cmd::kViewList, cmd::kViewRealtime}) {
        frame.SwitchView(view);
        QApplication::processEvents();
        EXPECT_EQ(ChineseShown(&frame), std::vector<std::string>{}) << view;
        EXPECT_EQ(frame.StatusText(0), QStringLiteral("Ready"));
        Shoot(&frame, view == cmd::kViewCurves ? "main-curves"
                      : view == cmd::kViewList ? "main-list"
                                               : "main-realtime");
    }
    EXPECT_EQ(reporter.entries.size(), 0u);
}

TEST_F(EnglishTest, TheLanguageChoiceIsSavedAndTheMenuMarksIt) {
    CVardoApp app(&reporter, home.path() + "/");
    ASSERT_TRUE(app.InitInstance({"vardo"}, false));
    CMainFrame& frame = *app.MainFrame();
    const std::string ini = home.path() + "/SetUp.ini";
    const struct {
        int command;
        UiLanguage saved;
    } steps[] = {{cmd::kLanguageChinese, UiLanguage::Chinese},
                 {cmd::kLanguageEnglish, UiLanguage::English},
                 {cmd::kLanguageDesktop, UiLanguage::Desktop}};
    for (const auto& s : steps) {
        reporter.entries.clear();
        EXPECT_TRUE(frame.ExecuteCommand(s.command));
        frame.UpdateCommands();
        EXPECT_EQ(ReadUiLanguage(ini), s.saved) << s.command;
        ASSERT_EQ(reporter.entries.size(), 1u) << s.command;
        EXPECT_EQ(reporter.entries[0].text, texts::kLanguageNextStart);
        for (const auto& other : steps)
            EXPECT_EQ(frame.Action(other.command)->isChecked(), other.command == s.command);
    }
    // Choosing what is already chosen says nothing.
    reporter.entries.clear();
    EXPECT_TRUE(frame.ExecuteCommand(cmd::kLanguageDesktop));
    EXPECT_TRUE(reporter.entries.empty());
}

// The text a page shows outside its code: commands and vardo-cli's output stay as they are.
QString ProseShown(const QTextDocument& page) {
    QString prose;
    for (QTextBlock b = page.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (!it.fragment().charFormat().fontFixedPitch()) prose += it.fragment().text();
    return prose;
}

TEST_F(EnglishTest, HelpShowsTheGuideInTheLanguageOfTheWindowsAndItsLinksStayInIt) {
    const std::string guide = std::string(VARDO_SOURCE_DIR) + "/doc/guide/";
    const struct {
        UiLanguage language;
        std::string index;
        const char* title;
    } cases[] = {{UiLanguage::English, guide + "en/index.html", "Vardo Guide - Vardo"},
                 {UiLanguage::Chinese, guide + "index.html", "Vardo 使用说明 - Vardo"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(InstallUiLanguage(c.language));
        CVardoApp app(&reporter, home.path() + "/");
        ASSERT_TRUE(app.InitInstance({"vardo"}, false));
        CMainFrame& frame = *app.MainFrame();
        frame.openUrl = [](const QUrl&) { return false; };
        EXPECT_TRUE(frame.ExecuteCommand(cmd::kHelp));
        CHelpWindow* help = frame.HelpWindow();
        ASSERT_NE(help, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
        EXPECT_EQ(help->browser->source().toLocalFile().toStdString(), c.index);
        EXPECT_EQ(help->windowTitle(), QString::fromUtf8(c.title));
        if (c.language != UiLanguage::English) continue;
        EXPECT_FALSE(HasCjk(ProseShown(*help->browser->document())));
        Shoot(help, "help");
        QString href;
        ASSERT_NO_FATAL_FAILURE(testing::ClickFirstLink(help->browser, href));
        ASSERT_TRUE(testing::WaitUntil([&] { return help->browser->source().fileName() == href; }))
            << href.toStdString();
        EXPECT_FALSE(HasCjk(ProseShown(*help->browser->document()))) << href.toStdString();
        EXPECT_FALSE(HasCjk(help->windowTitle()));
        Shoot(help, "help-page");
    }
    EXPECT_TRUE(reporter.entries.empty());
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every Chinese page has its English twin, and every link and image of the English pages is
// there; their prose (outside code) is English but for the language menu's bilingual title.
TEST(EnglishGuide, EveryPageHasItsTwinWhoseLinksResolveAndWhoseProseIsEnglish) {
    const std::filesystem::path guide = std::filesystem::path(VARDO_SOURCE_DIR) / "doc/guide";
    const QRegularExpression local(QString::fromUtf8(R"re((?:href|src)="([^":#]+)")re"));
    const QRegularExpression code(QStringLiteral("<(pre|code)>.*?</\\1>"),
                                  QRegularExpression::DotMatchesEverythingOption);
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(guide)) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        const std::filesystem::path twin = guide / "en" / entry.path().filename();
        ASSERT_TRUE(std::filesystem::is_regular_file(twin)) << twin;
        const QString html = QString::fromStdString(ReadText(twin));
        EXPECT_TRUE(html.contains(QStringLiteral("lang=\"en\""))) << twin;
        for (auto m = local.globalMatch(html); m.hasNext();) {
            const std::string target = m.next().captured(1).toStdString();
            EXPECT_TRUE(std::filesystem::is_regular_file(guide / "en" / target))
                << twin << " -> " << target;
        }
        QString prose = html;
        prose.remove(code).remove(QStringLiteral("语言 / Language"));
        EXPECT_FALSE(HasCjk(prose)) << twin;
    }
    EXPECT_GE(pages, 12);
}

}  // namespace
}  // namespace vardo
