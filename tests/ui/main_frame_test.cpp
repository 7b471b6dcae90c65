#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/document_commands.h"
#include "app/vardo_app.h"
#include "base/texts.h"
#include "curves/vardo_view.h"
#include "settings/setup_ini.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

const auto U = [](const char* s) { return QString::fromUtf8(s); };
const auto Q = [](const std::string& s) { return QString::fromStdString(s); };

std::vector<int> ToolbarIds(QToolBar* bar) {
    std::vector<int> ids;
    for (QAction* a : bar->actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

// The menu as "title[ids | ids sub[ids]]", separators as "|".
std::string MenuShape(const QList<QAction*>& actions) {
    std::string out;
    for (QAction* a : actions) {
        if (!out.empty()) out += ' ';
        if (a->isSeparator())
            out += '|';
        else if (a->menu() != nullptr)
            out += a->text().toStdString() + '[' + MenuShape(a->menu()->actions()) + ']';
        else
            out += std::to_string(a->data().toInt());
    }
    return out;
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(home / "Data"); }

    CMainFrame& Start(const std::string& file = {}) {
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        std::vector<std::string> args{"vardo"};
        if (!file.empty()) args.push_back(file);
        EXPECT_TRUE(app->InitInstance(args));
        app->MainFrame()->resize(1000, 700);
        SettleCurves();
        return *app->MainFrame();
    }
    std::string File(const std::string& name) {
        return testing::WriteLevelFile(home / name, 3, 500, [](int ch, std::uint32_t r) {
            return static_cast<std::uint8_t>(ch * 40 + r % 30);
        });
    }
    CVardoDoc& Doc() { return app->Document(); }
    // Lets a curve view that has just come up paint for the first time and lay itself out.
    void SettleCurves() {
        testing::WaitUntil([this] {
            auto* curves = dynamic_cast<CVardoView*>(app->MainFrame()->ActiveView());
            return curves == nullptr || curves->LaidOut();
        });
    }
    void ExpectShown(const std::string& path) {
        EXPECT_EQ(Doc().dataValid, 1);
        EXPECT_EQ(Doc().filePath, path);
        EXPECT_EQ(app->MainFrame()->StatusText(2), Q(path));
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
};

TEST_F(MainFrameTest, KeysSwitchViewsTitlesToolbarsAndChecks) {
    CMainFrame& f = Start();
    EXPECT_EQ(f.StatusText(0), U("就绪"));
    EXPECT_EQ(f.StatusText(1), U("缩放:100%"));
    EXPECT_EQ(f.StatusText(2), U("文件"));
    // The buttons of toolbars 128, 142 and 141 by their numbers; 0 is a separator.
    struct View {
        int view, check;
        const char* title;
        std::vector<int> buttons;
    } views[] = {
        {CMainFrame::kCurveView,
         cmd::kViewCurves,
         "历史曲线 - Vardo 2.0",
         {32782, 32783, 32784, 0,     57601, 32825, 32771, 32820, 32850, 0, 57609, 57607,
          0,     32773, 32772, 32775, 32776, 32777, 32774, 0,     32789, 0, 32829, 57664}},
        {CMainFrame::kListView,
         cmd::kViewList,
         "数据列表 - Vardo 2.0",
         {32782, 32783, 32784, 0, 57601, 32825, 32771, 32820, 32850, 0, 57609, 57607, 0, 32818,
          32838, 32837, 32829, 57664}},
        {CMainFrame::kRealView,
         cmd::kViewRealtime,
         "实时采集 - Vardo 2.0",
         {32782, 32783, 32784, 0, 32802, 57609, 57607, 0, 32794, 32801, 0, 32829, 57664}},
    };
    // Key 0 is the program as it starts.
    for (auto [key, shown] :
         {std::pair{0, 0}, {Qt::Key_2, 1}, {Qt::Key_3, 2}, {Qt::Key_1, 0}, {Qt::Key_2, 1}}) {
        if (key != 0) QTest::keyClick(&f, Qt::Key(key));
        const View& v = views[shown];
        EXPECT_EQ(f.currentView, v.view) << key;
        EXPECT_EQ(ToolbarIds(f.ToolBar()), v.buttons) << key;
        EXPECT_EQ(f.windowTitle(), U(v.title));
        for (int id : {cmd::kViewCurves, cmd::kViewList, cmd::kViewRealtime})
            EXPECT_EQ(f.Action(id)->isChecked(), id == v.check) << key << " " << id;
    }
    QWidget* list = f.ActiveView();
    QTest::keyClick(&f, Qt::Key_2);
    EXPECT_EQ(f.ActiveView(), list) << "a second press does nothing";
}

TEST_F(MainFrameTest, MenuHoldsEveryCommandInItsPopupWithItsSeparators) {
    CMainFrame& f = Start();
    EXPECT_EQ(MenuShape(f.menuBar()->actions()),
              "文件(&F)[57601 32850 32771 32820 | 32825 | 32802 | 57607 57609 | 57665] "
              "查看(&V)[32782 32783 32784 | 32790 59392 59393] "
              "操作(&O)[32772 32773 32775 32776 32777 32774 | 32818 排列顺序(&S)[32837 32838] | "
              "32794 32801] "
              "工具(&T)[32789 32814 32816 | 33001 33002 | 语言 / Language[33003 33004 33005]] "
              "帮助(&H)[32829 57664]");
    EXPECT_EQ(f.Action(cmd::kPositionQuery)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::Key_P), QKeySequence(Qt::CTRL | Qt::Key_F)}));
}

