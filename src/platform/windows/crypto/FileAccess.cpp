#include "platform/crypto/FileAccess.h"

#include "platform/windows/WideNames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>
#include <windows.h>

// The kernel32 functions themselves. A file open for reading here does not
// share delete, so the system refuses to delete it, as the callers expect.
namespace platform {
namespace {

constexpr std::size_t kBufferSize = std::size_t { 1 } << 20;

class WindowsStream final : public FileStream {
public:
    explicit WindowsStream(HANDLE file)
        : m_file(file)
    {
    }
    ~WindowsStream() override { close(); }

    std::int64_t read(std::span<std::uint8_t> buffer) override
    {
        std::size_t filled = 0;
        while (filled < buffer.size()) {
            if (m_readPos == m_readEnd) {
                DWORD got = 0;
                if (!::ReadFile(m_file, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), &got,
                        nullptr))
                    return fail();
                if (got == 0)
                    break;
                m_readPos = 0;
                m_readEnd = got;
            }
            const std::size_t n = std::min(buffer.size() - filled, m_readEnd - m_readPos);
            std::memcpy(buffer.data() + filled, m_buffer.data() + m_readPos, n);
            m_readPos += n;
            filled += n;
        }
        return static_cast<std::int64_t>(filled);
    }

    bool write(std::span<const std::uint8_t> data) override
    {
        m_pending.insert(m_pending.end(), data.begin(), data.end());
        return m_pending.size() < kBufferSize || flush();
    }

    std::int64_t size() override
    {
        LARGE_INTEGER size {};
        if (!::GetFileSizeEx(m_file, &size))
            return fail();
        return size.QuadPart + static_cast<std::int64_t>(m_pending.size());
    }

    bool close() override
    {
        if (m_file == INVALID_HANDLE_VALUE)
            return true;
        bool ok = flush();
        if (!::CloseHandle(m_file) && ok) {
            m_error = win::lastErrno();
            ok = false;
        }
        m_file = INVALID_HANDLE_VALUE;
        return ok;
    }

    int error() const override { return m_error; }

private:
    int fail()
    {
        m_error = win::lastErrno();
        return -1;
    }

    bool flush()
    {
        const std::uint8_t* data = m_pending.data();
        std::size_t left = m_pending.size();
        while (left > 0) {
            DWORD written = 0;
            if (!::WriteFile(m_file, data, static_cast<DWORD>(std::min(left, kBufferSize)),
                    &written, nullptr)) {
                fail();
                m_pending.clear();
                return false;
            }
            data += written;
            left -= written;
        }
        m_pending.clear();
        return true;
    }

    HANDLE m_file;
    std::vector<std::uint8_t> m_buffer = std::vector<std::uint8_t>(kBufferSize);
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
    std::vector<std::uint8_t> m_pending;
    int m_error = 0;
};

class WindowsFileAccess final : public FileAccess {
public:
    std::unique_ptr<FileStream> openExisting(const QString& path, int& error) override
    {
        return open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, error);
    }

    std::unique_ptr<FileStream> createAlways(const QString& path, int& error) override
    {
        // Sharing delete too: the output reader decrypts into a file it
        // holds open with delete-on-close, which no other open may refuse
        // to share.
        return open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS, error);
    }

    int removeFile(const QString& path) override
    {
        return ::DeleteFileW(win::wide(path).c_str()) ? 0 : win::lastErrno();
    }

private:
    static std::unique_ptr<FileStream> open(
        const QString& path, DWORD access, DWORD share, DWORD disposition, int& error)
    {
        HANDLE file = ::CreateFileW(win::wide(path).c_str(), access, share, nullptr, disposition,
            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = win::lastErrno();
            return nullptr;
        }
        error = 0;
        return std::make_unique<WindowsStream>(file);
    }
};

} // namespace

std::shared_ptr<FileAccess> systemFileAccess()
{
    static const auto access = std::make_shared<WindowsFileAccess>();
    return access;
}

} // namespace platform
