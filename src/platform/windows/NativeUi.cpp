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

// Where the replacement procedure finds the SystemMenu of its window.
constexpr wchar_t kSystemMenuProperty[] = L"Tamberlox.SystemMenu";

std::wstring wideText(const QString& text)
{
    return text.toStdWString();
}

} // namespace

// The replacement window procedure, with access to the SystemMenu it serves.
struct SystemMenuAccess {
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* menu = static_cast<SystemMenu*>(::GetPropW(window, kSystemMenuProperty));
        if (menu == nullptr)
            return ::DefWindowProcW(window, message, wParam, lParam);
        // Copies: the handler may put the old procedure back, or close the
        // window, before the message is passed on.
        const auto previous = reinterpret_cast<WNDPROC>(menu->m_previous);
        if (message == WM_SYSCOMMAND && menu->m_handler) {
            const SystemMenu::Handler handler = menu->m_handler;
            handler(static_cast<quintptr>(wParam));
        } else if (message == WM_NCDESTROY) {
            // The window's last message: nothing is left to restore after it.
            menu->remove();
        }
        return ::CallWindowProcW(previous, window, message, wParam, lParam);
    }
};

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

SystemMenu::~SystemMenu()
{
    remove();
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

bool SystemMenu::install(NativeWindow window, Handler handler)
{
    auto* hwnd = reinterpret_cast<HWND>(window);
    if (m_window != 0 || !::IsWindow(hwnd) || ::GetPropW(hwnd, kSystemMenuProperty) != nullptr)
        return false;
    const LONG_PTR previous = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    if (previous == 0 || !::SetPropW(hwnd, kSystemMenuProperty, this))
        return false;
    m_previous = static_cast<quintptr>(previous);
    m_handler = std::move(handler);
    m_window = window;
    ::SetLastError(0);
    if (::SetWindowLongPtrW(hwnd, GWLP_WNDPROC,
            reinterpret_cast<LONG_PTR>(&SystemMenuAccess::WindowProc))
            == 0
        && ::GetLastError() != 0) {
        ::RemovePropW(hwnd, kSystemMenuProperty);
        m_window = 0;
        m_handler = nullptr;
        return false;
    }
    return true;
}

void SystemMenu::remove()
{
    if (m_window == 0)
        return;
    auto* hwnd = reinterpret_cast<HWND>(m_window);
    // Only our own procedure is taken out; one installed over it stays.
    if (::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)
        == reinterpret_cast<LONG_PTR>(&SystemMenuAccess::WindowProc))
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, static_cast<LONG_PTR>(m_previous));
    ::RemovePropW(hwnd, kSystemMenuProperty);
    m_window = 0;
    m_handler = nullptr;
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
