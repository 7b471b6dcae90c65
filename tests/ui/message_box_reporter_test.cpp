#include "app/message_box_reporter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <thread>

#include "base/texts.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

// Answers every message box that comes up and remembers what the last one said.
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

TEST(MessageBoxReporter, BoxesAreTitledCarryTheirIconAndComeUpOnTheInterfaceThread) {
    struct Case {
        MessageIcon icon;
        QMessageBox::Icon shown;
        bool fromWorker;
    } cases[] = {{MessageIcon::Error, QMessageBox::Critical, false},
                 {MessageIcon::Information, QMessageBox::Information, true}};
    for (const Case& c : cases) {
        BoxWatcher watcher;
        MessageBoxReporter reporter;
        if (c.fromWorker) {
            std::atomic<bool> done{false};
            std::thread worker([&] {
                reporter.ShowMessage(texts::kFileDamaged, c.icon);
                done = true;
            });
            EXPECT_TRUE(testing::WaitUntil([&] { return done.load(); }));
            worker.join();
        } else {
            reporter.ShowMessage(texts::kFileDamaged, c.icon);
        }
        EXPECT_EQ(watcher.title, QString::fromUtf8("提示..."));
        EXPECT_EQ(watcher.text, QString::fromUtf8(texts::kFileDamaged));
        EXPECT_EQ(watcher.button, QString::fromUtf8("确定"));
        EXPECT_EQ(watcher.icon, c.shown) << c.fromWorker;
    }
}

}  // namespace
}  // namespace vardo
