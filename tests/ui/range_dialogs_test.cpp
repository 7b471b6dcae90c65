// The range setting, the position query and the progress box, driven through their handlers
// with the messages caught by a recording reporter.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include "app/message_box_reporter.h"
#include "base/texts.h"
#include "datalist/pos_query_dlg.h"
#include "datalist/progress_dlg.h"
#include "datalist/range_set_dlg.h"
#include "ui_fixture.h"

namespace vardo {
namespace {

const VTime kOldest = MakeLocalTime(2026, 3, 1, 8, 0, 0);
const VTime kNewest = MakeLocalTime(2026, 3, 4, 12, 0, 0);

void Pick(DateTimePair& pair, int day, int h, int m, int s) {
    pair.date->setDate(QDate(2026, 3, day));
    pair.time->setTime(QTime(h, m, s));
}

std::vector<std::string> Texts(const RecordingReporter& r) {
    std::vector<std::string> out;
    for (const auto& e : r.entries) {
        EXPECT_EQ(e.icon, MessageIcon::Information) << e.text;
        out.push_back(e.text);
    }
    return out;
}

TEST(RangeSetDlg, ShowsTheFileAndTheProposalAndClosesOnlyOnAGoodRange) {
    const struct {
        int startDay, startHour, endDay, endHour;
        const char* step;
        std::string message;  // empty: the dialog closes with OK
    } cases[] = {
        {2, 9, 2, 9, "1", ""},  // start equal to end
        {1, 8, 4, 12, "80000", ""},
        {1, 7, 4, 12, "1", texts::kStartOutOfRange},
        {1, 7, 1, 6, "1", texts::kStartBeforeEnd},
        {1, 8, 4, 13, "1", texts::kEndOutOfRange},
        {1, 8, 4, 12, "0", "请输入一个在 1 和 80000 之间的整数。"},
        {1, 8, 4, 12, "80001", "请输入一个在 1 和 80000 之间的整数。"},
        {1, 8, 4, 12, "", "请输入一个整数。"},
    };
    for (const auto& c : cases) {
        RecordingReporter reporter;
        CRangeSetDlg dlg(reporter);
        dlg.span.SetFileRange(kOldest, kNewest);
        dlg.span.SetRange(kNewest - 3600, kNewest, 5);
        EXPECT_EQ(dlg.span.rangeText->text().toStdString(),
                  "2026-03-01 08:00:00 => 2026-03-04 12:00:00");
        EXPECT_EQ(dlg.span.start.date->date(), QDate(2026, 3, 4));
        EXPECT_EQ(dlg.span.start.time->time(), QTime(11, 0, 0));
        EXPECT_EQ(dlg.span.stepEdit->text(), QStringLiteral("5"));
        dlg.open();
        Pick(dlg.span.start, c.startDay, c.startHour, 0, 0);
        Pick(dlg.span.end, c.endDay, c.endHour, 0, 0);
        dlg.span.stepEdit->setText(QString::fromUtf8(c.step));
        dlg.okButton->click();
        const bool closes = c.message.empty();
        EXPECT_EQ(Texts(reporter),
                  closes ? std::vector<std::string>{} : std::vector<std::string>{c.message})
            << c.step;
        EXPECT_EQ(dlg.isVisible(), !closes) << c.message;
        if (!closes) continue;
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        const RangeChoice got = dlg.GetRange();
        EXPECT_EQ(got.start, MakeLocalTime(2026, 3, c.startDay, c.startHour, 0, 0));
        EXPECT_EQ(got.end, MakeLocalTime(2026, 3, c.endDay, c.endHour, 0, 0));
        EXPECT_EQ(got.step, std::stoi(c.step));
    }
}

TEST(RangeSetDlg, AskGivesTheChoiceOnOkAndNothingOnClose) {
    for (bool ok : {true, false}) {
        QTimer::singleShot(0, [ok] {
            auto* dlg = dynamic_cast<CRangeSetDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            (ok ? dlg->okButton : dlg->closeButton)->click();
        });
        RecordingReporter reporter;
        const auto got = CRangeSetDlg::Ask(nullptr, reporter, kOldest, kNewest,
                                           {kNewest - 600, kNewest - 60, 3});
        ASSERT_EQ(got.has_value(), ok);
        if (ok) {
            EXPECT_EQ(got->start, kNewest - 600);
            EXPECT_EQ(got->end, kNewest - 60);
            EXPECT_EQ(got->step, 3);
        }
    }
}

TEST(PosQueryDlg, BoundButtonsFillThePickersAndAMomentOutsideKeepsItOpen) {
    enum Take { None, Start, End };
    const struct {
        Take take;
        int day;  // picked when nothing is taken
        bool closes;
        VTime result;
    } cases[] = {
        {End, 0, true, 0},
        {Start, 0, true, kNewest - kOldest},
        {None, 3, true, kNewest - MakeLocalTime(2026, 3, 3, 10, 0, 0)},
        {None, 5, false, 0},
        {None, 28, false, 0},
    };
    for (const auto& c : cases) {
        RecordingReporter reporter;
        CPosQueryDlg dlg(reporter);
        dlg.SetQuery(kOldest, kNewest, kNewest - 90);
        EXPECT_EQ(dlg.startText->text(), QStringLiteral("2026-03-01 08:00:00"));
        EXPECT_EQ(dlg.endText->text(), QStringLiteral("2026-03-04 12:00:00"));
        EXPECT_EQ(dlg.moment.time->time(), QTime(11, 58, 30));
        dlg.open();
        if (c.take == Start) dlg.takeStart->click();
        if (c.take == End) dlg.takeEnd->click();
        if (c.take == None) Pick(dlg.moment, c.day, 10, 0, 0);
        EXPECT_TRUE(dlg.isVisible()) << "a bound button closed the dialog";
        dlg.queryButton->click();
        EXPECT_EQ(dlg.isVisible(), !c.closes) << c.day;
        EXPECT_EQ(Texts(reporter), c.closes ? std::vector<std::string>{}
                                            : std::vector<std::string>{texts::kQueryOutOfRange});
        if (c.closes) {
            EXPECT_EQ(dlg.queryResult, c.result) << c.take << " " << c.day;
        }
    }
}

TEST(PosQueryDlg, TheRealBoxBelongsToTheDialog) {
    MessageBoxReporter reporter;
    CPosQueryDlg dlg(reporter);
    dlg.SetQuery(kOldest, kNewest, kNewest + 1);
    QWidget* owner = nullptr;
    QString text;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        owner = box->parentWidget();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
        dlg.reject();
    });
    watcher.start(5);
    QTimer::singleShot(0, dlg.queryButton, &QPushButton::click);
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(owner, &dlg);
    EXPECT_EQ(text.toStdString(), texts::kQueryOutOfRange);
}

TEST(ProgressDlg, ShowsCentredOverItsParentWithoutTakingInput) {
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    CProgressDlg box(&parent);
    box.Begin(QString::fromUtf8("正在读取..."), 0, 200);
    box.SetPos(50);
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.isModal());
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_LE((box.geometry().center() - parent.geometry().center()).manhattanLength(), 2);
    EXPECT_EQ(box.text->text(), QString::fromUtf8("正在读取..."));
    EXPECT_EQ(box.bar->maximum(), 200);
    EXPECT_EQ(box.bar->value(), 50);
}

}  // namespace
}  // namespace vardo
