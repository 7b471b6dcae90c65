#include "app/message_box_reporter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <thread>

#include "base/texts.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

TEST(MessageBoxReporter, BoxesAreTitledCarryTheirIconAndComeUpOnTheInterfaceThread) {
    struct Case {
        MessageIcon icon;
        QMessageBox::Icon shown;
        bool fromWorker;
    } cases[] = {{MessageIcon::Error, QMessageBox::Critical, false},
                 {MessageIcon::Information, QMessageBox::Information, true}};
    for (const Case& c : cases) {
        // Answers the box that comes up and remembers what it said.
        QStringList seen;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            seen = {box->windowTitle(), box->text(), box->button(QMessageBox::Ok)->text()};
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        watcher.start(5);
        MessageBoxReporter reporter;
        std::atomic<bool> done{false};
        auto show = [&] {
            reporter.ShowMessage(texts::kFileDamaged, c.icon);
            done = true;
        };
        if (c.fromWorker) {
            std::thread worker(show);
            EXPECT_TRUE(testing::WaitUntil([&] { return done.load(); }));
            worker.join();
        } else {
            show();
        }
        EXPECT_EQ(seen,
                  (QStringList{QString::fromUtf8("提示..."), QString::fromUtf8(texts::kFileDamaged),
                               QString::fromUtf8("确定")}))
            << c.fromWorker;
        EXPECT_EQ(icon, c.shown) << c.fromWorker;
    }
}

}  // namespace
}  // namespace vardo
