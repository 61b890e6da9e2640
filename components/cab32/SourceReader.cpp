#include "SourceReader.h"

#include "SystemFiles.h"

namespace cab32 {
namespace {

class SystemSourceReader final : public SourceReader {
public:
    bool open(const SourceFile& file) override
    {
        // Checked again: a file swapped for a FIFO or a folder since the
        // scan must not hang or fail the call later.
        sys::FileInfo info;
        if (!m_file.open(file.path, sys::Open::Source) || !m_file.info(info)
            || info.kind != sys::Kind::File) {
            close();
            return false;
        }
        return true;
    }

    long long read(void* buffer, size_t size) override { return m_file.read(buffer, size); }

    bool stat(uint64_t& size, std::time_t& seconds, long& nanoseconds) override
    {
        sys::FileInfo info;
        if (!m_file.isOpen() || !m_file.info(info))
            return false;
        size = info.size;
        seconds = info.mtime;
        nanoseconds = info.mtimeNanoseconds;
        return true;
    }

    void close() override { m_file.close(); }

private:
    sys::File m_file;
};

} // namespace

std::unique_ptr<SourceReader> systemSourceReader()
{
    return std::make_unique<SystemSourceReader>();
}

} // namespace cab32
