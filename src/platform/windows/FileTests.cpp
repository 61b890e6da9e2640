#include "platform/FileTests.h"

#include "platform/windows/WideNames.h"

#include <windows.h>

namespace platform {
namespace {

DWORD attributes(const QString& path)
{
    if (path.isEmpty())
        return INVALID_FILE_ATTRIBUTES;
    return ::GetFileAttributesW(win::wide(path).c_str());
}

// Hidden and system entries are not the user's to choose, as Explorer does
// not show them; a relative path names nothing the user knows.
DWORD seen(const QString& path)
{
    if (!win::isAbsolute(path))
        return INVALID_FILE_ATTRIBUTES;
    const DWORD found = attributes(path);
    if (found == INVALID_FILE_ATTRIBUTES
        || (found & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return found;
}

} // namespace

bool entryExists(const QString& path)
{
    return seen(path) != INVALID_FILE_ATTRIBUTES;
}

bool fileExists(const QString& path)
{
    const DWORD found = seen(path);
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folderExists(const QString& path)
{
    const DWORD found = seen(path);
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isHidden(const QString& path)
{
    const DWORD found = attributes(path);
    return found != INVALID_FILE_ATTRIBUTES
        && (found & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

bool isReadOnly(const QString& path)
{
    const DWORD found = attributes(path);
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace platform
