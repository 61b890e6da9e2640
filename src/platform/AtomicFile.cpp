#include "platform/AtomicFile.h"

#include "platform/FileTests.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

int writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
    }
    return 0;
}

// The mode the replaced file ends up with: the old file's, or newFileMode.
int targetMode(const QByteArray& target, mode_t newFileMode, mode_t& mode)
{
    struct stat info {};
    if (::stat(target.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return EISDIR;
        if (!S_ISREG(info.st_mode))
            return EINVAL;
        mode = info.st_mode & 07777;
        return 0;
    }
    if (errno != ENOENT)
        return errno;
    mode = newFileMode;
    return 0;
}

} // namespace

int writeFileAtomically(const QString& path, const QByteArray& data, mode_t newFileMode)
{
    const QByteArray target = QFile::encodeName(path);
    mode_t mode = newFileMode;
    if (const int rc = targetMode(target, newFileMode, mode); rc != 0)
        return rc;
    // A rename would slip past a read-only target; Windows refuses it.
    if (isReadOnly(path) || (::access(target.constData(), F_OK) == 0
                             && ::access(target.constData(), W_OK) != 0))
        return EACCES;

    QByteArray temp = QFile::encodeName(QFileInfo(path).absolutePath()) + "/."
                      + QFile::encodeName(QFileInfo(path).fileName()) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    int rc = writeAll(fd, data);
    if (rc == 0 && ::fchmod(fd, mode) != 0)
        rc = errno;
    if (rc == 0 && ::fsync(fd) != 0)
        rc = errno;
    if (::close(fd) != 0 && rc == 0)
        rc = errno;
    if (rc == 0 && ::rename(temp.constData(), target.constData()) != 0)
        rc = errno;
    if (rc != 0)
        ::unlink(temp.constData());
    return rc;
}

} // namespace platform
