// The window menu: how it opens, its entries, the two modal windows with the
// re-entry guard, and its removal when the window closes.
#include "MainWindowFixture.h"

#include "mainwindow/ui/WindowMenu.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>

class WindowMenuTest : public MainWindowFixture {
protected:
    QStringList menuTexts() const
    {
        QStringList texts;
        for (const QAction* action : windowMenu()->actions())
            texts << (action->isSeparator() ? QStringLiteral("----") : action->text());
        return texts;
    }
    bool menuOpen() const { return windowMenu() != nullptr && windowMenu()->isVisible(); }
};

// Alt+Space rarely reaches the program (window managers take it), so a
// right click on the background and the Menu key open it too.
TEST_F(WindowMenuTest, OpensOnTheBackgroundAndByKeysButNotFromAControlsClick)
{
    openLoaded();
    for (QWidget* background : std::initializer_list<QWidget*> { m_window.get(), control("Frame1"),
             control("Label3"), control("Label1") }) {
        rightClick(background);
        EXPECT_TRUE(menuOpen()) << background->objectName().toStdString();
        windowMenu()->hide();
    }
    EXPECT_EQ(menuTexts(),
        (QStringList { QStringLiteral("閉じる(&C)\tAlt+F4"), QStringLiteral("----"),
            QStringLiteral("バージョン情報"), QStringLiteral("設定") }));
    // Clicks on the list land on its viewport.
    for (QWidget* target : { control("cmdSend"), control("cmdAdd"), list()->viewport() }) {
        rightClick(target);
        EXPECT_FALSE(menuOpen()) << target->objectName().toStdString();
    }
    control("cmdSend")->setFocus();
    QTest::keyClick(control("cmdSend"), Qt::Key_Space, Qt::AltModifier);
    EXPECT_TRUE(menuOpen());
    EXPECT_TRUE(m_boxes.boxes.empty()) << "the output button was pressed";
    windowMenu()->hide();
    QTest::keyClick(list(), Qt::Key_Menu);
    EXPECT_TRUE(menuOpen());
}

TEST_F(WindowMenuTest, VersionOpensTheVersionWindowOnceWhileItIsOpen)
{
    openLoaded();
    QString version;
    m_modal.scripts.push_back([&](QDialog& about) {
        version = uitest::child<QLabel>(about, QStringLiteral("lblVersion"))->text();
        // The same command, and the other one, while the window is open.
        m_window->windowMenu().WindowProc(WindowMenu::MENU_ID_VERSION);
        m_window->windowMenu().WindowProc(WindowMenu::MENU_ID_SETTING);
    });
    rightClick(m_window.get());
    choose("actVersion");
    EXPECT_FALSE(menuOpen());
    EXPECT_EQ(m_modal.shown, QStringList { QStringLiteral("frmAbout") });
    EXPECT_EQ(version, QStringLiteral(" 1. 1 0"));
    // Once it has closed, the command works again.
    m_window->windowMenu().WindowProc(WindowMenu::MENU_ID_VERSION);
    EXPECT_EQ(m_modal.shown.size(), 2);
}

TEST_F(WindowMenuTest, SettingsOpensTheSettingsWindowModallyAndTheFileIsCheckedAfter)
{
    openLoaded();
    bool modal = false;
    m_modal.scripts.push_back([&](QDialog& settings) {
        modal = settings.isModal() && settings.parentWidget() == m_window.get();
        QFile::remove(iniPath());
    });
    rightClick(control("Frame1"));
    choose("actSetting");
    EXPECT_EQ(m_modal.shown, QStringList { QStringLiteral("frmIniFile") });
    EXPECT_TRUE(modal);
    EXPECT_TRUE(m_window->isVisible());
    // Closing it reactivates the main window, which finds no settings file.
    uitest::activate(*m_window);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(WindowMenuTest, InstalledAtLoadPassingOtherCommandsOnAndRemovedAtUnload)
{
    writeValidSettings();
    create();
    rightClick(m_window.get());
    EXPECT_FALSE(menuOpen()) << "before the load";
    ASSERT_TRUE(m_window->Form_Load());
    uitest::activate(*m_window);
    EXPECT_TRUE(m_window->windowMenu().isInstalled());
    m_window->windowMenu().WindowProc(0xF010); // move: nothing of ours
    EXPECT_TRUE(m_modal.shown.isEmpty());
    EXPECT_TRUE(m_window->isVisible());

    rightClick(m_window.get());
    choose("actClose");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->windowMenu().isInstalled());
    rightClick(m_window.get());
    EXPECT_FALSE(menuOpen());
    EXPECT_TRUE(m_modal.shown.isEmpty());
}
