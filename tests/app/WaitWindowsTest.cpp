// The progress window and the link screen that feeds it.

#include "AppTestSupport.h"
#include "LinkEvent.h"
#include "TFormAttesa.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

namespace lumex::app::test {
namespace {

TEST(ProgressWindow, UsualReadShowsNineStepsThenHundred) {
    TFormAttesa wait;
    wait.ProgressSuffix = "completato";
    for (int step = 1; step <= 11; ++step) {
        LinkEvent add(lumex::WM_LINK_PROGRESS, 9, 1);
        QCoreApplication::sendEvent(&wait, &add);
        EXPECT_EQ(wait.ProgressLine(), QString::number(9 * step) + "% completato");
    }
    LinkEvent done(lumex::WM_LINK_PROGRESS, 100, 0);
    QCoreApplication::sendEvent(&wait, &done);
    EXPECT_EQ(wait.ProgressLine(), "100% completato");
}

TEST(ProgressWindow, StaysInRangeAndAnEmptySuffixLeavesTheBareFigure) {
    TFormAttesa wait;
    wait.ApplyProgress(95, false);
    wait.ApplyProgress(9, true);
    EXPECT_EQ(wait.Position(), 100);
    EXPECT_EQ(wait.ProgressLine(), "100% ");
    wait.ApplyProgress(-50, false);
    EXPECT_EQ(wait.Position(), 0);
}

TEST(LinkScreen, DeliversAtOnceOnTheGuiThreadAndLaterFromOthers) {
    QtLinkScreen screen;
    TFormAttesa wait;
    screen.SetFallbackWindow(&wait);

    screen.SendToActiveWindow(lumex::WM_LINK_PROGRESS, 40, 0);
    EXPECT_EQ(wait.Position(), 40);   // synchronous

    QThread* worker = QThread::create([&screen] {
        screen.SendToActiveWindow(lumex::WM_LINK_PROGRESS, 5, 1);
    });
    worker->start();
    worker->wait();
    delete worker;
    EXPECT_EQ(wait.Position(), 40);   // not yet: posted
    EXPECT_TRUE(QTest::qWaitFor([&wait] { return wait.Position() == 45; }, 2000));

    screen.SendToActiveWindow(12345, 1, 1);   // not a link message: dropped
    EXPECT_EQ(wait.Position(), 45);
}

}  // namespace
}  // namespace lumex::app::test
