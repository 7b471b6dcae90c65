#include "app/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <memory>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/document_commands.h"
#include "app/vardo_app.h"
#include "base/reporter.h"
#include "base/texts.h"
#include "curves/vardo_view.h"
#include "datalist/dlist_view.h"
#include "realtime/real_view.h"
#include "settings/setup_ini.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

using testing::TempDir;

QString U(const char* s) {
    return QString::fromUtf8(s);
}

std::vector<int> ToolbarIds(QToolBar* bar) {
    std::vector<int> ids;
    for (QAction* a : bar->actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    return ids;
}

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(home / "Data"); }
    void TearDown() override { app.reset(); }

    CMainFrame& Start(QStringList args = {QStringLiteral("vardo")}) {
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        started = app->InitInstance(args);
        if (started) {
            app->MainFrame()->resize(1000, 700);
            SettleCurves();
        }
        return *app->MainFrame();
    }
    std::string File(const std::string& name, int channels = 3) {
        return testing::WriteLevelFile(
            home / ("Data/" + name), channels, 500,
            [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch * 40 + r % 30); });
    }
    CVardoDoc& Doc() { return app->Document(); }
    // Lets a curve view that has just come up paint for the first time and lay itself out.
    void SettleCurves() {
        testing::WaitUntil([this] {
            auto* curves = dynamic_cast<CVardoView*>(app->MainFrame()->ActiveView());
            return curves == nullptr || curves->LaidOut();
        });
    }

    TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
    bool started = false;
};

TEST_F(MainFrameTest, StartsWithTheCurveViewItsTitleToolbarAndPanes) {
    CMainFrame& f = Start();
    EXPECT_EQ(f.windowTitle(), U("历史曲线 - Vardo 2.0"));
    EXPECT_EQ(f.currentView, CMainFrame::kCurveView);
    EXPECT_NE(dynamic_cast<CVardoView*>(f.ActiveView()), nullptr);
    EXPECT_EQ(f.ToolbarResource(), cmd::kToolbarCurves);
    EXPECT_EQ(ToolbarIds(f.ToolBar()), ToolbarButtons(cmd::kToolbarCurves));
    EXPECT_EQ(f.StatusText(0), U("就绪"));
    EXPECT_EQ(f.StatusText(1), U("缩放:100%"));
    EXPECT_EQ(f.StatusText(2), U("文件"));
    EXPECT_EQ(f.minimumSize(), QSize(500, 400));
}

TEST_F(MainFrameTest, KeysSwitchViewsTitlesAndToolbars) {
    CMainFrame& f = Start();
    struct Step {
        Qt::Key key;
        int view;
        int toolbar;
        const char* title;
    } steps[] = {
        {Qt::Key_2, CMainFrame::kListView, cmd::kToolbarList, texts::kTitleList},
        {Qt::Key_3, CMainFrame::kRealView, cmd::kToolbarRealtime, texts::kTitleRealtime},
        {Qt::Key_1, CMainFrame::kCurveView, cmd::kToolbarCurves, texts::kTitleCurves},
        {Qt::Key_2, CMainFrame::kListView, cmd::kToolbarList, texts::kTitleList},
    };
    for (const Step& s : steps) {
        QTest::keyClick(&f, s.key);
        EXPECT_EQ(f.currentView, s.view);
        EXPECT_EQ(f.ToolbarResource(), s.toolbar);
        EXPECT_EQ(ToolbarIds(f.ToolBar()), ToolbarButtons(s.toolbar));
        EXPECT_EQ(f.windowTitle(), U(s.title));
    }
    EXPECT_NE(dynamic_cast<CDListView*>(f.ActiveView()), nullptr);
    QWidget* list = f.ActiveView();
    QTest::keyClick(&f, Qt::Key_2);
    EXPECT_EQ(f.ActiveView(), list) << "a second press does nothing";
}

