#include "platform/AtomicFile.h"
#include "platform/FileCopy.h"

#include "platform/windows/WideNames.h"

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <utility>
#include <vector>
#include <windows.h>

// Mode bits have no meaning here: a new file takes the ACL its folder passes
// on, the user's own under the profile. Windows has no syncfs, so every copy
// is flushed itself and syncFileSystem only checks its folder.
namespace platform {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE)
        : m_h(h)
    {
    }
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            close();
            m_h = std::exchange(other.m_h, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    int close()
    {
        int rc = 0;
        if (valid() && !::CloseHandle(m_h))
            rc = win::lastErrno();
        m_h = INVALID_HANDLE_VALUE;
        return rc;
    }

private:
    HANDLE m_h;
};

constexpr DWORD kPiece = 1 << 20;

int writeAll(HANDLE file, const char* data, qint64 length)
{
    while (length > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<qint64>(length, kPiece));
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr))
            return win::lastErrno();
        data += written;
        length -= written;
    }
    return 0;
}

int checkTarget(const QString& path, bool& exists)
{
    const DWORD found = ::GetFileAttributesW(win::wide(path).c_str());
    exists = found != INVALID_FILE_ATTRIBUTES;
    if (!exists)
        return 0;
    if ((found & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;
    return (found & FILE_ATTRIBUTE_READONLY) != 0 ? EACCES : 0;
}

// "." + the name + "." + six letters or digits, beside the target: the name
// the start-up cleanup knows as ours.
std::wstring temporaryBeside(const QString& path)
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const QString native = QDir::toNativeSeparators(path);
    const qsizetype cut = native.lastIndexOf(QLatin1Char('\\')) + 1;
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kChars[QRandomGenerator::system()->bounded(62)]);
    return (native.left(cut) + QLatin1Char('.') + native.mid(cut) + QLatin1Char('.') + suffix)
        .toStdWString();
}

using Writer = std::function<int(HANDLE)>;

int replaceFile(const QString& path, const Writer& writer)
{
    std::wstring temp;
    Handle out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
        temp = temporaryBeside(path);
        out = Handle(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!out.valid() && ::GetLastError() != ERROR_FILE_EXISTS)
            return win::lastErrno();
    }
    if (!out.valid())
        return EEXIST;
    int rc = writer(out.get());
    if (rc == 0 && !::FlushFileBuffers(out.get()))
        rc = win::lastErrno();
    if (const int closed = out.close(); rc == 0)
        rc = closed;
    if (rc == 0) {
        ::SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::MoveFileExW(temp.c_str(), win::wide(path).c_str(),
                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            rc = win::lastErrno();
    }
    if (rc != 0)
        ::DeleteFileW(temp.c_str());
    return rc;
}

