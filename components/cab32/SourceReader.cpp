#include "SourceReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cab32 {
namespace {

class PosixSourceReader final : public SourceReader {
public:
    ~PosixSourceReader() override { close(); }

    bool open(const SourceFile& file) override
    {
        close();
        // Non-blocking and checked again: a file swapped for a FIFO since
        // the scan must not hang the call.
        m_fd = ::open(file.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st;
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close();
            return false;
        }
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return true;
    }

    long long read(void* buffer, size_t size) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, size);
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }

    bool stat(uint64_t& size, std::time_t& seconds, long& nanoseconds) override
    {
        struct stat st;
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
            return false;
        size = static_cast<uint64_t>(st.st_size);
        seconds = st.st_mtim.tv_sec;
        nanoseconds = st.st_mtim.tv_nsec;
        return true;
    }

    void close() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

} // namespace

std::unique_ptr<SourceReader> systemSourceReader()
{
    return std::make_unique<PosixSourceReader>();
}

} // namespace cab32