TEST_F(MainFrameTest, AClaimedCommandFollowsItsRulesAndAGreyedOneNeverRuns) {
    Start();
    struct Target : CommandTarget {
        int runs = 0;
        bool allowed = true, shown = false;
        Target() {
            Handle(
                cmd::kSettingsPanel, [this] { ++runs; }, [this] { return allowed; },
                [this] { return shown; });
        }
    } target;
    {
        CMainFrame f(Doc(), app->DocCommands(), &target);
        QAction* panel = f.Action(cmd::kSettingsPanel);
        f.UpdateCommands();
        EXPECT_TRUE(panel->isEnabled());
        EXPECT_FALSE(panel->isChecked());
        target.shown = true;
        panel->trigger();
        EXPECT_EQ(target.runs, 1);
        EXPECT_TRUE(panel->isChecked()) << "state is recomputed after a command";
        target.allowed = false;  // the action still shows enabled, as a moment before idle
        panel->trigger();
        EXPECT_EQ(target.runs, 1);
        EXPECT_FALSE(panel->isEnabled());
    }
    SettleCurves();
}

TEST_F(MainFrameTest, CommandsWithoutAHandlerAreGreyedAndStateIsRefreshedWhenIdle) {
    CMainFrame& f = Start();
    struct Case {
        int id;
        bool enabled;
    } cases[] = {
        {cmd::kFileOpen, true},  {cmd::kViewToolbar, true},   {cmd::kHelp, true},
        {cmd::kAppExit, true},   {cmd::kForward, false},      {cmd::kStatistics, false},
        {cmd::kRangeSet, false}, {cmd::kAcquireStart, false}, {cmd::kSettingsPanel, true},
    };
    for (const Case& c : cases) EXPECT_EQ(f.Action(c.id)->isEnabled(), c.enabled) << c.id;
    // A change made outside any command shows once the program is idle again.
    Doc().history.acquiring = 1;
    QEventLoop idle;
    QTimer::singleShot(20, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_FALSE(f.Action(cmd::kFileOpen)->isEnabled()) << "no file opens under acquisition";
}

TEST_F(MainFrameTest, BarsTogglePromptsGoToTheFirstPane) {
    CMainFrame& f = Start();
    f.show();
    f.Action(cmd::kViewToolbar)->trigger();
    EXPECT_TRUE(f.ToolBar()->isHidden());
    EXPECT_FALSE(f.Action(cmd::kViewToolbar)->isChecked());
    f.Action(cmd::kViewStatusBar)->trigger();
    EXPECT_TRUE(f.statusBar()->isHidden());
    QStatusTipEvent tip(U("打印"));
    QApplication::sendEvent(&f, &tip);
    EXPECT_EQ(f.StatusText(0), U("打印"));
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(&f, &none);
    EXPECT_EQ(f.StatusText(0), U("就绪"));
}

TEST_F(MainFrameTest, HelpOpensHelpChmElseOurGuideAndShowsTheGuideItselfWhenTheViewerFails) {
    CMainFrame& f = Start();
    std::vector<std::string> opened;
    bool viewerWorks = true;
    f.openUrl = [&](const QUrl& url) {
        opened.push_back(url.toLocalFile().toStdString());
        return viewerWorks;
    };
    const std::string guide = std::string(VARDO_SOURCE_DIR) + "/doc/guide/index.html";
    f.Action(cmd::kHelp)->trigger();
    testing::WriteBytes(home / "help.chm", std::string("ITSF"));
    f.Action(cmd::kHelp)->trigger();
    EXPECT_EQ(opened, (std::vector<std::string>{guide, home / "help.chm"}));
    EXPECT_EQ(f.HelpWindow(), nullptr);
    viewerWorks = false;
    f.Action(cmd::kHelp)->trigger();
    EXPECT_TRUE(reporter.entries.empty());
    CHelpWindow* help = f.HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(help));
    EXPECT_EQ(help->browser->source().toLocalFile().toStdString(), guide);
    EXPECT_EQ(help->windowTitle(), U("Vardo 使用说明 - Vardo"));
    // A click on the guide's first link shows that page in the same window.
    QString href;
    ASSERT_NO_FATAL_FAILURE(testing::ClickFirstLink(help->browser, href));
    EXPECT_TRUE(testing::WaitUntil([&] { return help->browser->source().fileName() == href; }))
        << href.toStdString();
    f.Action(cmd::kHelp)->trigger();
    EXPECT_EQ(f.HelpWindow(), help) << "one window, brought forward";
}

