#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QColor>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/message_box_reporter.h"
#include "app/static_link.h"
#include "app/tool_images.h"
#include "base/texts.h"
#include "curves/scroll_bitmaps.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

// Row widths of the arrow's triangle, top to bottom, from the bitmap's own pixels.
std::vector<int> TriangleRows(const QImage& img, QRgb fill) {
    std::vector<int> rows;
    for (int y = 1; y < 14; ++y) {
        int n = 0;
        for (int x = 1; x < 14; ++x) n += img.pixel(x, y) == fill ? 1 : 0;
        rows.push_back(n);
    }
    return rows;
}

TEST(ScrollBitmaps, ArrowsPointTheirWayInTheirColours) {
    const QRgb maroon = qRgb(128, 0, 0);
    const QRgb green = qRgb(0, 128, 0);
    struct Case {
        int id;
        QRgb fill;
        std::vector<int> rows;  // rows 1..13
    } cases[] = {
        {kBitmapUp, maroon, {0, 0, 0, 1, 3, 5, 7, 9, 11, 0, 0, 0, 0}},
        {kBitmapUpLit, green, {0, 0, 0, 1, 3, 5, 7, 9, 11, 0, 0, 0, 0}},
        {kBitmapDown, maroon, {0, 0, 0, 0, 11, 9, 7, 5, 3, 1, 0, 0, 0}},
        {kBitmapDownLit, green, {0, 0, 0, 0, 11, 9, 7, 5, 3, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const QImage& img = ScrollBitmap(c.id);
        ASSERT_EQ(img.size(), QSize(15, 15)) << c.id;
        EXPECT_EQ(TriangleRows(img, c.fill), c.rows) << c.id;
        for (int i = 0; i < 15; ++i) {
            EXPECT_EQ(img.pixel(i, 0), maroon);
            EXPECT_EQ(img.pixel(14, i), maroon);
        }
        EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 0));
    }
}

TEST(ToolImages, EveryToolbarButtonHasItsOwnPicture) {
    std::vector<QImage> seen;
    for (int resource : {cmd::kToolbarCurves, cmd::kToolbarList, cmd::kToolbarRealtime}) {
        for (int id : ToolbarButtons(resource)) {
            if (id == 0) continue;
            const QImage img = ToolImage(id);
            ASSERT_EQ(img.size(), QSize(17, 18)) << id;
            int inked = 0;
            for (int y = 0; y < 18; ++y)
                for (int x = 0; x < 17; ++x) inked += qAlpha(img.pixel(x, y)) > 0 ? 1 : 0;
            EXPECT_GT(inked, 10) << id;
        }
    }
    EXPECT_NE(ToolImage(cmd::kZoomIn), ToolImage(cmd::kZoomOut));
    EXPECT_NE(ToolImage(cmd::kForward), ToolImage(cmd::kBack));
}

TEST(AboutBox, ProductLineOkButtonAndAHiddenLink) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(texts::kAboutTitle));
    auto* product = dlg.findChild<QLabel*>(QStringLiteral("product"));
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product->text(), QStringLiteral("Vardo 2.0.0"));
    ASSERT_NE(dlg.link, nullptr);
    EXPECT_TRUE(dlg.link->isHidden());
}

TEST(StaticLink, UnderlinedBlueAndNothingToFollowWhenEmpty) {
    CStaticLink link;
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.color, QColor(0, 0, 255));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(link.Follow());
    EXPECT_EQ(link.color, QColor(0, 0, 255)) << "an empty link stays unvisited";
}

}  // namespace
}  // namespace vardo

namespace vardo {
namespace {

// Answers the first message box that comes up and remembers what it said.
struct BoxWatcher {
    BoxWatcher() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            button = box->button(QMessageBox::Ok)->text();
            box->button(QMessageBox::Ok)->click();
        });
        timer.start();
    }
    QTimer timer;
    QString title, text, button;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

TEST(MessageBoxReporter, BoxesAreTitledAndCarryTheirIcon) {
    struct Case {
        MessageIcon icon;
        QMessageBox::Icon shown;
    } cases[] = {{MessageIcon::Error, QMessageBox::Critical},
                 {MessageIcon::Information, QMessageBox::Information}};
    for (const Case& c : cases) {
        BoxWatcher watcher;
        MessageBoxReporter reporter;
        reporter.ShowMessage(texts::kFileDamaged, c.icon);
        EXPECT_EQ(watcher.title, QString::fromUtf8("提示..."));
        EXPECT_EQ(watcher.text, QString::fromUtf8(texts::kFileDamaged));
        EXPECT_EQ(watcher.button, QString::fromUtf8("确定"));
        EXPECT_EQ(watcher.icon, c.shown);
    }
}

TEST(MessageBoxReporter, AWorkersMessageComesUpOnTheInterfaceThread) {
    BoxWatcher watcher;
    MessageBoxReporter reporter;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        reporter.ShowMessage(texts::kCommFailed, MessageIcon::Error);
        done = true;
    });
    EXPECT_TRUE(testing::WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(watcher.text, QString::fromUtf8(texts::kCommFailed));
}

}  // namespace
}  // namespace vardo