struct Snapshot {
    BY_HANDLE_FILE_INFORMATION info {};
    qint64 size() const
    {
        return (static_cast<qint64>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    }
    bool sameAs(const Snapshot& other) const
    {
        return size() == other.size()
            && info.ftLastWriteTime.dwLowDateTime == other.info.ftLastWriteTime.dwLowDateTime
            && info.ftLastWriteTime.dwHighDateTime == other.info.ftLastWriteTime.dwHighDateTime;
    }
    bool sameFile(const Snapshot& other) const
    {
        return info.dwVolumeSerialNumber == other.info.dwVolumeSerialNumber
            && info.nFileIndexHigh == other.info.nFileIndexHigh
            && info.nFileIndexLow == other.info.nFileIndexLow;
    }
};

// Opens source and checks target before anything is written.
int openSource(
    const QString& source, const QString& target, Handle& in, Snapshot& before, bool& exists)
{
    const DWORD found = ::GetFileAttributesW(win::wide(source).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return win::lastErrno();
    if ((found & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;
    in = Handle(::CreateFileW(win::wide(source).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid())
        return win::lastErrno();
    if (!::GetFileInformationByHandle(in.get(), &before.info))
        return win::lastErrno();
    return checkTarget(target, exists);
}

int copyContent(HANDLE in, const Snapshot& before, HANDLE out, const CopyProgress& progress)
{
    std::vector<char> buffer(kPiece);
    qint64 copied = 0;
    // No further than the size it had when opened: a file that keeps
    // growing while it is read would never end the copy.
    while (copied < before.size()) {
        const auto want = static_cast<DWORD>(std::min<qint64>(kPiece, before.size() - copied));
        DWORD got = 0;
        if (!::ReadFile(in, buffer.data(), want, &got, nullptr))
            return win::lastErrno();
        if (got == 0)
            break;
        if (const int rc = writeAll(out, buffer.data(), got); rc != 0)
            return rc;
        copied += got;
        if (progress && !progress(copied))
            return ECANCELED;
    }
    Snapshot after;
    if (!::GetFileInformationByHandle(in, &after.info))
        return win::lastErrno();
    return after.sameAs(before) && copied == before.size() ? 0 : EBUSY;
}

} // namespace

int writeFileAtomically(const QString& path, const QByteArray& data, int /*newFileMode*/)
{
    bool exists = false;
    if (const int rc = checkTarget(path, exists); rc != 0)
        return rc;
    return replaceFile(
        path, [&](HANDLE out) { return writeAll(out, data.constData(), data.size()); });
}

int copyFile(
    const QString& source, const QString& target, int /*mode*/, const CopyProgress& progress)
{
    Handle in;
    Snapshot before;
    bool exists = false;
    if (const int rc = openSource(source, target, in, before, exists); rc != 0)
        return rc;
    return replaceFile(
        target, [&](HANDLE out) { return copyContent(in.get(), before, out, progress); });
}

int copyFileUnsynced(
    const QString& source, const QString& target, int /*mode*/, const CopyProgress& progress)
{
    Handle in;
    Snapshot before;
    bool exists = false;
    if (const int rc = openSource(source, target, in, before, exists); rc != 0)
        return rc;
    const std::wstring name = win::wide(target);
    if (exists && (::GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return ELOOP;
    Handle out(::CreateFileW(
        name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return win::lastErrno();
    // Emptying the target first would destroy a source that is the target.
    Snapshot existing;
    if (::GetFileInformationByHandle(out.get(), &existing.info) && existing.sameFile(before))
        return EINVAL;
    int rc = ::SetEndOfFile(out.get()) ? 0 : win::lastErrno();
    if (rc == 0)
        rc = copyContent(in.get(), before, out.get(), progress);
    if (rc == 0 && !::FlushFileBuffers(out.get()))
        rc = win::lastErrno();
    if (const int closed = out.close(); rc == 0)
        rc = closed;
    if (rc != 0)
        ::DeleteFileW(name.c_str());
    return rc;
}

int moveFile(const QString& source, const QString& target, int mode)
{
    const DWORD found = ::GetFileAttributesW(win::wide(source).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return win::lastErrno();
    if ((found & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return EISDIR;
    bool exists = false;
    if (const int rc = checkTarget(target, exists); rc != 0)
        return rc;
    const std::wstring moved = win::wide(target);
    if (::MoveFileExW(win::wide(source).c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        // The mode's one meaning here: an owner who may write gets no
        // read-only file, which the rename would otherwise keep.
        if ((mode & 0200) != 0 && (found & FILE_ATTRIBUTE_READONLY) != 0
            && !::SetFileAttributesW(moved.c_str(), found & ~DWORD { FILE_ATTRIBUTE_READONLY }))
            return win::lastErrno();
        return 0;
    }
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE)
        return win::lastErrno();
    if (const int rc = copyFileUnsynced(source, target, mode); rc != 0)
        return rc;
    return ::DeleteFileW(win::wide(source).c_str()) ? 0 : win::lastErrno();
}

int syncFileSystem(const QString& folder)
{
    const DWORD found = ::GetFileAttributesW(win::wide(folder).c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return win::lastErrno();
    return (found & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
}

} // namespace platform
