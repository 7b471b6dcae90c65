// Every control of every dialog takes a click where the user sees it: the mouse goes to the
// widget found under the control's centre, as it does on a screen, so a frame lying over a field
// is caught where calling the field's own handlers would not see it.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "app/about_dlg.h"
#include "app/code_conv_dlg.h"
#include "app/help_window.h"
#include "app/vardo_doc.h"
#include "cfcard/cf_upload_dlg.h"
#include "curves/set_panel.h"
#include "datalist/excel_export_dlg.h"
#include "datalist/pos_query_dlg.h"
#include "datalist/range_set_dlg.h"
#include "datalist/stat_dlg.h"
#include "history/file_browse_dlg.h"
#include "link/comm_set_dlg.h"
#include "link/serial_upload_dlg.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

// x is w, or lies inside it; a popup counts as inside the control that opened it.
bool Within(const QWidget* x, const QWidget* w) {
    for (; x != nullptr; x = x->parentWidget())
        if (x == w) return true;
    return false;
}

std::string Describe(const QWidget* w) {
    if (w == nullptr) return "nothing";
    std::string name = w->metaObject()->className();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        name += " \"" + b->text().toStdString() + "\"";
    const QRect g = w->geometry();
    return name + " at " + std::to_string(g.x()) + "," + std::to_string(g.y());
}

// Clicks every visible, enabled control of window that takes focus by mouse at its centre.
// Push buttons are pressed and released away from them: that they go down and take focus shows
// the click arrives, and their commands are other tests' business. Returns the controls the
// click did not reach.
std::vector<std::string> ClickEachControl(QWidget* window, int& clicked) {
    std::vector<std::string> faults;
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || !w->isVisible() || !w->isEnabled() ||
            (w->focusPolicy() & Qt::ClickFocus) == 0)
            continue;
        const QPoint centre = w->mapToGlobal(w->rect().center());
        QWidget* hit = QApplication::widgetAt(centre);
        if (!Within(hit, w)) {
            faults.push_back(Describe(w) + " lies under " + Describe(hit));
            continue;
        }
        ++clicked;
        const QPoint at = hit->mapFromGlobal(centre);
        auto* button = qobject_cast<QAbstractButton*>(w);
        bool took = false;
        if (qobject_cast<QPushButton*>(w) != nullptr) {
            QTest::mousePress(hit, Qt::LeftButton, {}, at);
            took = button->isDown() && Within(QApplication::focusWidget(), w);
            QTest::mouseRelease(hit, Qt::LeftButton, {}, QPoint(-2000, -2000));
        } else {
            const bool checked = button != nullptr && button->isChecked();
            QTest::mouseClick(hit, Qt::LeftButton, {}, at);
            QWidget* popup = QApplication::activePopupWidget();
            took = Within(QApplication::focusWidget(), w) || Within(popup, w) ||
                   (button != nullptr && button->isChecked() != checked);
            if (popup != nullptr) popup->close();
            // A box ticked is ticked off again: it may have disabled the controls still to come.
            if (button != nullptr && button->isCheckable() && !button->autoExclusive())
                QTest::mouseClick(hit, Qt::LeftButton, {}, at);
        }
        if (!took) faults.push_back(Describe(w) + " took no click");
    }
    return faults;
}

struct DialogClicksTest : ::testing::Test {
    void SetUp() override {
        std::filesystem::create_directories(home / "Data");
        std::filesystem::create_directories(home / "dev");
        // The file browser lists one file, with its icon and summary.
        testing::WriteLevelFile(home / "Data/08@2026-03-04_12-00-00.vd", 2, 10,
                                [](int, std::uint32_t) { return std::uint8_t{7}; });
        // The serial upload reads the recorder as it opens; no port answers here.
        std::ofstream(home / "SetUp.ini") << "[Ports]\nCOM1=" << home / "no-port"
                                          << "\n";
        settings.Chnls = 3;
        for (int i = 0; i < settings.Chnls; ++i) {
            settings.channelColors.push_back(DefaultChannelColor(i));
            settings.channelChecks.push_back(1);
        }
    }
    testing::TempDir home;
    RecordingReporter reporter;
    CVardoDoc doc{reporter, home.path() + "/"};
    DisplaySettings settings;
};

TEST_F(DialogClicksTest, EveryControlOfEveryDialogTakesAClickAtItsCentre) {
    const std::string guide = std::string(VARDO_SOURCE_DIR) + "/doc/guide/index.html";
    const struct {
        const char* name;
        std::function<QWidget*()> make;
        int controls;  // at least this many clicked
    } dialogs[] = {
        {"range", [&] { return new CRangeSetDlg(reporter); }, 7},
        {"export", [&] { return new CExcelExportDlg(doc); }, 7},
        {"serial-upload", [&] { return new CSerialUploadDlg(doc); }, 7},
        {"position-query", [&] { return new CPosQueryDlg(reporter); }, 4},
        {"statistics", [&] { return new CStatDlg(); }, 1},
        {"comm-settings", [&] { return new CCommSetDlg(doc, nullptr, home / "dev"); }, 5},
        {"card-upload",
         [&] {
             auto* d = new CCfUploadDlg(doc);
             d->findDrives = [] { return std::vector<std::string>{"/dev/sdz"}; };
             return d;
         },
         4},
        {"file-browser",
         [&] {
             auto* d = new CFileBrowseDlg(doc);
             d->files->setCurrentRow(0);
             return d;
         },
         5},
        {"code-lookup", [&] { return new CCodeConvDlg(); }, 2},
        {"about", [&] { return new CAboutDlg(); }, 1},
        {"settings-panel",
         [&] {
             auto* panel = new CSetPanel(reporter, nullptr);
             panel->LoadFrom(settings);
             return panel;
         },
         7},
        {"help",
         [&] { return new CHelpWindow(QUrl::fromLocalFile(QString::fromStdString(guide))); }, 1},
    };
    const char* shots = std::getenv("VARDO_SHOT_DIR");
    for (const auto& d : dialogs) {
        std::unique_ptr<QWidget> window(d.make());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get())) << d.name;
        QApplication::processEvents();
        int clicked = 0;
        EXPECT_EQ(ClickEachControl(window.get(), clicked), std::vector<std::string>{}) << d.name;
        EXPECT_GE(clicked, d.controls) << d.name;
        if (shots != nullptr)
            window->grab().save(QString::fromUtf8(shots) + "/" + d.name + ".png", "PNG");
        window->close();
    }
}

}  // namespace
}  // namespace vardo
