#pragma once

#include "platform/NativeUi.h"

#include <QObject>
#include <functional>

class QByteArray;
class QMenu;
class QPoint;
class QKeySequence;
class QShortcut;
class QWidget;

// The main window's system menu with "バージョン情報" and "設定" after a
// separator. Where the windows are the system's own (Windows), the entries go
// into the window's real system menu and its commands are caught as the
// window's native events: every command arrives there, also one chosen from
// the menu Qt opens itself for Alt+Space, which Qt hands to its own window
// procedure directly, past any replaced one. Elsewhere a window menu stands
// in for it: the usual close entry, a separator and the two entries, opened
// by a right click on the window's background, the Menu key and Alt+Space
// (when the window manager lets it through), with an event filter playing
// the replaced procedure. Either way WindowProc handles the two added
// commands, guarded against re-entry through the modal windows they open,
// and passes every command on.
class WindowMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int MENU_ID_VERSION = 256;
    static constexpr int MENU_ID_SETTING = 257;
    // The standard close command.
    static constexpr int SC_CLOSE = 0xF060;

    // Shows the window of a command modally and returns when it has closed.
    using CommandHandler = std::function<void(int wParam)>;

    // The menu belongs to window; handler opens the two added windows.
    // systemMenu: the system's own menu rather than the stand-in.
    WindowMenu(QWidget& window, CommandHandler handler, bool systemMenu);

    // Installation at load and removal at unload; the menu opens only while
    // installed. False when an entry cannot be added to the system menu: the
    // program cannot start then.
    bool install();
    void remove();
    bool isInstalled() const { return m_installed; }
    bool isSystemMenu() const { return m_useSystemMenu; }

    // The stand-in.
    QMenu* menu() const { return m_menu; }
    void popup(const QPoint& globalPos);

    // A system command: 256 and 257 open their window unless a command is
    // being handled; then the standard handling (close for SC_CLOSE).
    void WindowProc(quintptr wParam);

    // The window's native event, as its nativeEvent gets it: a system command
    // is handled as WindowProc handles it, and every message goes on to the
    // system's own handling.
    void nativeEvent(const QByteArray& eventType, const void* message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addCommand(const QString& name, const QString& text, int wParam);
    QShortcut* newShortcut(const QKeySequence& keys);
    void popupAtWindow();
    bool isBackground(const QPoint& windowPos) const;
    void handleCommand(quintptr wParam);
    void CallWindowProc(quintptr wParam);

    QWidget& m_window;
    CommandHandler m_handler;
    QMenu* m_menu = nullptr;
    QShortcut* m_altSpace = nullptr;
    QShortcut* m_menuKey = nullptr;
    bool m_useSystemMenu = false;
    bool m_installed = false;
    bool m_blnInSysCommand = false;
};
