// The main window: its look, the list through drops, the dialog and the
// buttons, the activation check and what the output run sees of it.
#include "MainWindowFixture.h"

#include "common/ui/Twips.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

class MainWindow : public MainWindowFixture { };

TEST_F(MainWindow, IsAFixedWindowWithItsCaptionIconFontAndTabOrder)
{
    openLoaded();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    const qreal dpi = twips::logicalDpi(m_window.get());
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_EQ(m_window->size(), QSize(twips::toPixels(6255, dpi), twips::toPixels(5175, dpi)));
    EXPECT_FALSE(
        m_window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(m_window->windowIcon().pixmap(16, 16).size(), QSize(16, 16));
    EXPECT_EQ(control("Label3")->font().pointSize(), 9);
    EXPECT_LT(control("cmdSend")->geometry().bottom(), control("Frame1")->geometry().top());
    EXPECT_EQ(list()->selectionMode(), QAbstractItemView::ExtendedSelection);

    EXPECT_EQ(QApplication::focusWidget(), control("cmdAdd"));
    for (const char* next : { "cmdDelete", "lstFile", "cmdSend", "cmdAdd" }) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), control(next)) << next;
    }
}

TEST_F(MainWindow, AFileDroppedAnywhereOnTheWindowIsAdded)
{
    openLoaded();
    QStringList added;
    const std::vector<QWidget*> targets { control("cmdSend"), list()->viewport(), list(),
        control("Label3"), control("Label1"), control("Frame1"), control("cmdAdd"),
        control("cmdDelete"), m_window.get() };
    for (QWidget* target : targets) {
        const QString report
            = writeReport(QStringLiteral("dropped on %1.xls").arg(target->objectName()));
        EXPECT_TRUE(dropFiles(target, { report })) << target->objectName().toStdString();
        added << report;
    }
    EXPECT_EQ(entries(), added);
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(MainWindow, DroppedTextIsRefusedEverywhere)
{
    openLoaded();
    const QString report = writeReport(QStringLiteral("a.xls"));
    EXPECT_FALSE(dropText(list()->viewport(), report));
    EXPECT_FALSE(dropText(control("cmdSend"), report));
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(MainWindow, AddOpensTheFileDialogAndTakesTheChosenFile)
{
    openLoaded();
    const QString report = writeReport(QStringLiteral("report.xls"));
    m_fileOpen.answers = { report, std::nullopt, report };
    for (int click = 0; click < 3; ++click)
        QTest::mouseClick(control("cmdAdd"), Qt::LeftButton);
    EXPECT_EQ(entries(), QStringList { report });
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("既に選択されているファイルです") });
    ASSERT_EQ(m_fileOpen.owners.size(), 3u);
    EXPECT_EQ(m_fileOpen.owners.at(0), m_window.get());
}

TEST_F(MainWindow, DeleteRemovesTheEntriesSelectedWithTheMouse)
{
    openLoaded();
    QStringList reports;
    for (int i = 1; i <= 5; ++i)
        reports << writeReport(QStringLiteral("r%1.xls").arg(i));
    dropFiles(list()->viewport(), reports);
    ASSERT_EQ(entries(), reports);
    const auto clickRow = [this](int row, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers,
            list()->visualItemRect(list()->item(row)).center());
    };
    clickRow(1, Qt::NoModifier);
    clickRow(3, Qt::ControlModifier);
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    EXPECT_EQ(entries(), (QStringList { reports[0], reports[2], reports[4] }));

    // Nothing selected: nothing happens.
    list()->clearSelection();
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    EXPECT_EQ(entries().size(), 3);
}

TEST_F(MainWindow, ClickingAnEntryShowsItsWholePathAsTheTooltip)
{
    openLoaded();
    const QString wide = writeReport(QString(120, QLatin1Char('w')) + QStringLiteral(".xls"));
    const QString other = writeReport(QStringLiteral("other.xls"));
    dropFiles(list()->viewport(), { wide, other });
    ASSERT_GT(list()->fontMetrics().horizontalAdvance(wide), list()->width());
    for (const int row : { 0, 1, 0 }) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
            list()->visualItemRect(list()->item(row)).center());
        EXPECT_EQ(list()->toolTip(), entries().at(row));
        EXPECT_EQ(list()->viewport()->toolTip(), entries().at(row));
    }
}

TEST_F(MainWindow, OutputWithAnEmptyListWarnsAndLeavesNoWaitPointer)
{
    openLoaded();
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("暗号化するﾌｧｲﾙを指定してください。") });
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, OutputMarksTheListedFilesThatAreGone)
{
    openLoaded();
    const QStringList reports { writeReport(QStringLiteral("1.xls")),
        writeReport(QStringLiteral("2.xls")), writeReport(QStringLiteral("3.xls")) };
    dropFiles(list()->viewport(), reports);
    list()->item(0)->setSelected(true);
    ASSERT_TRUE(QFile::remove(reports[1]) && QFile::remove(reports[2]));
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    EXPECT_FALSE(list()->item(0)->isSelected());
    EXPECT_TRUE(list()->item(1)->isSelected());
    EXPECT_TRUE(list()->item(2)->isSelected());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(
        m_boxes.boxes.at(0).text.startsWith(QStringLiteral("存在しないﾌｧｲﾙが指定されています。")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindow, EveryActivationClosesTheWindowWithoutASettingsFile)
{
    openLoaded();
    QWidget other;
    uitest::activate(other);
    uitest::activate(*m_window);
    EXPECT_TRUE(m_window->isVisible());

    ASSERT_TRUE(QFile::remove(iniPath()));
    uitest::activate(other);
    EXPECT_TRUE(m_window->isVisible()) << "only an activation checks";
    uitest::activate(*m_window);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(m_boxes.boxes.empty());
}
