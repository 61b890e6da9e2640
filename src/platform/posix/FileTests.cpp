#include "platform/FileTests.h"

#include <QFile>
#include <sys/stat.h>

namespace platform {
namespace {

bool isHiddenName(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    const QString name = trimmed.mid(slash + 1);
    return name.startsWith(QLatin1Char('.'));
}

bool statPath(const QString& path, struct stat& info)
{
    if (path.isEmpty())
        return false;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// A relative path names nothing: the program has no working folder the user
// knows of, and whatever it found there would be somebody else's.
bool seen(const QString& path, struct stat& info)
{
    return path.startsWith(QLatin1Char('/')) && !isHiddenName(path) && statPath(path, info);
}

} // namespace

bool entryExists(const QString& path)
{
    struct stat info {};
    return seen(path, info);
}

bool fileExists(const QString& path)
{
    struct stat info {};
    return seen(path, info) && S_ISREG(info.st_mode);
}

bool folderExists(const QString& path)
{
    struct stat info {};
    return seen(path, info) && S_ISDIR(info.st_mode);
}

bool isHidden(const QString& path)
{
    return isHiddenName(path);
}

bool isReadOnly(const QString& path)
{
    struct stat info {};
    if (!statPath(path, info))
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

} // namespace platform
