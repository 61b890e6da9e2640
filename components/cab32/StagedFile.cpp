#include "StagedFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cab32 {
namespace {

constexpr size_t kBufferSize = 1 << 20;

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool writeAllAt(int fd, const char* data, size_t size, off_t offset)
{
    while (size > 0) {
        ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

} // namespace

int createUniqueFile(const std::string& base, std::string& createdPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".~%ld.%u.tmp", static_cast<long>(::getpid()),
                      counter.fetch_add(1));
        std::string path = base + suffix;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            createdPath = std::move(path);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// Moves temp onto final without replacing an entry that appeared meanwhile.
static int renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    struct stat st;
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
}

int moveIntoPlace(const std::string& from, const std::string& to, bool replace)
{
    return replace ? ::rename(from.c_str(), to.c_str()) : renameNoReplace(from.c_str(), to.c_str());
}

StagedFile::~StagedFile()
{
    discard();
}

Result StagedFile::open(const std::string& finalPath)
{
    discard();
    m_finalPath = finalPath;
    m_fd = createUniqueFile(finalPath, m_tempPath);
    if (m_fd < 0)
        return fail(Status::Write, finalPath);
    m_buffer.reserve(kBufferSize);
    m_size = 0;
    return {};
}

Status StagedFile::append(const void* data, size_t size)
{
    if (m_fd < 0)
        return Status::Write;
    if (m_buffer.size() + size > kBufferSize) {
        if (flush() != Status::Ok)
            return Status::Write;
        if (size >= kBufferSize) {
            if (!writeAll(m_fd, static_cast<const char*>(data), size))
                return Status::Write;
            m_size += size;
            return Status::Ok;
        }
    }
    auto bytes = static_cast<const char*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    m_size += size;
    return Status::Ok;
}

Status StagedFile::overwrite(uint64_t offset, const void* data, size_t size)
{
    if (m_fd < 0 || offset + size > m_size || flush() != Status::Ok)
        return Status::Write;
    bool ok = writeAllAt(m_fd, static_cast<const char*>(data), size, static_cast<off_t>(offset));
    return ok ? Status::Ok : Status::Write;
}

uint64_t StagedFile::size() const
{
    return m_size;
}

Status StagedFile::flush()
{
    if (!m_buffer.empty() && !writeAll(m_fd, m_buffer.data(), m_buffer.size()))
        return Status::Write;
    m_buffer.clear();
    return Status::Ok;
}

Result StagedFile::commit(bool replace)
{
    if (m_fd < 0 || flush() != Status::Ok || ::fdatasync(m_fd) != 0) {
        discard();
        return fail(Status::Write, m_finalPath);
    }
    int closed = ::close(m_fd);
    m_fd = -1;
    int moved = closed != 0 ? -1 : moveIntoPlace(m_tempPath, m_finalPath, replace);
    if (moved == 0) {
        m_tempPath.clear();
        return {};
    }
    Status status = errno == EEXIST ? Status::Exists : Status::Write;
    discard();
    return fail(status, m_finalPath);
}

void StagedFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_buffer.clear();
}

} // namespace cab32
