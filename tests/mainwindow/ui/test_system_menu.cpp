// The main window on the system's own windows: its two entries in the real
// system menu, their commands however the menu was opened, once each, with
// the re-entry guard, and the system's own handling of everything else.
#include "MainWindowFixture.h"

#include "mainwindow/ui/WindowMenu.h"

#include <QGuiApplication>

#include <windows.h>

#include <algorithm>
#include <initializer_list>

namespace {

// Alt+Space as the keyboard sends it, then keys for the menu it opens. Qt
// opens that menu itself and tracks it in a loop of its own, which takes the
// keys from the queue. Should the menu ignore them, it is closed after a
// while, so a fault fails the test rather than hanging it.
void pressAltSpaceThen(HWND window, std::initializer_list<WPARAM> keys)
{
    BYTE saved[256] = {};
    ::GetKeyboardState(saved);
    BYTE alt[256];
    std::copy(std::begin(saved), std::end(saved), alt);
    alt[VK_MENU] = alt[VK_LMENU] = 0x80;
    ::SetKeyboardState(alt);
    // Context code (Alt held) and the space bar's scan code.
    ::PostMessageW(window, WM_SYSKEYDOWN, VK_SPACE, 0x20390001);
    for (const WPARAM key : keys)
        ::PostMessageW(window, WM_KEYDOWN, key, 1);
    const UINT_PTR failsafe = ::SetTimer(nullptr, 0, 20000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    QCoreApplication::processEvents();
    ::KillTimer(nullptr, failsafe);
    ::SetKeyboardState(saved);
}

using platform::MenuEntry;
using platform::SystemMenu;

class SystemMenuWindow : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("windows"));
    }
    platform::NativeWindow id() const { return m_window->winId(); }
    qintptr command(quintptr wParam) const { return SystemMenu::sendCommand(id(), wParam); }
};

TEST_F(SystemMenuWindow, TheTwoEntriesFollowASeparatorAtTheEndOfTheRealSystemMenu)
{
    openLoaded();
    ASSERT_TRUE(m_window->windowMenu().isSystemMenu());
    ASSERT_TRUE(m_window->windowMenu().isInstalled());

    const std::vector<MenuEntry> entries = SystemMenu::entries(id());
    ASSERT_GE(entries.size(), 4u);
    const MenuEntry* last = &entries[entries.size() - 3];
    EXPECT_TRUE(last[0].separator);
    EXPECT_FALSE(last[1].separator);
    EXPECT_EQ(last[1].id, 256u);
    EXPECT_EQ(last[1].text, QStringLiteral("バージョン情報"));
    EXPECT_FALSE(last[2].separator);
    EXPECT_EQ(last[2].id, 257u);
    EXPECT_EQ(last[2].text, QStringLiteral("設定"));

    // The stand-in stays out of the way: no right-click menu of its own.
    EXPECT_EQ(rightClick(control("Frame1")), nullptr);
}

TEST_F(SystemMenuWindow, EachCommandOpensItsWindowOnceWhileEitherIsOpen)
{
    openLoaded();
    for (const quintptr wParam : { 256u, 257u }) {
        m_dialogs.scripts.push_back([this](QDialog&) {
            command(256);
            command(257);
        });
        command(wParam);
    }
    EXPECT_EQ(m_dialogs.shown, (QStringList { "frmAbout", "frmIniFile" }));
    EXPECT_TRUE(m_dialogs.scripts.empty());
    EXPECT_TRUE(m_boxes.boxes.empty());
}

// Qt's own menu for Alt+Space hands the chosen command to Qt's window
// procedure directly; a click on the window icon posts it. Each opens its
// window once.
TEST_F(SystemMenuWindow, AltSpaceMenuEntriesOpenTheirWindows)
{
    openLoaded();
    const auto window = reinterpret_cast<HWND>(id());
    pressAltSpaceThen(window, { VK_END, VK_RETURN });
    EXPECT_EQ(m_dialogs.shown, (QStringList { "frmIniFile" }));
    pressAltSpaceThen(window, { VK_END, VK_UP, VK_RETURN });
    EXPECT_EQ(m_dialogs.shown, (QStringList { "frmIniFile", "frmAbout" }));

    // Closed without a choice: nothing opens, the window stays.
    pressAltSpaceThen(window, { VK_END, VK_ESCAPE });
    EXPECT_EQ(m_dialogs.shown.size(), 2);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SystemMenuWindow, PostedCommandOpensItsWindowOnce)
{
    openLoaded();
    ::PostMessageW(reinterpret_cast<HWND>(id()), WM_SYSCOMMAND, 256, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_dialogs.shown, (QStringList { "frmAbout" }));
}

TEST_F(SystemMenuWindow, OnlyTheWholeIdCountsAndOtherCommandsReachTheSystem)
{
    openLoaded();
    // Bits beside the id make another command.
    command(0x10000 | 256);
    command(256 | 0x4);
    EXPECT_TRUE(m_dialogs.shown.isEmpty());

    // The system's own close goes through to the window.
    command(SC_CLOSE);
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->windowMenu().isInstalled());
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
}

TEST_F(SystemMenuWindow, AfterTheWindowClosedTheCommandsOpenNothing)
{
    openLoaded();
    m_window->close();
    ASSERT_FALSE(m_window->windowMenu().isInstalled());
    command(256);
    command(257);
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
}

} // namespace
