#include "platform/NativeUi.h"

#include <shlobj.h>
#include <windows.h>

#include <string>

namespace platform {
namespace {

int systemBox(NativeWindow owner, const char16_t* text, const char16_t* title, unsigned style)
{
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
        reinterpret_cast<const wchar_t*>(title), style);
}

MessageBoxFunction g_messageBox = &systemBox;

std::wstring wideText(const QString& text)
{
    return text.toStdWString();
}

} // namespace

bool hasNativeUi()
{
    return true;
}

int messageBox(NativeWindow owner, const QString& text, const QString& title, unsigned style)
{
    return g_messageBox(owner, reinterpret_cast<const char16_t*>(text.utf16()),
        reinterpret_cast<const char16_t*>(title.utf16()), style);
}

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function)
{
    const MessageBoxFunction previous = g_messageBox;
    g_messageBox = function != nullptr ? function : &systemBox;
    return previous;
}

std::optional<QString> browseForFolder(NativeWindow owner, const QString& title, unsigned flags)
{
    // The shell's dialog needs COM on this thread; Qt has usually started it.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t displayName[MAX_PATH] = {};
    const std::wstring wideTitle = wideText(title);
    BROWSEINFOW info {};
    info.hwndOwner = reinterpret_cast<HWND>(owner);
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = flags;
    info.lpfn = nullptr;
    info.lParam = 0;
    info.iImage = 0;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    std::optional<QString> result;
    if (chosen != nullptr) {
        // MAX_PATH, as the conversion writes up to that many characters.
        wchar_t path[MAX_PATH] = {};
        result = ::SHGetPathFromIDListW(chosen, path) ? QString::fromWCharArray(path) : QString();
        ::CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return result;
}

bool SystemMenu::append(NativeWindow window, const std::vector<MenuEntry>& entries)
{
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(window), FALSE);
    if (menu == nullptr)
        return false;
    for (const MenuEntry& entry : entries) {
        const std::wstring text = wideText(entry.text);
        const BOOL added = entry.separator
            ? ::AppendMenuW(menu, MF_SEPARATOR, entry.id, nullptr)
            : ::AppendMenuW(menu, MF_STRING, entry.id, text.c_str());
        if (!added)
            return false;
    }
    return true;
}

std::vector<MenuEntry> SystemMenu::entries(NativeWindow window)
{
    std::vector<MenuEntry> result;
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(window), FALSE);
    if (menu == nullptr)
        return result;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW item {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item))
            continue;
        MenuEntry entry;
        entry.separator = (item.fType & MFT_SEPARATOR) != 0;
        entry.id = item.wID;
        if (!entry.separator && item.cch > 0) {
            std::wstring text(item.cch + 1, L'\0');
            item.dwTypeData = text.data();
            item.cch += 1;
            if (::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item))
                entry.text = QString::fromWCharArray(text.c_str());
        }
        result.push_back(entry);
    }
    return result;
}

std::optional<quintptr> SystemMenu::commandOf(
    NativeWindow window, const QByteArray& eventType, const void* message)
{
    if (message == nullptr || eventType != "windows_generic_MSG")
        return std::nullopt;
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_SYSCOMMAND || msg->hwnd != reinterpret_cast<HWND>(window))
        return std::nullopt;
    return static_cast<quintptr>(msg->wParam);
}

qintptr SystemMenu::sendCommand(NativeWindow window, quintptr wParam)
{
    return static_cast<qintptr>(
        ::SendMessageW(reinterpret_cast<HWND>(window), WM_SYSCOMMAND, wParam, 0));
}

std::optional<std::array<int, 4>> fileVersion(const QString& path)
{
    const std::wstring name = wideText(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(name.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(name.c_str(), 0, size, data.data())
        || !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length)
        || info == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return std::array<int, 4> { static_cast<int>(HIWORD(info->dwFileVersionMS)),
        static_cast<int>(LOWORD(info->dwFileVersionMS)),
        static_cast<int>(HIWORD(info->dwFileVersionLS)),
        static_cast<int>(LOWORD(info->dwFileVersionLS)) };
}

std::array<int, 4> programVersion()
{
    wchar_t buffer[32768];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer))
        if (const auto version = fileVersion(QString::fromWCharArray(buffer, static_cast<int>(n))))
            return *version;
    return { TAMBERLOX_VERSION_MAJOR, TAMBERLOX_VERSION_MINOR, 0, TAMBERLOX_VERSION_PATCH };
}

} // namespace platform
