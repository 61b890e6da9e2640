#include "MspackIo.h"

#include "ErrorNote.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mspack.h>
#include <unistd.h>

namespace cab32 {

struct MspackIo::Table {
    mspack_system system;  // first, so libmspack's pointer leads back here
    MspackIo* owner;
};

namespace {

struct IoFile {
    mspack_file base;  // first, for the same reason
    int fd;
    bool output;
    MspackIo* owner;
};

MspackIo* ownerOf(mspack_system* self)
{
    return reinterpret_cast<MspackIo::Table*>(self)->owner;
}

IoFile* fileOf(mspack_file* file)
{
    return reinterpret_cast<IoFile*>(file);
}

mspack_file* ioOpen(mspack_system* self, const char* name, int mode)
{
    MspackIo* owner = ownerOf(self);
    bool output = mode != MSPACK_SYS_OPEN_READ;
    int fd = -1;
    // Discarded and in-memory output has no descriptor.
    const bool noFile = output && (owner->discardOutput() || owner->memoryOutput());
    if (!output) {
        fd = ::open(name, O_RDONLY | O_CLOEXEC);
    } else if (!noFile) {
        fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            owner->noteOutputFailure(errno);
    }
    if (fd < 0 && !noFile)
        return nullptr;
    auto* file = static_cast<IoFile*>(std::calloc(1, sizeof(IoFile)));
    if (file == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    file->fd = fd;
    file->output = output;
    file->owner = owner;
    return &file->base;
}

void ioClose(mspack_file* file)
{
    IoFile* f = fileOf(file);
    if (f == nullptr)
        return;
    if (f->fd >= 0 && ::close(f->fd) != 0 && f->output)
        f->owner->noteOutputFailure(errno);
    std::free(f);
}

int ioRead(mspack_file* file, void* buffer, int bytes)
{
    IoFile* f = fileOf(file);
    if (f == nullptr || bytes < 0 || f->owner->askStop())
        return -1;
    size_t done = 0;
    while (done < static_cast<size_t>(bytes)) {
        ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, static_cast<size_t>(bytes) - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int>(done);
}

int ioWrite(mspack_file* file, void* buffer, int bytes)
{
    IoFile* f = fileOf(file);
    if (f == nullptr || bytes < 0)
        return -1;
    if (f->fd < 0 && f->owner->memoryOutput())
        return f->owner->appendToMemory(buffer, static_cast<size_t>(bytes)) ? bytes : -1;
    if (f->fd < 0)
        return bytes;  // discarding
    size_t done = 0;
    while (done < static_cast<size_t>(bytes)) {
        ssize_t n = ::write(f->fd, static_cast<char*>(buffer) + done, static_cast<size_t>(bytes) - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            f->owner->noteOutputFailure(n < 0 ? errno : ENOSPC);
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return bytes;
}

int ioSeek(mspack_file* file, off_t offset, int mode)
{
    IoFile* f = fileOf(file);
    int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET
               : mode == MSPACK_SYS_SEEK_CUR   ? SEEK_CUR
                                               : SEEK_END;
    if (f == nullptr || f->fd < 0)
        return -1;
    return ::lseek(f->fd, offset, whence) < 0 ? -1 : 0;
}

off_t ioTell(mspack_file* file)
{
    IoFile* f = fileOf(file);
    return f == nullptr || f->fd < 0 ? -1 : ::lseek(f->fd, 0, SEEK_CUR);
}

// The component has no console: libmspack's warnings are dropped.
void ioMessage(mspack_file*, const char*, ...)
{
}

void* ioAlloc(mspack_system*, size_t bytes)
{
    return std::malloc(bytes);
}

void ioFree(void* p)
{
    std::free(p);
}

void ioCopy(void* src, void* dest, size_t bytes)
{
    std::memcpy(dest, src, bytes);
}

} // namespace

MspackIo::MspackIo()
    : m_table(new Table{{ioOpen, ioClose, ioRead, ioWrite, ioSeek, ioTell, ioMessage, ioAlloc,
                         ioFree, ioCopy, nullptr},
                        this})
{
}

MspackIo::~MspackIo()
{
    delete m_table;
}

mspack_system* MspackIo::system()
{
    return &m_table->system;
}

void MspackIo::setDiscardOutput(bool discard)
{
    m_discard = discard;
}

bool MspackIo::discardOutput() const
{
    return m_discard;
}

void MspackIo::setMemoryOutput(std::string* sink, size_t limit)
{
    m_sink = sink;
    m_limit = limit;
}

bool MspackIo::appendToMemory(const void* data, size_t size)
{
    if (m_sink == nullptr || size > m_limit - std::min(m_limit, m_sink->size())) {
        noteOutputFailure(EFBIG);
        return false;
    }
    m_sink->append(static_cast<const char*>(data), size);
    return true;
}

bool MspackIo::askStop()
{
    if (!m_stopped && m_stop())
        m_stopped = true;
    return m_stopped;
}

bool MspackIo::outputFailed() const
{
    return m_outputFailed;
}

void MspackIo::noteOutputFailure(int error)
{
    m_outputFailed = true;
    noteSystemError(error);
}

void MspackIo::reset()
{
    m_outputFailed = false;
}

} // namespace cab32
