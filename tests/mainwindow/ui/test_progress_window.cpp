// The progress window: what it shows, "中止" (also Esc and the close box)
// asking once for the stop, and none once the delivery has begun; in the
// main window it is up during a run and gone after it.
#include "MainWindowFixture.h"

#include "mainwindow/ui/frmProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

TEST(ProgressWindow, ShowsTheStageAndTheRunAndAsksForTheStopOnce)
{
    QWidget owner;
    for (const bool byEscape : {false, true}) {
        frmProgress window(&owner);
        window.show();
        window.showProgress(RunStage::Encrypting, 250, 1000);
        EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblStage"))->text(), QStringLiteral("暗号化中"));
        EXPECT_EQ(window.findChild<QProgressBar*>(QStringLiteral("barRun"))->value(), 250);
        auto* stop = window.findChild<QPushButton*>(QStringLiteral("cmdStop"));
        EXPECT_EQ(stop->text(), QStringLiteral("中止"));
        byEscape ? QTest::keyClick(&window, Qt::Key_Escape) : stop->click();
        EXPECT_TRUE(window.stopRequested());
        EXPECT_FALSE(stop->isEnabled());
        EXPECT_TRUE(window.isVisible()) << "the run closes it";
    }
    frmProgress delivering(&owner);
    delivering.deliveryBegins();
    delivering.reject();
    EXPECT_FALSE(delivering.stopRequested());
}

TEST_F(MainWindowFixture, ARunShowsItsProgressWindowUntilItEnds)
{
    openLoaded();
    m_window->setProgressDelay(0);
    m_dialogs.answers = {writeReport(QStringLiteral("report.xls"))};
    QTest::mouseClick(control("cmdAdd"), Qt::LeftButton);
    int barAtTheEnd = -1;
    m_boxes.onShow = [&](BoxKind) {
        if (frmProgress* progress = m_window->progressWindow())
            barAtTheEnd = progress->findChild<QProgressBar*>(QStringLiteral("barRun"))->value();
    };
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    ASSERT_EQ(boxTexts().size(), 1);
    EXPECT_TRUE(boxTexts()[0].contains(QStringLiteral("正常に出力されました")));
    EXPECT_EQ(barAtTheEnd, 1000);
    EXPECT_EQ(m_window->progressWindow(), nullptr);
}
