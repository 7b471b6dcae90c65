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
#include <memory>

#include "every_dialog.h"
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

using DialogClicksTest = EveryDialogTest;

TEST_F(DialogClicksTest, EveryControlOfEveryDialogTakesAClickAtItsCentre) {
    const std::vector<DialogMaker> dialogs = Dialogs();
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
