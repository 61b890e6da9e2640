#include "open/Placement.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

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

Placement::Placement(QString target)
    : m_target(std::move(target))
    , m_absolute(QDir::cleanPath(QDir().absoluteFilePath(m_target)))
{
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
        if (::mkdir(bytes(path).constData(), 0777) == 0)
            m_madeTargets << path;
        else if (errno != EEXIST)
            return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
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
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name
            = QStringLiteral(".tamberlox-open-%1")
                  .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        if (::mkdirat(m_targetFd, bytes(name).constData(), 0700) == 0) {
            m_hidden = name;
            break;
        }
        if (errno != EEXIST)
            return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
    }
    if (m_hidden.isEmpty())
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, EEXIST));
    m_hiddenFd = ::openat(
        m_targetFd, bytes(m_hidden).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_hiddenFd < 0)
        return fail(failure, systemFailure(kWriteJa, kWriteEn, m_target, errno));
    return true;
}

QString Placement::stagingForComponent() const
{
    return fdPath(m_hiddenFd);
}

QString Placement::stagingPath() const
{
    return platform::joinPath(m_absolute, m_hidden);
}

QString Placement::finalPath(const QString& name) const
{
    return platform::joinPath(m_target, name);
}

bool Placement::setMode(const QString& name, unsigned mode, Failure& failure)
{
    if (::fchmodat(m_hiddenFd, bytes(name).constData(), mode, 0) == 0)
        return true;
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
        if (::mkdirat(m_targetFd, path.constData(), 0777) == 0) {
            m_madeFolders << folder;
            continue;
        }
        struct stat info { };
        // A link here could lead the file out of the target.
        const int error = errno;
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
    const QByteArray from = bytes(m_hidden + QLatin1Char('/') + name);
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
            ::renameat2(m_targetFd, bytes(m_hidden + QLatin1Char('/') + it->name).constData(),
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
    if (m_hiddenFd >= 0)
        ::close(m_hiddenFd);
    m_hiddenFd = -1;
    if (!m_hidden.isEmpty())
        QDir(stagingPath()).removeRecursively();
    m_hidden.clear();
}

} // namespace opener
