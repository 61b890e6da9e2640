#include "platform/Entries.h"

#include "platform/windows/WideNames.h"

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

int removeEntry(const QString& path)
{
    const std::wstring name = win::wide(path);
    // A link to a folder is itself a folder entry here.
    const DWORD found = ::GetFileAttributesW(name.c_str());
    const bool folderLink
        = found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const BOOL ok = folderLink ? ::RemoveDirectoryW(name.c_str()) : ::DeleteFileW(name.c_str());
    return ok ? 0 : win::lastErrno();
}

int removeEmptyFolder(const QString& path)
{
    return ::RemoveDirectoryW(win::wide(path).c_str()) ? 0 : win::lastErrno();
}

} // namespace platform