TEST_F(MainFrameTest, CommandLineFileIsShownAndReopenedOnTheNextRunAndAfterTheCurvesComeBack) {
    const std::string path = File("Data/08@2026-03-04_12-00-00.vd");
    CMainFrame& f = Start(path);
    ExpectShown(path);
    EXPECT_TRUE(f.Action(cmd::kFileOpen)->isEnabled());
    app.reset();
    CMainFrame& again = Start();
    ExpectShown(path);
    again.SwitchView(cmd::kViewRealtime);
    EXPECT_EQ(Doc().dataValid, 0) << "leaving the curves closes the file";
    again.SwitchView(cmd::kViewCurves);
    SettleCurves();
    ExpectShown(path);
}

TEST_F(MainFrameTest, ACommandLineFileThatCannotBeOpenedIsSaidOverTheWindowAndTheLastFileStays) {
    const std::string last = File("Data/08@2026-03-04_12-00-00.vd");
    Start(last);
    app.reset();
    for (const std::string bad : {home / "Data/missing.vd", home / "Data"}) {
        reporter.entries.clear();
        CMainFrame& f = Start(bad);
        EXPECT_TRUE(f.isVisible());
        ASSERT_EQ(reporter.entries.size(), 1u) << bad;
        EXPECT_EQ(reporter.entries[0].text, "打开文件失败！");
        EXPECT_EQ(reporter.entries[0].icon, MessageIcon::Error);
        ExpectShown(last);
        EXPECT_EQ(ReadLastFile(Doc().settingsPath()), last);
        app.reset();
    }
}

struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == QEvent::Paint;
        return false;
    }
    int count = 0;
};

TEST_F(MainFrameTest, AfterAFailedOpenNothingNamesTheFileOrShowsItsCurves) {
    const std::string good = File("Data/08@2026-03-04_12-00-00.vd");
    const std::string damaged = home / "Data/08@2026-03-04_12-00-02.vd";
    testing::WriteBytes(damaged, std::vector<std::uint8_t>(300, 'x'));
    const struct {
        const char* how;
        std::function<void(CMainFrame&)> fail;
        const char* message;
    } cases[] = {
        {"a drop of a file that is not there",
         [&](CMainFrame&) {
             EXPECT_EQ(Doc().OpenPath(home / "Data/08@2026-03-04_12-00-01.vd"), kHintFailed);
         },
         texts::kFileMissing},
        {"the open command on a file of no known format",
         [&](CMainFrame& f) {
             app->DocCommands().chooseFile = [&](const QString&, const QString&, const QString&,
                                                 const QString&) { return Q(damaged); };
             EXPECT_TRUE(f.ExecuteCommand(cmd::kFileOpen));
         },
         texts::kUnknownFormat},
        {"the shown file deleted, then the window rebuilt",
         [&](CMainFrame& f) {
             std::filesystem::remove(good);
             f.SwitchView(cmd::kViewList);
             f.SwitchView(cmd::kViewCurves);
             SettleCurves();
         },
         texts::kFileMissing},
    };
    for (const auto& c : cases) {
        File("Data/08@2026-03-04_12-00-00.vd");
        reporter.entries.clear();
        CMainFrame& f = Start(good);
        ExpectShown(good);
        // What the screen shows is what the view painted last: it must paint again, unasked.
        PaintCounter painted;
        const QPointer<QWidget> before = f.ActiveView();
        before->installEventFilter(&painted);
        c.fail(f);
        // A rebuilt window has painted its new view already.
        if (f.ActiveView() == before) testing::WaitUntil([&] { return painted.count > 0; });
        EXPECT_EQ(Doc().dataValid, 0) << c.how;
        EXPECT_EQ(f.StatusText(2), U("文件")) << c.how;
        EXPECT_EQ(ReadLastFile(Doc().settingsPath()), "") << c.how;
        std::vector<std::string> said;
        for (const auto& e : reporter.entries) said.push_back(e.text);
        EXPECT_EQ(said, std::vector<std::string>{c.message}) << c.how;
        auto* curves = dynamic_cast<CVardoView*>(f.ActiveView());
        ASSERT_NE(curves, nullptr);
        if (curves == before) EXPECT_GT(painted.count, 0) << c.how;
        const QImage& shown = curves->workSurface;
        EXPECT_EQ(testing::CountColor(shown, shown.rect(), Qt::black),
                  shown.width() * shown.height())
            << c.how << ": no curve, no grid of the file that went";
        app.reset();
    }
}

