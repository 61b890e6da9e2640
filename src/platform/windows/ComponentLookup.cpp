#include "platform/ComponentLookup.h"

#include <windows.h>

#include <string>

namespace platform {

const ComponentName kCab32 { "CAB32.DLL", "cab32.dll" };
const ComponentName kCapicom { "CAPICOM.DLL", "capicom.dll" };

QString findOnSystem(const ComponentName& component)
{
    // The system folders, then PATH, as the loader searches them; never the
    // current folder, which whoever starts the program chooses (a DLL lying
    // in Downloads must not be taken for the component).
    std::wstring folders;
    wchar_t buffer[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        folders.append(buffer, n).push_back(L';');
    n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        folders.append(buffer, n).push_back(L';');
    const DWORD pathSize = ::GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (pathSize > 0) {
        std::wstring path(pathSize, L'\0');
        const DWORD written = ::GetEnvironmentVariableW(L"PATH", path.data(), pathSize);
        if (written > 0 && written < pathSize)
            folders.append(path.c_str(), written);
    }
    const std::wstring name = QString::fromLatin1(component.dllName).toStdWString();
    wchar_t found[MAX_PATH];
    wchar_t* filePart = nullptr;
    const DWORD length = ::SearchPathW(folders.c_str(), name.c_str(), nullptr, MAX_PATH, found, &filePart);
    if (length == 0 || length >= MAX_PATH)
        return QString();
    return QString::fromWCharArray(found, static_cast<int>(length));
}

} // namespace platform
