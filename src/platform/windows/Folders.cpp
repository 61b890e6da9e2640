#include "platform/Folders.h"

#include "platform/windows/WideNames.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <shlobj.h>
#include <windows.h>

namespace platform {
namespace {

QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 3 && (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))))
        path.chop(1);
    return path;
}

} // namespace

QString programFolder()
{
    wchar_t buffer[32768];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer))
        return QString();
    const QString exe
        = QDir::toNativeSeparators(QString::fromWCharArray(buffer, static_cast<int>(n)));
    return withoutTrailingSeparator(exe.left(exe.lastIndexOf(QLatin1Char('\\')) + 1));
}

QString documentsFolder()
{
    wchar_t buffer[MAX_PATH];
    // CSIDL 5, "My Documents", as the user's shell names it.
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return withoutTrailingSeparator(win::fromWide(buffer));
    return withoutTrailingSeparator(QDir::toNativeSeparators(QDir::homePath()));
}

QChar pathSeparator()
{
    return QLatin1Char('\\');
}

bool isPathSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

QString joinPath(const QString& folder, const QString& name)
{
    if (!folder.isEmpty() && isPathSeparator(folder.back()))
        return folder + name;
    return folder + QLatin1Char('\\') + name;
}

bool nameTaken(const QString& path)
{
    return !path.isEmpty()
        && ::GetFileAttributesW(win::wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The mode has no meaning here: a new folder takes the ACL of the folder it
// is made in, the user's own under the profile.
int makeFolder(const QString& path, int /*mode*/)
{
    if (!win::isAbsolute(path))
        return ENOENT;
    return ::CreateDirectoryW(win::wide(path).c_str(), nullptr) ? 0 : win::lastErrno();
}

int makeOrUseOwnFolder(const QString& path, int mode)
{
    const int rc = makeFolder(path, mode);
    if (rc != EEXIST)
        return rc;
    // A junction or link planted under the name is not ours to use.
    const DWORD found = ::GetFileAttributesW(win::wide(path).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return win::lastErrno();
    const bool plainFolder
        = (found & FILE_ATTRIBUTE_DIRECTORY) != 0 && (found & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    return plainFolder ? 0 : EEXIST;
}

} // namespace platform
