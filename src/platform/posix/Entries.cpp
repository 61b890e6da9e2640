#include "platform/Entries.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool lstatPath(const QString& path, struct stat& info)
{
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

EntryKind entryKind(const QString& path)
{
    struct stat info { };
    if (!lstatPath(path, info))
        return EntryKind::Missing;
    if (S_ISLNK(info.st_mode))
        return EntryKind::Link;
    if (S_ISDIR(info.st_mode))
        return EntryKind::Folder;
    return S_ISREG(info.st_mode) ? EntryKind::File : EntryKind::Other;
}

bool isOwnEntry(const QString& path)
{
    struct stat info { };
    return lstatPath(path, info) && !S_ISLNK(info.st_mode) && info.st_uid == ::getuid();
}

int removeEntry(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

int removeEmptyFolder(const QString& path)
{
    return ::rmdir(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

} // namespace platform