TEST_F(MainFrameTest, AGbkNameOpensFromTheCommandLineFromLastFileAndFromADrop) {
    // "历史.vd" as a Chinese Windows machine writes it, in a folder of the same kind.
    const std::string dir = home / "Data/\xC0\xFA\xCA\xB7";
    std::filesystem::create_directories(dir);
    const std::string gbk = File("Data/\xC0\xFA\xCA\xB7/08@2026-03-04_12-00-00\xC0\xFA.vd");
    const QString shown = U((home / "Data/历史/08@2026-03-04_12-00-00历.vd").c_str());
    const auto expectGbk = [&](const char* from) {
        EXPECT_EQ(Doc().dataValid, 1) << from;
        EXPECT_EQ(Doc().filePath, gbk) << from;
        EXPECT_EQ(app->MainFrame()->StatusText(2), shown) << from;
        EXPECT_EQ(Q(ReadLastFile(Doc().settingsPath())), shown) << from;
    };
    Start(gbk);
    expectGbk("command line");
    app.reset();
    Start();
    expectGbk("LastFile");
    app.reset();

    CMainFrame& f = Start();
    EXPECT_EQ(Doc().OpenPath(""), kHintFailed);
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"),
                 QUrl::fromLocalFile(U(home.path().c_str())).toEncoded() +
                     "/Data/%C0%FA%CA%B7/08@2026-03-04_12-00-00%C0%FA.vd\r\n");
    EXPECT_EQ(f.StatusText(2), U("文件"));
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.ActiveView(), &enter);
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.ActiveView(), &drop);
    expectGbk("drop");
}

TEST_F(MainFrameTest, DamagedAndUnknownFilesGiveTheirMessages) {
    testing::FileLayout badMonth;
    badMonth.newest = {4, 13, 1, 0, 0, 0};
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    } cases[] = {
        {std::vector<std::uint8_t>(400, 'A'), texts::kUnknownFormat},
        {testing::BuildFile(badMonth), texts::kFileDamaged},
    };
    for (const Case& c : cases) {
        const std::string path = home / "Data/x.vd";
        testing::WriteBytes(path, c.bytes);
        reporter.entries.clear();
        Start(path);
        ASSERT_FALSE(reporter.entries.empty());
        EXPECT_EQ(reporter.entries.back().text, c.message);
        EXPECT_EQ(reporter.entries.back().icon, MessageIcon::Error);
        EXPECT_EQ(Doc().dataValid, 0);
        EXPECT_EQ(ReadLastFile(Doc().settingsPath()), "");
        app.reset();
    }
}

TEST_F(MainFrameTest, OpenCommandAsksInDataAndShowsTheChoice) {
    CMainFrame& f = Start();
    std::filesystem::remove_all(home / "Data");
    const std::string path = File("x.vd");  // beside Data, as in any folder the user picks
    QStringList asked;
    QString answer = Q(path);
    app->DocCommands().chooseFile = [&](const QString& t, const QString& d, const QString& flt,
                                        const QString& i) {
        asked = {t, d, flt, i};
        return answer;
    };
    f.Action(cmd::kFileOpen)->trigger();
    ASSERT_EQ(asked.size(), 4);
    EXPECT_EQ(asked[0], U("打开历史数据"));
    EXPECT_TRUE(std::filesystem::equivalent(asked[1].toStdString(), home / "Data"));
    EXPECT_EQ(asked[2], U("历史文件(*.vd);;所有文件(*.*)"));
    EXPECT_EQ(asked[3], U("*.vd"));
    ExpectShown(path);
    EXPECT_EQ(ReadLastFile(Doc().settingsPath()), path);
    answer.clear();
    f.Action(cmd::kFileOpen)->trigger();
    EXPECT_EQ(Doc().filePath, path) << "cancel keeps the file";
}

TEST(FileFilter, TheDialogFilterInQtSyntax) {
    struct Case {
        const char* mfc;
        const char* qt;
    } cases[] = {
        {"Data|*.abc|All|*.*||", "Data (*.abc);;All (*.*)"},
        {"Two|*.a;*.b||", "Two (*.a *.b)"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(QtFileFilter(c.mfc), U(c.qt)) << c.mfc;
}

}  // namespace
}  // namespace vardo
