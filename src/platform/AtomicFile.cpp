#include "platform/AtomicFile.h"
#include "platform/FileCopy.h"

#include "platform/FileTests.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failing close is seen.
    int close()
    {
        const int rc = ::close(m_fd) == 0 ? 0 : errno;
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

int writeAll(int fd, const char* data, qsizetype length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(length));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        length -= n;
    }
    return 0;
}

int pump(int from, int to)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n == 0 ? 0 : errno;
        if (const int rc = writeAll(to, buffer.data(), n); rc != 0)
            return rc;
    }
}

// A source written to while it was read gives a copy that is neither its old
// nor its new content (Windows keeps writers out during a copy; here nothing
// does), so a change of size or modification time fails the copy.
int unchangedSince(int fd, const struct stat& before)
{
    struct stat after {};
    if (::fstat(fd, &after) != 0)
        return errno;
    const bool same = after.st_size == before.st_size
                      && after.st_mtim.tv_sec == before.st_mtim.tv_sec
                      && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
    return same ? 0 : EBUSY;
}

// The target may be replaced: it is missing, or a writable regular file.
// existingMode receives the mode of a file that is there.
int checkTarget(const QString& path, mode_t& existingMode, bool& exists)
{
    struct stat info {};
    exists = false;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    // A rename would slip past a read-only target; Windows refuses it.
    if (isReadOnly(path))
        return EACCES;
    // EACCES, or EROFS on a read-only file system: the user must see which.
    if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return errno;
    exists = true;
    existingMode = info.st_mode & 07777;
    return 0;
}

using Writer = std::function<int(int fd)>;

// Writes a temporary file beside path with writer, then renames it over path.
int replaceFile(const QString& path, mode_t mode, const Writer& writer)
{
    const QFileInfo info(path);
    QByteArray temp = QFile::encodeName(info.absolutePath()) + "/."
                      + QFile::encodeName(info.fileName()) + ".XXXXXX";
    Fd out(::mkstemp(temp.data()));
    if (out.get() < 0)
        return errno;
    int rc = writer(out.get());
    if (rc == 0 && ::fchmod(out.get(), mode) != 0)
        rc = errno;
    if (rc == 0 && ::fsync(out.get()) != 0)
        rc = errno;
    if (const int closed = out.close(); rc == 0)
        rc = closed;
    if (rc == 0 && ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0)
        rc = errno;
    if (rc != 0)
        ::unlink(temp.constData());
    return rc;
}

} // namespace

int writeFileAtomically(const QString& path, const QByteArray& data, mode_t newFileMode)
{
    mode_t mode = newFileMode;
    bool exists = false;
    if (const int rc = checkTarget(path, mode, exists); rc != 0)
        return rc;
    return replaceFile(path, mode, [&](int fd) { return writeAll(fd, data.constData(), data.size()); });
}

int copyFile(const QString& source, const QString& target, mode_t mode)
{
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    mode_t existingMode = 0;
    bool exists = false;
    if (const int rc = checkTarget(target, existingMode, exists); rc != 0)
        return rc;
    return replaceFile(target, mode, [&](int fd) {
        const int rc = pump(in.get(), fd);
        return rc != 0 ? rc : unchangedSince(in.get(), info);
    });
}

} // namespace platform
