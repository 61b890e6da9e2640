#include "open/Placement.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace opener {
namespace {

const QString kWriteJa = QStringLiteral("書き込めません");
const QString kWriteEn = QStringLiteral("cannot write");

QByteArray bytes(const QString& path)
{
    return QFile::encodeName(path);
}

// Without replacing whatever appeared meanwhile; link + unlink where the
// file system has no RENAME_NOREPLACE.
int renameNoReplace(int dirFd, const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(dirFd, from.constData(), dirFd, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::linkat(dirFd, from.constData(), dirFd, to.constData(), 0) != 0)
        return -1;
    ::unlinkat(dirFd, from.constData(), 0);
    return 0;
}

} // namespace

QString fdPath(int fd)
{
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

Placement::Placement(QString target, unsigned userMask)
    : m_target(std::move(target))
    , m_absolute(QDir::cleanPath(QDir().absoluteFilePath(m_target)))
    , m_userMask(userMask)
{
}

// A folder made here is private until it gets the user's mode; made tells
// whether this call made it.
bool Placement::makeFolder(int atFd, const QByteArray& path, bool& made, int& error) const
{
    made = ::mkdirat(atFd, path.constData(), 0700) == 0;
    if (made && ::fchmodat(atFd, path.constData(), 0777 & ~m_userMask, 0) != 0) {
        error = errno;
        ::unlinkat(atFd, path.constData(), AT_REMOVEDIR);
        return false;
    }
    error = made ? 0 : errno;
    return made || error == EEXIST;
}

Placement::~Placement()
{
    if (!m_committed)
        undo();
    removeStaging();
    if (m_targetFd >= 0)
        ::close(m_targetFd);
    if (!m_committed) {
        for (auto it = m_madeTargets.crbegin(); it != m_madeTargets.crend(); ++it)
            ::rmdir(bytes(*it).constData());
    }
}

bool Placement::makeTarget(Failure& failure)
{
    // Each missing folder on the way is made and remembered, so a failed run
    // removes exactly those.
    const QStringList parts = m_absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        bool made = false;
        int error = 0;
        if (!makeFolder(AT_FDCWD, bytes(path), made, error))
            return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
        if (made)
            m_madeTargets << path;
    }
    m_targetFd = ::open(bytes(m_absolute).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_targetFd < 0)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
    return true;
}

bool Placement::prepare(Failure& failure)
{
    if (!makeTarget(failure))
        return false;
    const QString prefix = QStringLiteral(".tamberlox-open-");
    removeAbandoned(m_targetFd, m_absolute, prefix);
    int error = 0;
    if (!m_work.create(m_targetFd, m_absolute, prefix, error))
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, error));
    if (::mkdirat(m_work.fd(), "files", 0700) != 0)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
    m_staged = m_work.name() + QStringLiteral("/files");
    m_stagedFd = ::openat(m_work.fd(), "files", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_stagedFd < 0)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
    return true;
}

QString Placement::stagingForComponent() const
{
    return fdPath(m_stagedFd);
}

QString Placement::finalPath(const QString& name) const
{
    return platform::joinPath(m_target, name);
}

bool Placement::release(const QString& name, bool ownerOnly, Failure& failure)
{
    struct stat info { };
    const QByteArray path = bytes(name);
    if (::fstatat(m_stagedFd, path.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        const unsigned mode
            = ownerOnly ? 0600 : (info.st_mode & S_IWUSR ? 0666 : 0444) & ~m_userMask;
        if (::fchmodat(m_stagedFd, path.constData(), mode, 0) == 0)
            return true;
    }
    failure = systemFailure(kWriteJa, kWriteEn, finalPath(name), errno);
    return false;
}

bool Placement::makeFolders(const QString& name, Failure& failure)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    QString folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += (i > 0 ? QStringLiteral("/") : QString()) + parts[i];
        const QByteArray path = bytes(folder);
        bool made = false;
        int error = 0;
        if (makeFolder(m_targetFd, path, made, error) && made) {
            m_madeFolders << folder;
            continue;
        }
        struct stat info { };
        // A link here could lead the file out of the target.
        if (error != EEXIST
            || ::fstatat(m_targetFd, path.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(info.st_mode))
            return fail(failure,
                systemFailure(
                    kWriteJa, kWriteEn, finalPath(folder), error == EEXIST ? ENOTDIR : error));
    }
    return true;
}

bool Placement::checkFinal(const QString& name, bool force, Failure& failure) const
{
    struct stat info { };
    if (::fstatat(m_targetFd, bytes(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return true;
    if (S_ISDIR(info.st_mode))
        return fail(failure, systemFailure(kWriteJa, kWriteEn, finalPath(name), EISDIR));
    if (force)
        return true;
    failure = ioFailure(QStringLiteral("既にあります（置き換えるには --force）"),
        QStringLiteral("already exists (--force replaces it)"), finalPath(name), QString());
    return false;
}

bool Placement::moveOne(const QString& name, bool force, Failure& failure)
{
    const QByteArray from = bytes(m_staged + QLatin1Char('/') + name);
    const QByteArray to = bytes(name);
    if (renameNoReplace(m_targetFd, from, to) == 0) {
        m_moved.push_back({ name, false });
        return true;
    }
    int error = errno;
    if (error == EEXIST && force) {
        if (!checkFinal(name, true, failure))
            return false;
        if (::renameat2(m_targetFd, from.constData(), m_targetFd, to.constData(), RENAME_EXCHANGE)
            == 0) {
            m_moved.push_back({ name, true });
            return true;
        }
        // No exchange on this file system: a plain replace, which cannot be undone.
        if ((errno == EINVAL || errno == ENOSYS)
            && ::renameat(m_targetFd, from.constData(), m_targetFd, to.constData()) == 0)
            return true;
        error = errno;
    }
    if (error == EEXIST && !checkFinal(name, false, failure))
        return false;
    failure = systemFailure(kWriteJa, kWriteEn, finalPath(name), error);
    return false;
}

bool Placement::place(const QStringList& names, bool force, Failure& failure)
{
    for (const QString& name : names) {
        if (!checkFinal(name, force, failure))
            return false;
    }
    for (const QString& name : names) {
        if (!makeFolders(name, failure) || !moveOne(name, force, failure))
            return false;
    }
    return true;
}

void Placement::commit()
{
    m_committed = true;
}

void Placement::undo()
{
    for (auto it = m_moved.crbegin(); it != m_moved.crend(); ++it) {
        const QByteArray placed = bytes(it->name);
        if (it->exchanged)
            ::renameat2(m_targetFd, bytes(m_staged + QLatin1Char('/') + it->name).constData(),
                m_targetFd, placed.constData(), RENAME_EXCHANGE);
        else
            ::unlinkat(m_targetFd, placed.constData(), 0);
    }
    m_moved.clear();
    for (auto it = m_madeFolders.crbegin(); it != m_madeFolders.crend(); ++it)
        ::unlinkat(m_targetFd, bytes(*it).constData(), AT_REMOVEDIR);
    m_madeFolders.clear();
}

void Placement::removeStaging()
{
    if (m_stagedFd >= 0)
        ::close(m_stagedFd);
    m_stagedFd = -1;
    m_work.remove();
}

} // namespace opener
