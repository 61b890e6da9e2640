#include "MspackIo.h"

#include "ErrorNote.h"
#include "SystemFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mspack.h>
#include <new>

namespace cab32 {

struct MspackIo::Table {
    mspack_system system;  // first, so libmspack's pointer leads back here
    MspackIo* owner;
};

namespace {

struct IoFile {
    mspack_file base;  // first, for the same reason
    sys::File file; // not open for discarded and in-memory output
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
    sys::File opened;
    // Discarded and in-memory output has no file.
    const bool noFile = output && (owner->discardOutput() || owner->memoryOutput());
    if (!output) {
        opened.open(name, sys::Open::Read);
    } else if (!noFile && !opened.open(name, sys::Open::Replace)) {
        owner->noteOutputFailure(errno);
    }
    if (!opened.isOpen() && !noFile)
        return nullptr;
    // Not std::calloc: a File needs its constructor.
    auto* file = new (std::nothrow) IoFile { {}, std::move(opened), output, owner };
    return file == nullptr ? nullptr : &file->base;
}

void ioClose(mspack_file* file)
{
    IoFile* f = fileOf(file);
    if (f == nullptr)
        return;
    if (!f->file.close() && f->output)
        f->owner->noteOutputFailure(errno);
    delete f;
}

int ioRead(mspack_file* file, void* buffer, int bytes)
{
    IoFile* f = fileOf(file);
    if (f == nullptr || bytes < 0 || f->owner->askStop())
        return -1;
    size_t done = 0;
    while (done < static_cast<size_t>(bytes)) {
        long long n
            = f->file.read(static_cast<char*>(buffer) + done, static_cast<size_t>(bytes) - done);
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
    if (!f->file.isOpen() && f->owner->memoryOutput())
        return f->owner->appendToMemory(buffer, static_cast<size_t>(bytes)) ? bytes : -1;
    if (!f->file.isOpen())
        return bytes;  // discarding
    if (!f->file.writeAll(buffer, static_cast<size_t>(bytes))) {
        f->owner->noteOutputFailure(errno);
        return -1;
    }
    return bytes;
}

int ioSeek(mspack_file* file, off_t offset, int mode)
{
    IoFile* f = fileOf(file);
    sys::Whence whence = mode == MSPACK_SYS_SEEK_START ? sys::Whence::Start
        : mode == MSPACK_SYS_SEEK_CUR                  ? sys::Whence::Current
                                                       : sys::Whence::End;
    if (f == nullptr || !f->file.isOpen())
        return -1;
    return f->file.seek(offset, whence) < 0 ? -1 : 0;
}

off_t ioTell(mspack_file* file)
{
    IoFile* f = fileOf(file);
    return f == nullptr || !f->file.isOpen()
        ? -1
        : static_cast<off_t>(f->file.seek(0, sys::Whence::Current));
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
