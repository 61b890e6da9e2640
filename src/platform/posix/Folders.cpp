#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString programFolder()
{
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    const QString target = exe.canonicalFilePath();
    if (target.isEmpty())
        return QString();
    return withoutTrailingSlash(QFileInfo(target).absolutePath());
}

QString documentsFolder()
{
    const QString documents =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // On a fresh account the documents folder is often not there at all.
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return withoutTrailingSlash(documents);
    return withoutTrailingSlash(QDir::homePath());
}

QChar pathSeparator()
{
    return QLatin1Char('/');
}

bool isPathSeparator(QChar c)
{
    return c == QLatin1Char('/');
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool nameTaken(const QString& path)
{
    struct stat info {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

int makeFolder(const QString& path, int mode)
{
    if (!path.startsWith(QLatin1Char('/')))
        return ENOENT;
    // mkdir never follows a link in the last step: a planted one gives EEXIST.
    return ::mkdir(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)) == 0 ? 0 : errno;
}

int makeOrUseOwnFolder(const QString& path, int mode)
{
    const int rc = makeFolder(path, mode);
    if (rc != EEXIST)
        return rc;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() ? 0 : EEXIST;
}

} // namespace platform
