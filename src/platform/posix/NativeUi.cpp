#include "platform/NativeUi.h"

// This system has no message box, folder dialog or system menu of its own
// that the program uses: the windows show their Qt stand-ins.
namespace platform {
namespace {

int noBox(NativeWindow, const char16_t*, const char16_t*, unsigned)
{
    return 0;
}

MessageBoxFunction g_messageBox = &noBox;

} // namespace

bool hasNativeUi()
{
    return false;
}

int messageBox(NativeWindow owner, const QString& text, const QString& title, unsigned style)
{
    return g_messageBox(owner, reinterpret_cast<const char16_t*>(text.utf16()),
        reinterpret_cast<const char16_t*>(title.utf16()), style);
}

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function)
{
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function != nullptr ? function : &noBox;
    return previous;
}

std::optional<QString> browseForFolder(NativeWindow, const QString&, unsigned)
{
    return std::nullopt;
}

bool SystemMenu::append(NativeWindow, const std::vector<MenuEntry>&)
{
    return false;
}

std::vector<MenuEntry> SystemMenu::entries(NativeWindow)
{
    return {};
}

std::optional<quintptr> SystemMenu::commandOf(NativeWindow, const QByteArray&, const void*)
{
    return std::nullopt;
}

qintptr SystemMenu::sendCommand(NativeWindow, quintptr)
{
    return 0;
}

// Executables here carry no version resource.
std::optional<std::array<int, 4>> fileVersion(const QString&)
{
    return std::nullopt;
}

std::array<int, 4> programVersion()
{
    return { TAMBERLOX_VERSION_MAJOR, TAMBERLOX_VERSION_MINOR, 0, TAMBERLOX_VERSION_PATCH };
}

} // namespace platform
