#include "platform/OpenSupport.h"

#include "platform/windows/WideNames.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <utility>
#include <windows.h>

namespace platform {
namespace {

// Others may read, write, rename and delete what is open here, as on Linux;
// the renames of the marker and of the placed files need it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The numbers the exit code reports, as on Linux.
constexpr int kSigHup = 1;
constexpr int kSigInt = 2;
constexpr int kSigTerm = 15;

HANDLE raw(const Handle& handle)
{
    return reinterpret_cast<HANDLE>(handle.value());
}

QString joined(const Handle& folder, const QString& name)
{
    return folder.isOpen() ? folder.path() + QLatin1Char('/') + name : name;
}

std::wstring at(const Handle& folder, const QString& name)
{
    return win::wide(joined(folder, name));
}

int result(BOOL ok)
{
    return ok ? 0 : win::lastErrno();
}

Handle adopt(HANDLE handle, const QString& path, int& error)
{
    if (handle == INVALID_HANDLE_VALUE) {
        error = win::lastErrno();
        return Handle();
    }
    error = 0;
    return Handle(reinterpret_cast<std::intptr_t>(handle), path);
}

Handle openFolderPath(const QString& path, bool followLinks, int& error)
{
    const DWORD flags
        = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    Handle folder = adopt(::CreateFileW(win::wide(path).c_str(),
                              FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                              nullptr, OPEN_EXISTING, flags, nullptr),
        path, error);
    if (!folder.isOpen())
        return folder;
    BY_HANDLE_FILE_INFORMATION info {};
    if (!::GetFileInformationByHandle(raw(folder), &info))
        error = win::lastErrno();
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        error = ELOOP;
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        error = ENOTDIR;
    return error == 0 ? std::move(folder) : Handle();
}

bool lockFile(HANDLE file, DWORD flags)
{
    OVERLAPPED start {};
    return ::LockFileEx(file, flags, 0, 1, 0, &start) != 0;
}

BOOL move(const std::wstring& from, const std::wstring& to)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), 0);
}

std::atomic<int> g_caught { 0 };
// Set once the run has removed what it made and put the handlers back.
std::atomic<HANDLE> g_finished { nullptr };

BOOL WINAPI note(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        g_caught = kSigInt;
        return TRUE;
    case CTRL_CLOSE_EVENT:
        g_caught = kSigHup;
        break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        g_caught = kSigTerm;
        break;
    default:
        return FALSE;
    }
    // The system ends the process once this returns: the run first reaches
    // its next stop point and removes what it made, within the few seconds
    // the system grants.
    if (HANDLE finished = g_finished.load(); finished != nullptr)
        ::WaitForSingleObject(finished, 4000);
    return TRUE;
}

} // namespace

QString Handle::componentPath() const
{
    // The name it has now, whatever it was opened by; "\\?\" is left off for
    // components that take a plain path.
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetFinalPathNameByHandleW(raw(*this), full.data(),
                static_cast<DWORD>(full.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS))
        >= full.size())
        full.resize(length + 1);
    if (length == 0)
        return m_path;
    full.resize(length);
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0)
        full = L"\\\\" + full.substr(8);
    else if (full.rfind(L"\\\\?\\", 0) == 0)
        full = full.substr(4);
    // The short form is plain ASCII where the volume keeps 8.3 names.
    std::wstring shortName(full.size() + 1, L'\0');
    length
        = ::GetShortPathNameW(full.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (length > 0 && length < shortName.size()) {
        shortName.resize(length);
        bool ascii = true;
        for (const wchar_t c : shortName)
            ascii = ascii && c < 0x80;
        if (ascii)
            return QString::fromStdWString(shortName);
    }
    return QString::fromStdWString(full);
}

void Handle::close()
{
    if (m_value != -1)
        ::CloseHandle(raw(*this));
    m_value = -1;
}

Handle openInput(const QString& path, int& error)
{
    // Backup semantics open a folder too, so that it is told apart.
    Handle file = adopt(::CreateFileW(win::wide(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
        path, error);
    if (!file.isOpen())
        return file;
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(raw(file)) != FILE_TYPE_DISK)
        error = EINVAL;
    else if (!::GetFileInformationByHandle(raw(file), &info))
        error = win::lastErrno();
    else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        error = EISDIR;
    return error == 0 ? std::move(file) : Handle();
}

Handle openFolder(const QString& path, int& error)
{
    return openFolderPath(path, true, error);
}

Handle openFolderAt(const Handle& folder, const QString& name, int& error)
{
    return openFolderPath(joined(folder, name), false, error);
}

Handle createUnnamedFile(const Handle& folder, int& error)
{
    // It keeps a name while open, but goes when closed, by the system when
    // the process ends; others can open it only sharing its deletion. This
    // handle does not write: the file is written through its name, by an
    // open that shares reading and deletion only.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name
            = QStringLiteral("cabinet-%1").arg(QRandomGenerator::system()->generate(), 0, 16);
        Handle file
            = adopt(::CreateFileW(at(folder, name).c_str(), GENERIC_READ | DELETE,
                        kShareAll, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr),
                joined(folder, name), error);
        if (file.isOpen() || error != EEXIST)
            return file;
    }
    return Handle();
}

qint64 fileSize(const Handle& file)
{
    LARGE_INTEGER size {};
    return ::GetFileSizeEx(raw(file), &size) ? static_cast<qint64>(size.QuadPart) : -1;
}

qint64 readAt(const Handle& file, qint64 offset, char* data, qint64 size)
{
    OVERLAPPED from {};
    from.Offset = static_cast<DWORD>(offset & 0xffffffff);
    from.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!::ReadFile(
            raw(file), data, static_cast<DWORD>(std::min<qint64>(size, 1 << 30)), &read, &from))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return read;
}

