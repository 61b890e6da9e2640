#include "open/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace opener {

WorkFolder::~WorkFolder()
{
    remove();
}

bool WorkFolder::create(int parentFd, const QString& parentPath, const QString& prefix, int& error)
{
    for (int attempt = 0; attempt < 100 && m_name.isEmpty(); ++attempt) {
        const QString name = prefix
            + QStringLiteral("%1").arg(
                QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        if (::mkdirat(parentFd, QFile::encodeName(name).constData(), 0700) == 0)
            m_name = name;
        else if (errno != EEXIST)
            break;
    }
    if (m_name.isEmpty()) {
        error = errno;
        return false;
    }
    m_path = parentPath + QLatin1Char('/') + m_name;
    m_fd = ::openat(parentFd, QFile::encodeName(m_name).constData(),
        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // Locked before it gets the name a cleanup looks for.
    m_lockFd = m_fd < 0
        ? -1
        : ::openat(m_fd, "lock.new", O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX) != 0
        || ::renameat(m_fd, "lock.new", m_fd, "lock") != 0) {
        error = errno;
        remove();
        return false;
    }
    return true;
}

void WorkFolder::remove()
{
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
    for (int* fd : { &m_lockFd, &m_fd }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_path.clear();
    m_name.clear();
}

void removeAbandoned(int parentFd, const QString& parentPath, const QString& prefix)
{
    const QRegularExpression own(
        QStringLiteral("^%1[0-9a-f]{8}$").arg(QRegularExpression::escape(prefix)));
    const QStringList names = QDir(parentPath)
                                  .entryList({ prefix + QLatin1Char('*') },
                                      QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QByteArray bytes = QFile::encodeName(name);
        struct stat info { };
        if (!own.match(name).hasMatch()
            || ::fstatat(parentFd, bytes.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const int lock
            = ::openat(parentFd, (bytes + "/lock").constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (lock < 0)
            continue;
        // Held while removing, so a copy starting now skips it too.
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0)
            QDir(parentPath + QLatin1Char('/') + name).removeRecursively();
        ::close(lock);
    }
}

} // namespace opener
