#include "platform/AtomicFile.h"
#include "platform/FileCopy.h"

#include "platform/FileTests.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
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
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
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

constexpr qint64 kPiece = 1 << 20;

// Copies from one descriptor to the other, in pieces of at most kPiece
// bytes, calling progress after each: the expected size, or up to the end
// when none is expected (the size check afterwards sees a file that grew).
// The kernel copies where it can; otherwise, or for files it reports as
// empty though they are not (procfs), the bytes go through a buffer.
int pump(int from, int to, qint64 expected, const CopyProgress& progress)
{
    qint64 copied = 0;
    bool kernelCopy = true;
    std::vector<char> buffer;
    while (expected == 0 || copied < expected) {
        ssize_t n = 0;
        if (kernelCopy) {
            n = ::copy_file_range(from, nullptr, to, nullptr, kPiece, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if ((n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
                || (n == 0 && copied < expected)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (buffer.empty())
                buffer.resize(static_cast<size_t>(std::clamp<qint64>(expected - copied + 1, 4096, kPiece)));
            n = ::read(from, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n > 0)
                if (const int rc = writeAll(to, buffer.data(), n); rc != 0)
                    return rc;
        }
        if (n <= 0)
            return n == 0 ? 0 : errno;
        copied += n;
        if (progress && !progress(copied))
            return ECANCELED;
    }
    return 0;
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

int syncFolderOf(const QFileInfo& info)
{
    Fd folder(::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return errno;
    // Some file systems cannot sync a folder; the rename is then as durable as they allow.
    return ::fsync(folder.get()) == 0 || errno == EINVAL ? 0 : errno;
}

// Writes a temporary file beside path with writer, then renames it over path;
// with syncFolder the rename itself is made durable too.
int replaceFile(const QString& path, mode_t mode, const Writer& writer, bool syncFolder = false)
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
    return rc == 0 && syncFolder ? syncFolderOf(info) : rc;
}

// Opens source for a copy and checks that target may be replaced.
int openSource(const QString& source, const QString& target, Fd& in, struct stat& info,
               bool* targetExists = nullptr)
{
    in.reset(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return errno;
    if (::fstat(in.get(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    mode_t existingMode = 0;
    bool exists = false;
    const int rc = checkTarget(target, existingMode, exists);
    if (targetExists)
        *targetExists = exists;
    return rc;
}

// The whole content, then the check that the source stayed as it was.
int copyContent(int in, const struct stat& info, int out, const CopyProgress& progress)
{
    const int rc = pump(in, out, info.st_size, progress);
    return rc != 0 ? rc : unchangedSince(in, info);
}

} // namespace

int writeFileAtomically(const QString& path, const QByteArray& data, int newFileMode)
{
    auto mode = static_cast<mode_t>(newFileMode);
    bool exists = false;
    if (const int rc = checkTarget(path, mode, exists); rc != 0)
        return rc;
    return replaceFile(path, mode, [&](int fd) { return writeAll(fd, data.constData(), data.size()); });
}

int copyFile(const QString& source, const QString& target, int mode, const CopyProgress& progress)
{
    Fd in(-1);
    struct stat info {};
    if (const int rc = openSource(source, target, in, info); rc != 0)
        return rc;
    return replaceFile(
        target, static_cast<mode_t>(mode), [&](int fd) { return copyContent(in.get(), info, fd, progress); }, true);
}

int copyFileUnsynced(const QString& source, const QString& target, int mode,
                     const CopyProgress& progress)
{
    Fd in(-1);
    struct stat info {};
    bool exists = false;
    if (const int rc = openSource(source, target, in, info, &exists); rc != 0)
        return rc;
    const QByteArray name = QFile::encodeName(target);
    // Emptying the target first would destroy a source that is the target.
    struct stat existing {};
    if (exists && ::stat(name.constData(), &existing) == 0 && existing.st_dev == info.st_dev
        && existing.st_ino == info.st_ino)
        return EINVAL;
    Fd out(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, static_cast<mode_t>(mode)));
    if (out.get() < 0)
        return errno;
    int rc = ::fchmod(out.get(), static_cast<mode_t>(mode)) == 0 ? 0 : errno;
    if (rc == 0)
        rc = copyContent(in.get(), info, out.get(), progress);
    if (const int closed = out.close(); rc == 0)
        rc = closed;
    if (rc != 0)
        ::unlink(name.constData());
    return rc;
}

int moveFile(const QString& source, const QString& target, int mode)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    struct stat info {};
    if (::lstat(from.constData(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    mode_t existingMode = 0;
    bool exists = false;
    if (const int rc = checkTarget(target, existingMode, exists); rc != 0)
        return rc;
    if (::rename(from.constData(), to.constData()) == 0) {
        const bool sameMode = static_cast<int>(info.st_mode & 07777) == mode;
        return sameMode || ::chmod(to.constData(), static_cast<mode_t>(mode)) == 0 ? 0 : errno;
    }
    if (errno != EXDEV)
        return errno;
    if (const int rc = copyFileUnsynced(source, target, mode); rc != 0)
        return rc;
    return ::unlink(from.constData()) == 0 ? 0 : errno;
}

int syncFileSystem(const QString& folder)
{
    Fd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    return ::syncfs(fd.get()) == 0 ? 0 : errno;
}

} // namespace platform
