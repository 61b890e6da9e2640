#include "test_faults_machine.h"

#include "platform/SystemError.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace faults {
namespace {

QString errnoText(const char* what, int error)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") + platform::systemErrorText(error);
}

// chattr +i / -i on a folder; false with errno set when refused.
bool setImmutable(const char* path, bool immutable)
{
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return done;
}

} // namespace

Tmpfs::Tmpfs(const QString& folder, const QByteArray& size)
    : m_folder(QFile::encodeName(folder))
{
    const QByteArray options = "size=" + size + ",mode=0755";
    m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    if (!m_mounted)
        m_reason = errnoText("mount -t tmpfs", errno);
}

Tmpfs::~Tmpfs()
{
    if (m_mounted)
        ::umount2(m_folder.constData(), MNT_DETACH);
}

bool Tmpfs::resize(const QByteArray& size)
{
    const QByteArray options = "size=" + size;
    return m_mounted
        && ::mount(nullptr, m_folder.constData(), nullptr, MS_REMOUNT, options.constData()) == 0;
}

qint64 freeBytes(const QString& path)
{
    struct statvfs info { };
    if (::statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

QString fillUp(const QString& folder, qint64 leaveBytes)
{
    const QString path = folder + QStringLiteral("/filler");
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly))
        return QString();
    const QByteArray block(4096, 'f');
    for (qint64 free = freeBytes(folder); free > leaveBytes; free = freeBytes(folder)) {
        const qint64 chunk = std::min<qint64>(block.size(), free - leaveBytes);
        if (filler.write(block.constData(), chunk) != chunk || !filler.flush())
            break;
    }
    filler.close();
    return freeBytes(folder) <= leaveBytes ? path : QString();
}

ReadOnlyFolder::ReadOnlyFolder(const QString& folder)
    : m_folder(QFile::encodeName(folder))
{
    const char* path = m_folder.constData();
    if (::mount(path, path, nullptr, MS_BIND, nullptr) == 0) {
        if (::mount(nullptr, path, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0) {
            m_how = How::Mount;
            return;
        }
        m_reason = errnoText("mount -o remount,bind,ro", errno);
        ::umount2(path, MNT_DETACH);
        return;
    }
    m_reason = errnoText("mount --bind", errno);
    if (setImmutable(path, true)) {
        m_how = How::Immutable;
        return;
    }
    m_reason += QStringLiteral("; ") + errnoText("chattr +i", errno);
    struct stat info { };
    // Permissions stop everyone but root.
    if (::geteuid() != 0 && ::stat(path, &info) == 0 && ::chmod(path, 0555) == 0) {
        m_mode = info.st_mode & 07777;
        m_how = How::Mode;
    }
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    restore();
}

QString ReadOnlyFolder::refusal() const
{
    const int error = m_how == How::Mount ? EROFS : m_how == How::Immutable ? EPERM : EACCES;
    return platform::systemErrorText(error);
}

void ReadOnlyFolder::restore()
{
    if (m_how == How::Mount)
        ::umount2(m_folder.constData(), MNT_DETACH);
    else if (m_how == How::Immutable)
        setImmutable(m_folder.constData(), false);
    else if (m_how == How::Mode)
        ::chmod(m_folder.constData(), m_mode);
    m_how = How::None;
}

FileSizeLimit::FileSizeLimit(rlim_t limit)
{
    struct sigaction ignore { };
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &m_previousAction);
    ::getrlimit(RLIMIT_FSIZE, &m_previous);
    const rlimit lowered { limit, m_previous.rlim_max };
    ::setrlimit(RLIMIT_FSIZE, &lowered);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_previous);
    ::sigaction(SIGXFSZ, &m_previousAction, nullptr);
}

Child::Child(const std::function<void()>& body)
{
    m_pid = ::fork();
    if (m_pid == 0) {
        body();
        ::_exit(0);
    }
}

Child::~Child()
{
    kill();
}

void Child::stop()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGSTOP);
}

int Child::kill()
{
    if (m_pid <= 0)
        return 0;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    m_pid = -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

CreationWatch::CreationWatch(const QString& folder)
    : m_fd(::inotify_init1(IN_CLOEXEC))
{
    if (m_fd >= 0
        && ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO)
            < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CreationWatch::~CreationWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString CreationWatch::next(const QString& prefix, int giveUpMs)
{
    const QByteArray wanted = QFile::encodeName(prefix);
    std::vector<char> buffer(64 * 1024);
    while (m_fd >= 0) {
        // Events already read but not yet looked at come first.
        while (!m_pending.isEmpty()) {
            inotify_event event {};
            std::memcpy(&event, m_pending.constData(), sizeof event);
            // The name is NUL-padded to len bytes; an event on the folder itself has none.
            const QByteArray name
                = event.len ? QByteArray(m_pending.constData() + sizeof event) : QByteArray();
            m_pending.remove(0, static_cast<qsizetype>(sizeof event + event.len));
            if (name.startsWith(wanted))
                return QFile::decodeName(name);
        }
        pollfd ready { m_fd, POLLIN, 0 };
        if (::poll(&ready, 1, giveUpMs) <= 0)
            return QString();
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got <= 0)
            return QString();
        m_pending.append(buffer.data(), got);
    }
    return QString();
}

} // namespace faults
