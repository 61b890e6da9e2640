#include "platform/OpenSupport.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

int fdOf(const Handle& folder)
{
    return folder.isOpen() ? static_cast<int>(folder.value()) : AT_FDCWD;
}

QByteArray bytes(const QString& name)
{
    return QFile::encodeName(name);
}

QString joined(const Handle& folder, const QString& name)
{
    return folder.isOpen() ? folder.path() + QLatin1Char('/') + name : name;
}

Handle adopt(int fd, const QString& path, int& error)
{
    error = fd < 0 ? errno : 0;
    return fd < 0 ? Handle() : Handle(fd, path);
}

volatile std::sig_atomic_t g_caught = 0;
constexpr int kSignals[] = { SIGINT, SIGTERM, SIGHUP };
struct sigaction g_previous[3];

void note(int signal)
{
    g_caught = signal;
}

} // namespace

QString Handle::componentPath() const
{
    return QStringLiteral("/proc/self/fd/%1").arg(m_value);
}

void Handle::close()
{
    if (m_value >= 0)
        ::close(static_cast<int>(m_value));
    m_value = -1;
}

Handle openInput(const QString& path, int& error)
{
    Handle file
        = adopt(::open(bytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK), path, error);
    if (!file.isOpen())
        return file;
    struct stat info { };
    error = ::fstat(static_cast<int>(file.value()), &info) != 0 ? errno
        : S_ISDIR(info.st_mode)                                 ? EISDIR
        : !S_ISREG(info.st_mode)                                ? EINVAL
                                                                : 0;
    return error == 0 ? std::move(file) : Handle();
}

Handle openFolder(const QString& path, int& error)
{
    return adopt(::open(bytes(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), path, error);
}

Handle openFolderAt(const Handle& folder, const QString& name, int& error)
{
    return adopt(::openat(fdOf(folder), bytes(name).constData(),
                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
        joined(folder, name), error);
}

Handle createUnnamedFile(const Handle& folder, int& error)
{
    const int fd = ::openat(fdOf(folder), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return adopt(fd, QString(), error);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name
            = "cabinet-" + QByteArray::number(QRandomGenerator::system()->generate(), 16);
        const int named = ::openat(fdOf(folder), name.constData(),
            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (named >= 0) {
            ::unlinkat(fdOf(folder), name.constData(), 0);
            return adopt(named, QString(), error);
        }
        if (errno != EEXIST)
            break;
    }
    return adopt(-1, QString(), error);
}

qint64 fileSize(const Handle& file)
{
    struct stat info { };
    return ::fstat(static_cast<int>(file.value()), &info) == 0 ? info.st_size : -1;
}

qint64 readAt(const Handle& file, qint64 offset, char* data, qint64 size)
{
    return ::pread(static_cast<int>(file.value()), data, static_cast<size_t>(size), offset);
}

int makeFolderAt(const Handle& folder, const QString& name, unsigned mode)
{
    return ::mkdirat(fdOf(folder), bytes(name).constData(), mode) == 0 ? 0 : errno;
}

int setModeAt(const Handle& folder, const QString& name, unsigned mode)
{
    return ::fchmodat(fdOf(folder), bytes(name).constData(), mode, 0) == 0 ? 0 : errno;
}

int removeFileAt(const Handle& folder, const QString& name)
{
    return ::unlinkat(fdOf(folder), bytes(name).constData(), 0) == 0 ? 0 : errno;
}

int removeFolderAt(const Handle& folder, const QString& name)
{
    return ::unlinkat(fdOf(folder), bytes(name).constData(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int entryStatusAt(const Handle& folder, const QString& name, EntryStatus& status)
{
    struct stat info { };
    if (::fstatat(fdOf(folder), bytes(name).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    status.kind = S_ISLNK(info.st_mode) ? EntryKind::Link
        : S_ISDIR(info.st_mode)         ? EntryKind::Folder
        : S_ISREG(info.st_mode)         ? EntryKind::File
                                        : EntryKind::Other;
    status.ownerWritable = (info.st_mode & S_IWUSR) != 0;
    status.own = info.st_uid == ::geteuid();
    return 0;
}

int renameNoReplace(const Handle& folder, const QString& from, const QString& to)
{
    const int fd = fdOf(folder);
    const QByteArray source = bytes(from);
    const QByteArray target = bytes(to);
    if (::renameat2(fd, source.constData(), fd, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // link + unlink where the file system has no RENAME_NOREPLACE.
    if (::linkat(fd, source.constData(), fd, target.constData(), 0) != 0)
        return errno;
    ::unlinkat(fd, source.constData(), 0);
    return 0;
}

int renameReplacing(const Handle& folder, const QString& from, const QString& to)
{
    const int fd = fdOf(folder);
    return ::renameat(fd, bytes(from).constData(), fd, bytes(to).constData()) == 0 ? 0 : errno;
}

int exchangeEntries(const Handle& folder, const QString& first, const QString& second)
{
    const int fd = fdOf(folder);
    return ::renameat2(fd, bytes(first).constData(), fd, bytes(second).constData(), RENAME_EXCHANGE)
            == 0
        ? 0
        : errno;
}

Handle createLockedMarker(const Handle& folder, const QString& name, int& error)
{
    Handle marker = adopt(::openat(fdOf(folder), bytes(name).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600),
        QString(), error);
    if (marker.isOpen() && ::flock(static_cast<int>(marker.value()), LOCK_EX) != 0) {
        error = errno;
        return Handle();
    }
    return marker;
}

Handle tryLockMarker(const Handle& folder, const QString& name)
{
    int error = 0;
    Handle marker
        = adopt(::openat(fdOf(folder), bytes(name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC),
            QString(), error);
    if (marker.isOpen() && ::flock(static_cast<int>(marker.value()), LOCK_EX | LOCK_NB) != 0)
        return Handle();
    return marker;
}

qint64 freeBytes(const QString& path, int& error)
{
    struct statvfs info { };
    if (::statvfs(bytes(path).constData(), &info) != 0) {
        error = errno;
        return -1;
    }
    error = 0;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

unsigned exchangeCreationMask(unsigned mask)
{
    return ::umask(static_cast<mode_t>(mask));
}

void installStopHandlers()
{
    g_caught = 0;
    struct sigaction action { };
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // Restarted, so a system call the signal interrupts is no failure to report.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
}

void removeStopHandlers()
{
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
}

int caughtStopSignal()
{
    return g_caught;
}

} // namespace platform
