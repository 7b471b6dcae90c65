// The settings panel and its channel colour list: fields typed into as a user types, clicks on
// the list's hot spots, and the panel inside the running program, where keys typed into a field
// must stay in the field and every change reaches SetUp.ini at once.

#include "curves/set_panel.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <tuple>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/vardo_app.h"
#include "base/texts.h"
#include "curves/color_list_box.h"
#include "curves/curve_fonts.h"
#include "curves/vardo_view.h"
#include "settings/setup_ini.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

DisplaySettings Channels(int n) {
    DisplaySettings ds;
    ds.Chnls = n;
    for (int i = 0; i < n; ++i) {
        ds.channelColors.push_back(DefaultChannelColor(i));
        ds.channelChecks.push_back(1);
    }
    ds.YMode = 0;
    return ds;
}

class SetPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        panel.LoadFrom(ds);
        panel.onChanged = [this] { ++changes; };
        panel.resize(panel.width(), 700);
        panel.show();
        QApplication::processEvents();  // the list lays its rows out
    }
    DisplaySettings ds = Channels(12);
    RecordingReporter reporter;
    CSetPanel panel{reporter, nullptr};
    int changes = 0;
};

TEST_F(SetPanelTest, NumberFieldsAreBoundedAndANonNumberShowsThePreviousNumber) {
    const struct {
        QLineEdit* CSetPanel::*edit;
        int DisplaySettings::*field;
        int before;
        const char* keys;  // typed over the whole text; "\b" is a backspace at its end
        int value;
        const char* shown;
        bool refused;
    } cases[] = {
        {&CSetPanel::gridXEdit, &DisplaySettings::XLines, 0, "75", 49, "49", false},
        {&CSetPanel::gridYEdit, &DisplaySettings::YLines, 0, "12", 12, "12", false},
        {&CSetPanel::gridXEdit, &DisplaySettings::XLines, 7, "\b", 7, "7", true},
        {&CSetPanel::gridYEdit, &DisplaySettings::YLines, 3, "a", 3, "3", true},
        {&CSetPanel::scaleLowEdit, &DisplaySettings::YSmall, 0, "-", 0, "-", false},
        {&CSetPanel::scaleLowEdit, &DisplaySettings::YSmall, 0, "-5", -5, "-5", false},
        {&CSetPanel::scaleHighEdit, &DisplaySettings::YLarge, 0, "25000", 19999, "19999", false},
        {&CSetPanel::scaleLowEdit, &DisplaySettings::YSmall, 0, "-10000", -9999, "-9999", false},
    };
    for (const auto& c : cases) {
        QLineEdit* edit = panel.*c.edit;
        ds.*c.field = c.before;
        panel.LoadFrom(ds);
        reporter.entries.clear();
        changes = 0;
        edit->setFocus();
        if (std::string(c.keys) == "\b") {
            edit->end(false);
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else {
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromUtf8(c.keys));
        }
        EXPECT_EQ(ds.*c.field, c.value) << c.keys;
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown)) << c.keys;
        EXPECT_EQ(reporter.entries.size(), c.refused ? 1u : 0u) << c.keys;
        if (c.refused) {
            EXPECT_EQ(reporter.entries[0].text, "请输入一个整数。");
            EXPECT_EQ(reporter.entries[0].icon, MessageIcon::Information);
        }
        EXPECT_EQ(changes > 0, !c.refused && QString::fromUtf8(c.keys) != QStringLiteral("-"))
            << c.keys;
    }
}

TEST_F(SetPanelTest, ModesAndThePercentScaleGreysTheScaleFields) {
    panel.scaleLowEdit->setText(QStringLiteral("-20"));
    panel.scaleHighEdit->setText(QStringLiteral("80"));
    panel.percentMode->click();
    EXPECT_EQ(ds.YMode, 1);
    EXPECT_FALSE(panel.scaleLowEdit->isEnabled());
    EXPECT_FALSE(panel.scaleHighEdit->isEnabled());
    panel.valueMode->click();
    EXPECT_EQ(ds.YMode, 0);
    EXPECT_TRUE(panel.scaleLowEdit->isEnabled());
    EXPECT_EQ(panel.scaleHighEdit->text(), QStringLiteral("80"));
    panel.longTime->click();
    EXPECT_EQ(ds.XMode, 0);
    panel.shortTime->click();
    EXPECT_EQ(ds.XMode, 1);
    EXPECT_EQ(changes, 4);
}