TEST_F(MainFrameTest, TheListToolbarHasRangeAndOrderButNoNavigation) {
    CMainFrame& f = Start();
    f.SwitchView(cmd::kViewList);
    const std::vector<int> ids = ToolbarIds(f.ToolBar());
    for (int id : {cmd::kRangeSet, cmd::kOrderAscending, cmd::kOrderDescending})
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
    for (int id : {cmd::kForward, cmd::kBack, cmd::kZoomIn, cmd::kZoomOut, cmd::kActualSize})
        EXPECT_EQ(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
}

TEST_F(MainFrameTest, ViewChecksFollowTheCurrentView) {
    CMainFrame& f = Start();
    struct Case {
        int switchTo;
        bool curves, list, realtime;
    } cases[] = {{cmd::kViewCurves, true, false, false},
                 {cmd::kViewRealtime, false, false, true},
                 {cmd::kViewList, false, true, false}};
    for (const Case& c : cases) {
        f.SwitchView(c.switchTo);
        EXPECT_EQ(f.Action(cmd::kViewCurves)->isChecked(), c.curves);
        EXPECT_EQ(f.Action(cmd::kViewList)->isChecked(), c.list);
        EXPECT_EQ(f.Action(cmd::kViewRealtime)->isChecked(), c.realtime);
    }
}

TEST_F(MainFrameTest, EveryCommandHasItsActionTextPromptAndKeys) {
    CMainFrame& f = Start();
    for (const texts::CommandText& t : texts::kCommandTexts) {
        QAction* a = f.Action(t.id);
        ASSERT_NE(a, nullptr) << t.id;
        EXPECT_EQ(a->text(), U(t.menu)) << t.id;
    }
    QAction* open = f.Action(cmd::kFileOpen);
    EXPECT_EQ(open->statusTip(), U("打开历史文档"));
    EXPECT_EQ(open->toolTip(), U("打开"));
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    const QList<QKeySequence> query = f.Action(cmd::kPositionQuery)->shortcuts();
    EXPECT_TRUE(query.contains(QKeySequence(Qt::Key_P)));
    EXPECT_TRUE(query.contains(QKeySequence(Qt::CTRL | Qt::Key_F)));
    EXPECT_EQ(f.Action(cmd::kBack)->shortcut(), QKeySequence(Qt::Key_Left));
    EXPECT_EQ(f.Action(cmd::kAppExit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    EXPECT_TRUE(f.Action(cmd::kSettingsPanel)->statusTip().isEmpty());
}

TEST_F(MainFrameTest, MenusHoldTheirCommandsAndSeparatorsInOrder) {
    CMainFrame& f = Start();
    const QList<QAction*> tops = f.menuBar()->actions();
    ASSERT_EQ(tops.size(), 5);
    const char* titles[] = {"文件(&F)", "查看(&V)", "操作(&O)", "工具(&T)", "帮助(&H)"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tops[i]->text(), U(titles[i]));
    auto ids = [](QMenu* m) {
        std::vector<int> out;
        for (QAction* a : m->actions())
            out.push_back(a->isSeparator() ? 0 : a->menu() != nullptr ? -1 : a->data().toInt());
        return out;
    };
    EXPECT_EQ(ids(tops[0]->menu()), (std::vector<int>{57601, 32771, 32820, 0, 32825, 0, 32802, 0,
                                                      57607, 57609, 0, 57665}));
    EXPECT_EQ(ids(tops[1]->menu()),
              (std::vector<int>{32782, 32783, 32784, 0, 32790, 59392, 59393}));
    EXPECT_EQ(ids(tops[2]->menu()), (std::vector<int>{32772, 32773, 32775, 32776, 32777, 32774, 0,
                                                      32818, -1, 0, 32794, 32801}));
    EXPECT_EQ(ids(tops[3]->menu()), (std::vector<int>{32789, 32814, 32816}));
    EXPECT_EQ(ids(tops[4]->menu()), (std::vector<int>{32829, 57664}));
}

TEST_F(MainFrameTest, CommandsWithoutAHandlerAreGreyed) {
    CMainFrame& f = Start();
    struct Case {
        int id;
        bool enabled;
    } cases[] = {
        {cmd::kFileOpen, true},       {cmd::kViewCurves, true},    {cmd::kViewList, true},
        {cmd::kViewRealtime, true},   {cmd::kViewToolbar, true},   {cmd::kViewStatusBar, true},
        {cmd::kHelp, true},           {cmd::kAppAbout, true},      {cmd::kAppExit, true},
        {cmd::kForward, false},       {cmd::kZoomIn, false},       {cmd::kStatistics, false},
        {cmd::kRangeSet, false},      {cmd::kAcquireStart, false}, {cmd::kCodeLookup, false},
        {cmd::kSettingsPanel, false},
    };
    for (const Case& c : cases) EXPECT_EQ(f.Action(c.id)->isEnabled(), c.enabled) << c.id;
    // A change made outside any command shows once the program is idle again.
    Doc().history.acquiring = 1;
    QEventLoop idle;
    QTimer::singleShot(20, &idle, &QEventLoop::quit);
    idle.exec();
    EXPECT_FALSE(f.Action(cmd::kFileOpen)->isEnabled()) << "no file opens under acquisition";
}

TEST_F(MainFrameTest, ToolbarAndStatusBarToggle) {
    CMainFrame& f = Start();
    f.show();
    EXPECT_TRUE(f.Action(cmd::kViewToolbar)->isChecked());
    f.Action(cmd::kViewToolbar)->trigger();
    EXPECT_TRUE(f.ToolBar()->isHidden());
    EXPECT_FALSE(f.Action(cmd::kViewToolbar)->isChecked());
    f.Action(cmd::kViewStatusBar)->trigger();
    EXPECT_TRUE(f.statusBar()->isHidden());
    EXPECT_FALSE(f.Action(cmd::kViewStatusBar)->isChecked());
}

TEST_F(MainFrameTest, PromptsGoToTheFirstPane) {
    CMainFrame& f = Start();
    QStatusTipEvent tip(U("打印"));
    QApplication::sendEvent(&f, &tip);
    EXPECT_EQ(f.StatusText(0), U("打印"));
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(&f, &none);
    EXPECT_EQ(f.StatusText(0), U("就绪"));
}

TEST_F(MainFrameTest, HelpWithoutItsFileSaysSo) {
    CMainFrame& f = Start();
    f.Action(cmd::kHelp)->trigger();
    ASSERT_EQ(reporter.entries.size(), 1u);
    EXPECT_NE(reporter.entries[0].text.find("help.chm"), std::string::npos);
    EXPECT_NE(reporter.entries[0].text.find(home.path()), std::string::npos);
    EXPECT_EQ(reporter.entries[0].icon, MessageIcon::Error);
}

TEST_F(MainFrameTest, CommandLineFileIsShownAndRemembered) {
    const std::string path = File("08@2026-03-04_12-00-00.vd");
    CMainFrame& f = Start({QStringLiteral("vardo"), QString::fromStdString(path)});
    ASSERT_TRUE(started);
    EXPECT_EQ(Doc().dataValid, 1);
    EXPECT_EQ(Doc().filePath, path);
    EXPECT_EQ(f.StatusText(2), QString::fromStdString(path));
    EXPECT_TRUE(f.Action(cmd::kFileOpen)->isEnabled());
    app.reset();
    // A new run without arguments reopens it.
    CMainFrame& again = Start();
    EXPECT_EQ(Doc().dataValid, 1);
    EXPECT_EQ(Doc().filePath, path);
    EXPECT_EQ(again.StatusText(2), QString::fromStdString(path));
}

TEST_F(MainFrameTest, DamagedAndUnknownFilesGiveTheirMessages) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    } cases[] = {
        {std::vector<std::uint8_t>(400, 'A'), texts::kUnknownFormat},
        {[] {
             testing::FileSpec file;
             file.newest = {4, 13, 1, 0, 0, 0};  // month 13
             return testing::BuildFile(file);
         }(),
         texts::kFileDamaged},
    };
    for (const Case& c : cases) {
        const std::string path = home / "Data/x.vd";
        testing::WriteBytes(path, c.bytes);
        reporter.entries.clear();
        Start({QStringLiteral("vardo"), QString::fromStdString(path)});
        ASSERT_FALSE(reporter.entries.empty());
        EXPECT_EQ(reporter.entries.back().text, c.message);
        EXPECT_EQ(Doc().dataValid, 0);
        EXPECT_EQ(ReadLastFile(Doc().settingsPath()), "");
        app.reset();
    }
}

TEST_F(MainFrameTest, OpenCommandAsksInDataAndShowsTheChoice) {
    CMainFrame& f = Start();
    std::filesystem::remove_all(home / "Data");
    // Beside Data, as in any folder the user picks.
    const std::string path = testing::WriteLevelFile(
        home / "x.vd", 2, 100, [](int, std::uint32_t) { return std::uint8_t{100}; });
    QString title, dir, filter, initial;
    app->DocCommands().chooseFile = [&](const QString& t, const QString& d, const QString& flt,
                                        const QString& i) {
        title = t;
        dir = d;
        filter = flt;
        initial = i;
        return QString::fromStdString(path);
    };
    f.Action(cmd::kFileOpen)->trigger();
    EXPECT_EQ(title, U("打开历史数据"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.toStdString()));
    EXPECT_EQ(std::filesystem::path(dir.toStdString()).filename(), "Data");
    EXPECT_EQ(filter, U("历史文件(*.vd);;所有文件(*.*)"));
    EXPECT_EQ(initial, U("*.vd"));
    EXPECT_EQ(Doc().dataValid, 1);
    EXPECT_EQ(Doc().filePath, path);
    EXPECT_EQ(ReadLastFile(Doc().settingsPath()), path);
    EXPECT_EQ(f.StatusText(2), QString::fromStdString(path));

    app->DocCommands().chooseFile = [](const QString&, const QString&, const QString&,
                                       const QString&) { return QString(); };
    f.Action(cmd::kFileOpen)->trigger();
    EXPECT_EQ(Doc().filePath, path) << "cancel keeps the file";
}

TEST_F(MainFrameTest, BackToTheCurvesReopensTheLastFile) {
    const std::string path = File("a.vd");
    CMainFrame& f = Start({QStringLiteral("vardo"), QString::fromStdString(path)});
    ASSERT_EQ(Doc().dataValid, 1);
    f.SwitchView(cmd::kViewRealtime);
    EXPECT_EQ(Doc().dataValid, 0) << "leaving the curves closes the file";
    f.SwitchView(cmd::kViewCurves);
    SettleCurves();
    EXPECT_EQ(Doc().dataValid, 1);
    EXPECT_EQ(Doc().filePath, path);
}

TEST(FileFilter, TheDialogFilterInQtSyntax) {
    struct Case {
        const char* mfc;
        const char* qt;
    } cases[] = {
        {"历史文件(*.vd)|*.vd|所有文件(*.*)|*.*||", "历史文件(*.vd);;所有文件(*.*)"},
        {"Data|*.abc|All|*.*||", "Data (*.abc);;All (*.*)"},
        {"Two|*.a;*.b||", "Two (*.a *.b)"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(QtFileFilter(c.mfc), U(c.qt)) << c.mfc;
}

}  // namespace
}  // namespace vardo
