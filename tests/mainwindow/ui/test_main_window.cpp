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

// One handler for drops on the window and every control; text (which a
// file manager also offers) is refused everywhere.
TEST_F(MainWindow, AFileDroppedAnywhereOnTheWindowIsAddedButTextIsNot)
{
    openLoaded();
    QStringList added;
    for (QWidget* target : std::initializer_list<QWidget*> { control("cmdSend"), list()->viewport(), list(),
             control("Label3"), control("Label1"), control("Frame1"), control("cmdAdd"), control("cmdDelete"),
             m_window.get() }) {
        const QString report = writeReport(QStringLiteral("dropped on %1.xls").arg(target->objectName()));
        EXPECT_TRUE(uitest::dropFiles(target, { report })) << target->objectName().toStdString();
        EXPECT_FALSE(uitest::dropText(target, writeReport(QStringLiteral("text.xls"))));
        added << report;
    }
    EXPECT_EQ(entries(), added);
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(MainWindow, AddDeleteAndTheTooltipOfTheClickedEntry)
{
    openLoaded();
    const QString wide = writeReport(QString(120, QLatin1Char('w')) + QStringLiteral(".xls"));
    m_fileOpen.answers = { wide, std::nullopt, wide };
    for (int click = 0; click < 3; ++click)
        QTest::mouseClick(control("cmdAdd"), Qt::LeftButton);
    EXPECT_EQ(m_fileOpen.owners, (std::vector<QWidget*>(3, m_window.get())));
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("既に選択されているファイルです") });
    QStringList reports { wide };
    for (int i = 1; i <= 4; ++i)
        reports << writeReport(QStringLiteral("r%1.xls").arg(i));
    uitest::dropFiles(list()->viewport(), reports.mid(1));
    ASSERT_EQ(entries(), reports);

    const auto clickRow = [this](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(
            list()->viewport(), Qt::LeftButton, modifiers, list()->visualItemRect(list()->item(row)).center());
    };
    ASSERT_GT(list()->fontMetrics().horizontalAdvance(wide), list()->width());
    for (const int row : { 0, 2, 0 }) {
        clickRow(row);
        EXPECT_EQ(list()->toolTip(), reports.at(row));
        EXPECT_EQ(list()->viewport()->toolTip(), reports.at(row));
    }
    clickRow(1);
    clickRow(3, Qt::ControlModifier);
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    EXPECT_EQ(entries(), (QStringList { reports[0], reports[2], reports[4] }));
    list()->clearSelection();
    QTest::mouseClick(control("cmdDelete"), Qt::LeftButton);
    EXPECT_EQ(entries().size(), 3);
}

// The run sees the list through the window: its selection marks the files
// that are gone; the wait pointer goes when the run ends.
TEST_F(MainWindow, OutputMarksTheListedFilesThatAreGone)
{
    openLoaded();
    const QStringList reports { writeReport(QStringLiteral("1.xls")), writeReport(QStringLiteral("2.xls")),
        writeReport(QStringLiteral("3.xls")) };
    uitest::dropFiles(list()->viewport(), reports);
    list()->item(0)->setSelected(true);
    ASSERT_TRUE(QFile::remove(reports[1]) && QFile::remove(reports[2]));
    QTest::mouseClick(control("cmdSend"), Qt::LeftButton);
    EXPECT_FALSE(list()->item(0)->isSelected());
    EXPECT_TRUE(list()->item(1)->isSelected() && list()->item(2)->isSelected());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.boxes.at(0).text.startsWith(QStringLiteral("存在しないﾌｧｲﾙが指定されています。")));
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
