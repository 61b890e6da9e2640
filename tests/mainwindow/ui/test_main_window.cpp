// The main window driven through its controls: drops, the dialog, delete and
// what the output run sees of the list; the window menu with its two modal
// windows and their re-entry guard; the progress window, whose "中止" (also
// Esc and the close box) asks for the stop, and none once the delivery has
// begun, up during a run and gone after it.
#include "MainWindowFixture.h"

#include "mainwindow/ui/WindowMenu.h"
#include "mainwindow/ui/frmProgress.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

// One handler for drops on the window and every control; text (which a file
// manager also offers) is refused everywhere. A click shows the entry's
// whole path; the run selects the entries whose file is gone, only those.
TEST_F(MainWindowFixture, DropsAndTheDialogAddDeleteRemovesTheSelectedOutputMarksTheGone)
{
    openLoaded();
    QStringList reports;
    for (QWidget* target : { list()->viewport(), control("cmdSend"), control("Frame1") }) {
        SCOPED_TRACE(target->objectName().toStdString());
        reports << writeReport(target->objectName() + QStringLiteral(".xls"));
        EXPECT_TRUE(drop(target, { reports.back() }));
        EXPECT_FALSE(drop(target, { writeReport(QStringLiteral("text.xls")) }, false));
    }
    // A move proposed is taken as a copy: the source keeps the user's report.
    reports << writeReport(QStringLiteral("moved.xls"));
    EXPECT_TRUE(drop(list()->viewport(), { reports.back() }, true, true));
    m_dialogs.answers = { writeReport(QStringLiteral("chosen.xls")) };
    QTest::mouseClick(control("cmdAdd"), Qt::LeftButton);
    // Listed as the system writes paths ("\" on Windows).
    ASSERT_EQ(entries(), native(reports << at(QStringLiteral("reports/chosen.xls"))));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(1)).center());
    EXPECT_EQ(list()->viewport()->toolTip(), QDir::toNativeSeparators(reports[1]));
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    ASSERT_EQ(entries(), native({ reports[0], reports[2], reports[3], reports[4] }));

    list()->item(0)->setSelected(true);
    ASSERT_TRUE(QFile::remove(reports[2]));
    // During the run (its box is open) a drop is refused, not taken and lost.
    bool droppedDuringTheRun = true;
    m_boxes.onShow = [&](BoxKind) { droppedDuringTheRun = drop(list()->viewport(), { writeReport("late.xls") }); };
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    EXPECT_FALSE(droppedDuringTheRun);
    EXPECT_TRUE(!list()->item(0)->isSelected() && list()->item(1)->isSelected() && !list()->item(2)->isSelected()
        && !list()->item(3)->isSelected());
    EXPECT_TRUE(boxTexts().size() == 1
        && boxTexts()[0].startsWith(QStringLiteral("存在しないﾌｧｲﾙが指定されています。")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait pointer stays";
}

// Alt+Space rarely reaches the program (window managers take it), so a right
// click on the background and the Menu key open it too.
TEST_F(MainWindowFixture, WindowMenuOpensOffTheControlsAndEachEntryOpensItsWindowOnceAndAnActivationChecksTheFile)
{
    openLoaded();
    for (QWidget* target : { control("cmdSend"), list()->viewport() })
        EXPECT_EQ(rightClick(target), nullptr) << target->objectName().toStdString();
    QMenu* menu = rightClick(control("Frame1"));
    ASSERT_NE(menu, nullptr);
    menu->hide();
    QTest::keyClick(list(), Qt::Key_Menu);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    // Both commands, given again while either window is open, do nothing. The
    // settings file is checked when the main window is activated again.
    for (const char* action : { "actVersion", "actSetting" }) {
        m_dialogs.scripts.push_back([this](QDialog&) {
            m_window->windowMenu().WindowProc(WindowMenu::MENU_ID_VERSION);
            m_window->windowMenu().WindowProc(WindowMenu::MENU_ID_SETTING);
        });
        child<QAction>(*rightClick(m_window.get()), QString::fromLatin1(action))->trigger();
    }
    EXPECT_EQ(m_dialogs.shown, (QStringList { "frmAbout", "frmIniFile" }));

    ASSERT_TRUE(QFile::remove(iniPath()));
    QWidget other;
    activate(other);
    EXPECT_TRUE(m_window->isVisible()) << "only an activation checks";
    activate(*m_window);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_boxes.boxes.empty());
}

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
        // Said at once, and kept while the run gets to its next check.
        window.showProgress(RunStage::Encrypting, 300, 1000);
        EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblStage"))->text(), QStringLiteral("中止しています…"));
        EXPECT_TRUE(window.isVisible()) << "the run closes it";
    }
    frmProgress delivering(&owner);
    delivering.deliveryBegins();
    delivering.reject();
    EXPECT_FALSE(delivering.stopRequested());
}

namespace {

// Counts the progress windows shown.
class ProgressShown : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("frmProgress"))
            ++count;
        return false;
    }
    int count = 0;
};

} // namespace

// The overwrite question mid-run and the success at the end: the progress
// window is gone before each box, and back after the question.
TEST_F(MainWindowFixture, ARunShowsItsProgressWindowButNeverBehindABoxAndKeepsTheWindowOpen)
{
    m_context.clock = [] { return QDateTime(QDate(2026, 12, 6), QTime(3, 4, 5)); };
    openLoaded();
    m_window->setProgressDelay(0);
    m_dialogs.answers = {writeReport(QStringLiteral("report.xls"))};
    QTest::mouseClick(control("cmdAdd"), Qt::LeftButton);
    ASSERT_TRUE(testsupport::writeBytes(at(QStringLiteral("TMPA12320261206030405.txt")), "old"));
    m_boxes.answers = {BoxAnswer::Yes};
    ProgressShown shown;
    qApp->installEventFilter(&shown);
    std::vector<int> shownAtTheBoxes;
    bool behindABox = false, closedDuringTheRun = true;
    m_boxes.onShow = [&](BoxKind) {
        behindABox = behindABox || m_window->progressWindow() != nullptr;
        shownAtTheBoxes.push_back(shown.count);
        closedDuringTheRun = m_window->close();
    };
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    qApp->removeEventFilter(&shown);
    ASSERT_EQ(boxTexts().size(), 2);
    EXPECT_TRUE(boxTexts()[1].contains(QStringLiteral("正常に出力されました")));
    EXPECT_FALSE(behindABox);
    EXPECT_EQ(shownAtTheBoxes, (std::vector<int>{1, 2}));
    EXPECT_FALSE(closedDuringTheRun) << "the run is still on the stack";
    EXPECT_EQ(m_window->progressWindow(), nullptr);
}
