// The main window driven through its controls: drops, the dialog, delete,
// and what the output run sees of the list.
#include "MainWindowFixture.h"

#include <QApplication>
#include <QFile>
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
    ASSERT_EQ(entries(), reports << at(QStringLiteral("reports/chosen.xls")));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(list()->item(1)).center());
    EXPECT_EQ(list()->viewport()->toolTip(), reports[1]);
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    ASSERT_EQ(entries(), (QStringList { reports[0], reports[2], reports[3], reports[4] }));

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
