#include "platform/crypto/FileAccess.h"

#include "platform/FileTests.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

// Callers read and write in small pieces (1002-byte chunks); the system
// sees whole buffers, so a file costs a few calls per MiB, not a thousand.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;

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
            if (m_readPos == m_readEnd) {
                // A large request skips the buffer; a short fill means the end.
                if (buffer.size() - done >= kBufferSize)
                    return readDirect(buffer, done);
                const std::int64_t got = fill();
                if (got <= 0)
                    return got < 0 ? -1 : static_cast<std::int64_t>(done);
            }
            const std::size_t n = std::min(buffer.size() - done, m_readEnd - m_readPos);
            std::memcpy(buffer.data() + done, m_readBuffer.data() + m_readPos, n);
            m_readPos += n;
            done += n;
        }
        return static_cast<std::int64_t>(done);
    }

    bool write(std::span<const std::uint8_t> data) override
    {
        if (m_writeBuffer.size() + data.size() > kBufferSize) {
            if (!flush())
                return false;
            if (data.size() >= kBufferSize)
                return writeAll(data.data(), data.size());
        }
        if (m_writeBuffer.capacity() == 0)
            m_writeBuffer.reserve(kBufferSize);
        m_writeBuffer.insert(m_writeBuffer.end(), data.begin(), data.end());
        return true;
    }

    std::int64_t size() override
    {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0)
            return failed(-1);
        return info.st_size + static_cast<std::int64_t>(m_writeBuffer.size());
    }

    bool close() override
    {
        if (m_fd < 0)
            return true;
        const bool flushed = flush();
        const int result = ::close(m_fd);
        const int closeError = errno;
        m_fd = -1;
        m_openFiles->remove(m_id);
        // After close() the descriptor is gone even when it reports EINTR.
        if (flushed && result != 0 && closeError != EINTR) {
            m_error = closeError;
            return false;
        }
        return flushed;
    }

    int error() const override { return m_error; }

private:
    template <typename T>
    T failed(T value)
    {
        m_error = errno;
        return value;
    }

    // Reads until the buffer is full or the file ends: 0 at the end, -1 on failure.
    std::int64_t fill()
    {
        if (m_readBuffer.empty())
            m_readBuffer.resize(kBufferSize);
        m_readPos = m_readEnd = 0;
        std::span<std::uint8_t> whole(m_readBuffer);
        const std::int64_t got = readDirect(whole, 0);
        if (got > 0)
            m_readEnd = static_cast<std::size_t>(got);
        return got;
    }

    std::int64_t readDirect(std::span<std::uint8_t> buffer, std::size_t done)
    {
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

    bool writeAll(const std::uint8_t* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::write(m_fd, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return failed(false);
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    // A failed flush drops what it held: the stream has failed for good.
    bool flush()
    {
        const bool ok = writeAll(m_writeBuffer.data(), m_writeBuffer.size());
        m_writeBuffer.clear();
        return ok;
    }

    int m_fd;
    FileId m_id;
    std::shared_ptr<OpenFiles> m_openFiles;
    int m_error = 0;
    std::vector<std::uint8_t> m_readBuffer;
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
    std::vector<std::uint8_t> m_writeBuffer;
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
