// The window menu: how it opens, and its two modal windows with the re-entry
// guard.
#include "MainWindowFixture.h"

#include "mainwindow/ui/WindowMenu.h"

#include <QFile>
#include <QTest>

// Alt+Space rarely reaches the program (window managers take it), so a right
// click on the background and the Menu key open it too.
TEST_F(MainWindowFixture, WindowMenuOpensOnTheBackgroundOrByTheMenuKeyButNotOnAControl)
{
    openLoaded();
    for (QWidget* target : { control("cmdSend"), list()->viewport() })
        EXPECT_EQ(rightClick(target), nullptr) << target->objectName().toStdString();
    QMenu* menu = rightClick(control("Frame1"));
    ASSERT_NE(menu, nullptr);
    menu->hide();
    QTest::keyClick(list(), Qt::Key_Menu);
    EXPECT_TRUE(menu->isVisible());
}

// Both commands, given again while either window is open, do nothing. The
// settings file is checked when the main window is activated again.
TEST_F(MainWindowFixture, WindowMenuEachEntryOpensItsWindowOnceAndAnActivationChecksTheFile)
{
    openLoaded();
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
