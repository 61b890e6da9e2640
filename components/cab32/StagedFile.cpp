#include "StagedFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace cab32 {
namespace {

constexpr size_t kBufferSize = 1 << 20;

} // namespace

bool createUniqueFile(const std::string& base, sys::File& file, std::string& createdPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(
            suffix, sizeof suffix, ".~%ld.%u.tmp", sys::processId(), counter.fetch_add(1));
        std::string path = base + suffix;
        if (file.open(path, sys::Open::CreateNew)) {
            createdPath = std::move(path);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

StagedFile::~StagedFile()
{
    discard();
}

Result StagedFile::open(const std::string& finalPath)
{
    discard();
    m_finalPath = finalPath;
    if (!createUniqueFile(finalPath, m_file, m_tempPath))
        return fail(Status::Write, finalPath);
    m_buffer.reserve(kBufferSize);
    m_size = 0;
    return {};
}

Status StagedFile::append(const void* data, size_t size)
{
    if (!m_file.isOpen())
        return Status::Write;
    if (m_buffer.size() + size > kBufferSize) {
        if (flush() != Status::Ok)
            return Status::Write;
        if (size >= kBufferSize) {
            if (!m_file.writeAll(data, size))
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
    if (!m_file.isOpen() || offset + size > m_size || flush() != Status::Ok)
        return Status::Write;
    return m_file.writeAllAt(offset, data, size) ? Status::Ok : Status::Write;
}

uint64_t StagedFile::size() const
{
    return m_size;
}

Status StagedFile::flush()
{
    if (!m_buffer.empty() && !m_file.writeAll(m_buffer.data(), m_buffer.size()))
        return Status::Write;
    m_buffer.clear();
    return Status::Ok;
}

Result StagedFile::commit(bool replace)
{
    if (!m_file.isOpen() || flush() != Status::Ok || !m_file.sync()) {
        discard();
        return fail(Status::Write, m_finalPath);
    }
    if (m_file.close() && sys::moveFile(m_tempPath, m_finalPath, replace)) {
        m_tempPath.clear();
        return {};
    }
    Status status = errno == EEXIST ? Status::Exists : Status::Write;
    discard();
    return fail(status, m_finalPath);
}

void StagedFile::discard()
{
    m_file.close();
    if (!m_tempPath.empty())
        sys::removeFile(m_tempPath);
    m_tempPath.clear();
    m_buffer.clear();
}

} // namespace cab32