int makeFolderAt(const Handle& folder, const QString& name, unsigned)
{
    return result(::CreateDirectoryW(at(folder, name).c_str(), nullptr));
}

int setModeAt(const Handle& folder, const QString& name, unsigned mode)
{
    const std::wstring path = at(folder, name);
    const DWORD found = ::GetFileAttributesW(path.c_str());
    if (found == INVALID_FILE_ATTRIBUTES)
        return win::lastErrno();
    DWORD wanted
        = (mode & 0200) != 0 ? found & ~FILE_ATTRIBUTE_READONLY : found | FILE_ATTRIBUTE_READONLY;
    if (wanted == found)
        return 0;
    return result(::SetFileAttributesW(path.c_str(), wanted == 0 ? FILE_ATTRIBUTE_NORMAL : wanted));
}

int removeFileAt(const Handle& folder, const QString& name)
{
    // Read-only stops a delete here, not on Linux: a file placed read-only
    // must still go when the run is undone.
    const std::wstring path = at(folder, name);
    if (::DeleteFileW(path.c_str()))
        return 0;
    const int error = win::lastErrno();
    const DWORD found = ::GetFileAttributesW(path.c_str());
    if (error != EACCES || found == INVALID_FILE_ATTRIBUTES
        || (found & FILE_ATTRIBUTE_READONLY) == 0
        || !::SetFileAttributesW(path.c_str(), found & ~FILE_ATTRIBUTE_READONLY))
        return error;
    if (::DeleteFileW(path.c_str()))
        return 0;
    ::SetFileAttributesW(path.c_str(), found);
    return error;
}

int removeFolderAt(const Handle& folder, const QString& name)
{
    return result(::RemoveDirectoryW(at(folder, name).c_str()));
}

int entryStatusAt(const Handle& folder, const QString& name, EntryStatus& status)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!::GetFileAttributesExW(at(folder, name).c_str(), GetFileExInfoStandard, &data))
        return win::lastErrno();
    const DWORD found = data.dwFileAttributes;
    status.kind = (found & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::Link
        : (found & FILE_ATTRIBUTE_DIRECTORY) != 0             ? EntryKind::Folder
        : (found & FILE_ATTRIBUTE_DEVICE) != 0                ? EntryKind::Other
                                                              : EntryKind::File;
    status.ownerWritable = (found & FILE_ATTRIBUTE_READONLY) == 0;
    status.own = status.kind != EntryKind::Link;
    return 0;
}

int renameNoReplace(const Handle& folder, const QString& from, const QString& to)
{
    return result(move(at(folder, from), at(folder, to)));
}

int renameReplacing(const Handle& folder, const QString& from, const QString& to)
{
    return result(
        ::MoveFileExW(at(folder, from).c_str(), at(folder, to).c_str(), MOVEFILE_REPLACE_EXISTING));
}

int exchangeEntries(const Handle& folder, const QString& first, const QString& second)
{
    // No exchange in one step here: three renames, none over an entry, each
    // undone when a later one fails, so either both names swap or neither.
    const std::wstring one = at(folder, first);
    const std::wstring two = at(folder, second);
    std::wstring aside;
    int error = EEXIST;
    for (int attempt = 0; attempt < 10 && error == EEXIST; ++attempt) {
        aside = at(folder,
            first
                + QStringLiteral(".exchange-%1")
                      .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0')));
        error = result(move(two, aside));
    }
    if (error != 0)
        return error;
    if ((error = result(move(one, two))) != 0) {
        move(aside, two);
        return error;
    }
    if ((error = result(move(aside, one))) != 0) {
        move(two, one);
        move(aside, two);
    }
    return error;
}

Handle createLockedMarker(const Handle& folder, const QString& name, int& error)
{
    Handle marker = adopt(
        ::CreateFileW(at(folder, name).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
            CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
        joined(folder, name), error);
    // Its first byte, held until the handle closes or the process ends.
    if (marker.isOpen() && !lockFile(raw(marker), LOCKFILE_EXCLUSIVE_LOCK)) {
        error = win::lastErrno();
        return Handle();
    }
    return marker;
}

Handle tryLockMarker(const Handle& folder, const QString& name)
{
    int error = 0;
    Handle marker = adopt(::CreateFileW(at(folder, name).c_str(), GENERIC_READ, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
        joined(folder, name), error);
    BY_HANDLE_FILE_INFORMATION info {};
    if (!marker.isOpen() || !::GetFileInformationByHandle(raw(marker), &info)
        || (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0
        || !lockFile(raw(marker), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY))
        return Handle();
    return marker;
}

qint64 freeBytes(const QString& path, int& error)
{
    // A share's name needs its closing "\".
    std::wstring folder = win::wide(path);
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    ULARGE_INTEGER available {};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
        error = win::lastErrno();
        return -1;
    }
    error = 0;
    return static_cast<qint64>(available.QuadPart);
}

unsigned exchangeCreationMask(unsigned)
{
    return 0;
}

void installStopHandlers()
{
    g_caught = 0;
    HANDLE finished = g_finished.load();
    if (finished == nullptr) {
        // Kept for the process's life: a handler may still wait on it.
        finished = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        g_finished = finished;
    } else {
        ::ResetEvent(finished);
    }
    ::SetConsoleCtrlHandler(note, TRUE);
}

void removeStopHandlers()
{
    ::SetConsoleCtrlHandler(note, FALSE);
    if (HANDLE finished = g_finished.load(); finished != nullptr)
        ::SetEvent(finished);
}

int caughtStopSignal()
{
    return g_caught;
}

} // namespace platform
