#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

// The system's own boxes, folder dialog and window menu, where it has them
// (Windows). Where hasNativeUi() is false the windows show their Qt
// stand-ins and these services do nothing.
namespace platform {

// A window as the system knows it (an HWND on Windows): QWidget::winId().
using NativeWindow = quintptr;

bool hasNativeUi();

// The system's button ids a box returns.
inline constexpr int kBoxOk = 1;
inline constexpr int kBoxYes = 6;
inline constexpr int kBoxNo = 7;

// The system's message box, modal over owner (0 for none), with the style
// value as given (buttons, icon, default button). Returns the button pressed,
// or 0 when no box could be shown.
int messageBox(NativeWindow owner, const QString& text, const QString& title, unsigned style);

// What messageBox hands the system, replaceable so tests see each call
// without a box on the screen. Returns the one it replaced.
using MessageBoxFunction = int (*)(
    NativeWindow owner, const char16_t* text, const char16_t* title, unsigned style);
MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function);

// The shell's folder-browse flag for file-system folders only.
inline constexpr unsigned kBrowseFileSystemOnly = 1;

// The shell's folder-browse dialog over owner, rooted at the desktop.
// nullopt when the user cancelled (or no dialog could be shown); an empty
// text when the chosen item is no file-system folder.
std::optional<QString> browseForFolder(NativeWindow owner, const QString& title, unsigned flags);

// One entry of a window's system menu: a separator, or a text with its
// command id.
struct MenuEntry {
    bool separator = false;
    unsigned id = 0;
    QString text;
};

// The window's system menu: the entries added after the system's own, and
// the commands chosen from it.
class SystemMenu {
public:
    SystemMenu() = delete;

    // Appends the entries to window's system menu in order; false at the
    // first that the system refuses (the earlier ones stay).
    static bool append(NativeWindow window, const std::vector<MenuEntry>& entries);

    // The whole system menu of window, in order; empty when it has none.
    static std::vector<MenuEntry> entries(NativeWindow window);

    // The wParam of a system command sent to window, from a message as Qt
    // hands it to the window's nativeEvent; nullopt for any other message.
    // Every command reaches a window there, also one chosen from the menu that
    // Qt itself opens for Alt+Space, which no replaced window procedure sees.
    static std::optional<quintptr> commandOf(
        NativeWindow window, const QByteArray& eventType, const void* message);

    // Sends window a system command and returns the result, as choosing an
    // entry of its menu does.
    static qintptr sendCommand(NativeWindow window, quintptr wParam);
};

// The file version of the executable file at path, from its version resource,
// as major, minor, build, revision; nullopt when it has none.
std::optional<std::array<int, 4>> fileVersion(const QString& path);

// The running program's own version as major, minor, build, revision: on
// Windows read from its executable's resource, elsewhere the version it was
// built as. The resource holds major.minor.0.revision.
std::array<int, 4> programVersion();

} // namespace platform
