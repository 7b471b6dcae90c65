#pragma once
// What the widget tests share: history files made from a per-channel level, pixel questions
// about rendered surfaces, and waiting on the event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QRect>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QWheelEvent>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "base/vardo_time.h"
#include "history/history_format.h"
#include "support/history_file_builder.h"

namespace vardo::testing {

// Text is drawn smoothed, so its colour shows only near the glyphs' cores.
inline constexpr int kTextTolerance = 40;

// A file of `records` records with every channel present, ending at 2026-03-04 12:00:00 with
// 10 s records; sample(ch, r) gives the sample r records back from the newest.
inline std::string WriteLevelFile(const std::string& path, int channels, std::uint32_t records,
                                  std::function<std::uint8_t(int, std::uint32_t)> sample,
                                  std::vector<int> present = {}) {
    FileLayout file;
    file.channelCount = channels;
    file.present = present.empty() ? std::vector<int>(channels, 1) : present;
    const VTime newest = MakeLocalTime(2026, 3, 4, 12, 0, 0);
    file.newest = PackTime(newest);
    file.oldest = PackTime(newest - 10 * static_cast<VTime>(records - 1));
    file.newestSlot = records - 1;
    file.hasOldestByte = 1;
    file.intervalCode = 3;
    file.sample = [records, sample](int ch, std::uint32_t slot) -> std::uint8_t {
        if (slot >= records) return 0;
        return sample(ch, records - 1 - slot);
    };
    WriteBytes(path, BuildFile(file));
    return path;
}

// Pixels inside r within tol (per channel) of c.
inline int CountColor(const QImage& img, const QRect& r, QColor c, int tol = 0) {
    int n = 0;
    const QRect box = r.intersected(img.rect());
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor p(img.pixel(x, y));
            n += std::abs(p.red() - c.red()) <= tol && std::abs(p.green() - c.green()) <= tol &&
                 std::abs(p.blue() - c.blue()) <= tol;
        }
    return n;
}

inline int CountText(const QImage& img, const QRect& r, QColor c) {
    return CountColor(img, r, c, kTextTolerance);
}

inline QRgb PixelAt(const QImage& img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

// A mouse event with the buttons held as a user's hand holds them.
inline void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
                  Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Wheel(QWidget* w, QPoint at, int delta) {
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// Clicks the middle of target where a user would: at the screen point, on whatever widget is
// there, which must be target itself.
inline void ClickOn(QWidget* target) {
    const QPoint global = target->mapToGlobal(target->rect().center());
    QWidget* hit = QApplication::widgetAt(global);
    ASSERT_EQ(hit, target);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFromGlobal(global));
}

// Clicks the first link of the browser's page where a user would, at its place on the screen
// (scrolled into view first); href: where the link leads.
inline void ClickFirstLink(QTextBrowser* browser, QString& href) {
    QTextCursor link(browser->document());
    while (!link.atEnd() && !link.charFormat().isAnchor())
        link.movePosition(QTextCursor::NextCharacter);
    ASSERT_FALSE(link.atEnd());
    href = link.charFormat().anchorHref();
    link.movePosition(QTextCursor::NextCharacter);
    browser->setTextCursor(link);
    browser->ensureCursorVisible();
    QWidget* viewport = browser->viewport();
    const QPoint at = viewport->mapToGlobal(browser->cursorRect(link).center());
    QWidget* under = QApplication::widgetAt(at);
    ASSERT_EQ(under, viewport);
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFromGlobal(at));
}

// Runs the event loop until cond holds, for at most two seconds; returns cond.
inline bool WaitUntil(const std::function<bool()>& cond) {
    QElapsedTimer clock;
    clock.start();
    while (!cond() && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return cond();
}

}  // namespace vardo::testing
