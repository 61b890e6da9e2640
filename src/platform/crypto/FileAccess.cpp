#include "platform/crypto/FileAccess.h"

#include "platform/FileTests.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {

using FileId = std::pair<dev_t, ino_t>;

// Files open through the system FileAccess: Windows refuses to delete them.
class OpenFiles {
public:
    void add(FileId id)
    {
        std::lock_guard lock(m_mutex);
        m_ids.insert(id);
    }
    void remove(FileId id)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_ids.find(id);
        if (it != m_ids.end())
            m_ids.erase(it);
    }
    bool contains(FileId id)
    {
        std::lock_guard lock(m_mutex);
        return m_ids.count(id) != 0;
    }

private:
    std::mutex m_mutex;
    std::multiset<FileId> m_ids;
};

class PosixStream final : public FileStream {
public:
    PosixStream(int fd, FileId id, std::shared_ptr<OpenFiles> openFiles)
        : m_fd(fd), m_id(id), m_openFiles(std::move(openFiles))
    {
        m_openFiles->add(m_id);
    }
    ~PosixStream() override { close(); }

    std::int64_t read(std::span<std::uint8_t> buffer) override
    {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t n = ::read(m_fd, buffer.data() + done, buffer.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return failed(-1);
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<std::int64_t>(done);
    }

    bool write(std::span<const std::uint8_t> data) override
    {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(m_fd, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return failed(false);
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::int64_t size() override
    {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0)
            return failed(-1);
        return info.st_size;
    }

    bool close() override
    {
        if (m_fd < 0)
            return true;
        const int result = ::close(m_fd);
        m_fd = -1;
        m_openFiles->remove(m_id);
        // After close() the descriptor is gone even when it reports EINTR.
        return result == 0 || errno == EINTR || failed(false);
    }

    int error() const override { return m_error; }

private:
    template <typename T>
    T failed(T value)
    {
        m_error = errno;
        return value;
    }

    int m_fd;
    FileId m_id;
    std::shared_ptr<OpenFiles> m_openFiles;
    int m_error = 0;
};

class SystemFileAccess final : public FileAccess {
public:
    std::unique_ptr<FileStream> openExisting(const QString& path, int& error) override
    {
        return open(path, O_RDONLY, error);
    }

    std::unique_ptr<FileStream> createAlways(const QString& path, int& error) override
    {
        return open(path, O_WRONLY | O_CREAT | O_TRUNC, error);
    }

    int removeFile(const QString& path) override
    {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::stat(name.constData(), &info) != 0)
            return errno;
        if (m_openFiles->contains({info.st_dev, info.st_ino}))
            return EBUSY;
        if (isReadOnly(path))
            return EACCES;
        return ::unlink(name.constData()) == 0 ? 0 : errno;
    }

private:
    std::unique_ptr<FileStream> open(const QString& path, int flags, int& error)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0666);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            error = errno;
            if (fd >= 0)
                ::close(fd);
            return nullptr;
        }
        if (S_ISDIR(info.st_mode)) {
            ::close(fd);
            error = EISDIR;
            return nullptr;
        }
        return std::make_unique<PosixStream>(fd, FileId{info.st_dev, info.st_ino}, m_openFiles);
    }

    std::shared_ptr<OpenFiles> m_openFiles = std::make_shared<OpenFiles>();
};

} // namespace

std::shared_ptr<FileAccess> systemFileAccess()
{
    static const std::shared_ptr<FileAccess> files = std::make_shared<SystemFileAccess>();
    return files;
}

} // namespace platform
