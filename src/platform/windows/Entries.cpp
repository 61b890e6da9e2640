#include "platform/Entries.h"

#include "platform/windows/WideNames.h"

#include <cerrno>
#include <windows.h>

namespace platform {

EntryKind entryKind(const QString& path)
{
    if (path.isEmpty())
        return EntryKind::Missing;
    const DWORD found = ::GetFileAttributesW(win::wide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return EntryKind::Missing;
    if ((found & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return EntryKind::Link;
    return (found & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder : EntryKind::File;
}

bool isOwnEntry(const QString& path)
{
    const EntryKind kind = entryKind(path);
    return kind == EntryKind::File || kind == EntryKind::Folder;
}

namespace {

// A link is removed through a handle on the link itself. Where the handle
// turns out to hold what the link points to (Wine opens a Linux link only
// through it, and its RemoveDirectory would remove an empty target), the
// link is refused and everything stays.
int removeLink(const std::wstring& name)
{
    const HANDLE link = ::CreateFileW(name.c_str(), DELETE | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (link == INVALID_HANDLE_VALUE)
        return win::lastErrno();
    BY_HANDLE_FILE_INFORMATION info {};
    int rc = ::GetFileInformationByHandle(link, &info) ? 0 : win::lastErrno();
    if (rc == 0 && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        rc = ELOOP;
    FILE_DISPOSITION_INFO dispose { TRUE };
    if (rc == 0 && !::SetFileInformationByHandle(link, FileDispositionInfo, &dispose, sizeof dispose))
        rc = win::lastErrno();
    ::CloseHandle(link);
    return rc;
}

} // namespace

int removeEntry(const QString& path)
{
    const std::wstring name = win::wide(path);
    const DWORD found = ::GetFileAttributesW(name.c_str());
    if (found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return removeLink(name);
    const bool folder = found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const BOOL ok = folder ? ::RemoveDirectoryW(name.c_str()) : ::DeleteFileW(name.c_str());
    return ok ? 0 : win::lastErrno();
}

int removeEmptyFolder(const QString& path)
{
    return ::RemoveDirectoryW(win::wide(path).c_str()) ? 0 : win::lastErrno();
}

} // namespace platform