TEST_F(SetPanelTest, SelectCurvesShowsTheTenRowsFromTheFirstVisible) {
    panel.list->verticalScrollBar()->setValue(2);
    ASSERT_EQ(panel.list->TopRow(), 2);
    panel.selectCurves->click();
    EXPECT_EQ(ds.channelChecks, (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(changes, 1);
}

TEST_F(SetPanelTest, ListClicksToggleChecksAndChooseColoursOnlyOnTheirHotSpots) {
    CColorListBox* list = panel.list;
    const QImage rows = list->viewport()->grab().toImage();
    EXPECT_EQ(testing::PixelAt(rows, 12, 12), ToQColor(DefaultChannelColor(0)).rgb());
    EXPECT_EQ(testing::PixelAt(rows, 12, 37), ToQColor(DefaultChannelColor(1)).rgb());
    EXPECT_GT(testing::CountColor(rows, QRect(123, 8, 9, 9), Qt::black), 10) << "check mark";

    auto click = [&](int x, int y) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, {x, y});
    };
    click(60, 37);  // between swatch and box
    click(10, 24);  // the gap below a swatch
    EXPECT_EQ(changes, 0);
    click(125, 35);
    EXPECT_EQ(ds.channelChecks[1], 0);
    const QImage unchecked = list->viewport()->grab().toImage();
    EXPECT_EQ(testing::CountColor(unchecked, QRect(123, 33, 9, 9), Qt::black), 0);
    click(125, 35);
    EXPECT_EQ(ds.channelChecks[1], 1);
    EXPECT_EQ(changes, 2);

    // The colour dialog starts from the channel's colour; cancelling keeps it.
    for (bool confirm : {false, true}) {
        QColor initial;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            initial = dlg->currentColor();
            dlg->setCurrentColor(QColor(10, 200, 30));
            confirm ? dlg->accept() : dlg->reject();
        });
        click(12, 62);
        EXPECT_EQ(initial, ToQColor(DefaultChannelColor(2)));
        EXPECT_EQ(ds.channelColors[2], confirm ? Rgb(10, 200, 30) : DefaultChannelColor(2));
        EXPECT_EQ(changes, confirm ? 3 : 2);
    }
}

class PanelInViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        const std::string file = testing::WriteLevelFile(
            home / "Data/08@2026-03-04_12-00-00.vd", 4, 3000,
            [](int ch, std::uint32_t r) { return static_cast<std::uint8_t>(ch * 50 + r % 40); });
        app = std::make_unique<CVardoApp>(&reporter, home.path() + "/");
        ASSERT_TRUE(app->InitInstance({"vardo", file}));
        app->MainFrame()->resize(1000, 700);
        ASSERT_TRUE(testing::WaitUntil([this] { return View() && View()->LaidOut(); }));
    }
    CVardoView* View() { return dynamic_cast<CVardoView*>(app->MainFrame()->ActiveView()); }
    DisplaySettings Saved() {
        DisplaySettings ds;
        LoadDisplaySettings(app->Document().settingsPath(), ds);
        return ds;
    }

    testing::TempDir home;
    RecordingReporter reporter;
    std::unique_ptr<CVardoApp> app;
};

TEST_F(PanelInViewTest, KeysTypedIntoAFieldStayThereAndChangesAreSavedAtOnce) {
    CMainFrame& f = *app->MainFrame();
    CVardoView* view = View();
    ASSERT_NE(view->panel, nullptr);
    EXPECT_TRUE(view->panel->isVisible());
    EXPECT_EQ(view->settings->drawRect.left, view->panel->width());
    const HistoryData& h = app->Document().history;
    const auto place = [&] {
        return std::tuple(h.windowStart, h.windowStep, view->settings->pixelsPerPoint);
    };
    const auto before = place();
    QLineEdit* grid = view->panel->gridXEdit;
    grid->setFocus();
    grid->selectAll();
    for (Qt::Key k : {Qt::Key_3, Qt::Key_Left, Qt::Key_2, Qt::Key_Right, Qt::Key_Backspace,
                      Qt::Key_4, Qt::Key_Left, Qt::Key_Backspace, Qt::Key_1, Qt::Key_Z})
        QTest::keyClick(grid, k);
    EXPECT_EQ(grid->text(), QStringLiteral("14"));
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), grid) << "Tab is no dialog navigation here";
    EXPECT_EQ(f.currentView, CMainFrame::kCurveView);
    EXPECT_EQ(View(), view);
    EXPECT_TRUE(view->panel->isVisible());
    EXPECT_EQ(place(), before);
    EXPECT_EQ(Saved().XLines, 14);
    EXPECT_EQ(reporter.entries.size(), 1u) << "the Z was no number";

    // Key 4 in the view hides the panel, the curves take its place, and the choice is kept.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_4);
    EXPECT_FALSE(view->panel->isVisible());
    EXPECT_FALSE(f.Action(cmd::kSettingsPanel)->isChecked());
    EXPECT_EQ(view->settings->drawRect.left, 0);
    EXPECT_EQ(Saved().SetPannel, 0);
    f.ExecuteCommand(cmd::kSettingsPanel);
    EXPECT_TRUE(view->panel->isVisible());
    EXPECT_TRUE(f.Action(cmd::kSettingsPanel)->isChecked());
    EXPECT_EQ(Saved().SetPannel, 1);
}

}  // namespace
}  // namespace vardo
