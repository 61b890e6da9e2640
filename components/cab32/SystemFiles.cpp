#include "SystemFiles.h"

#include <cerrno>
#include <utility>

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <new>

namespace cab32::sys {
namespace {

int errnoFrom(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CURRENT_DIRECTORY:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NEGATIVE_SEEK:
        return EINVAL;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    default:
        return EIO;
    }
}

bool failWith(DWORD error)
{
    errno = errnoFrom(error);
    return false;
}

bool failed()
{
    return failWith(GetLastError());
}

std::optional<std::wstring> widen(std::string_view text, UINT codePage)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(
        codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
        wide.data(), length);
    return wide;
}

// With exact, a character the code page lacks fails instead of turning into
// a look-alike or '?'.
std::optional<std::string> narrow(std::wstring_view wide, UINT codePage, bool exact)
{
    if (wide.empty())
        return std::string();
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS
        : exact                             ? WC_NO_BEST_FIT_CHARS
                                            : 0;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = codePage == CP_UTF8 || !exact ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(codePage, flags, wide.data(),
        static_cast<int>(wide.size()), nullptr, 0, nullptr, defaulted);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), text.data(),
        length, nullptr, nullptr);
    return text;
}

// UTF-8 with "/" or "\" as a wide path. Past MAX_PATH only the \\?\ form
// reaches, which takes no relative steps: the full path goes first.
bool widePath(const std::string& path, std::wstring& out)
{
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    auto wide = widen(path, CP_UTF8);
    if (!wide) {
        errno = EINVAL;
        return false;
    }
    std::replace(wide->begin(), wide->end(), L'/', L'\\');
    // "X:" alone would be the current folder of that drive.
    if (wide->size() == 2 && (*wide)[1] == L':')
        *wide += L'\\';
    if (wide->size() >= MAX_PATH - 12 && wide->compare(0, 4, L"\\\\?\\") != 0) {
        const DWORD needed = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
        std::wstring full(needed, L'\0');
        const DWORD length = GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
        if (needed == 0 || length == 0 || length >= needed)
            return failed();
        full.resize(length);
        *wide = full.compare(0, 2, L"\\\\") == 0 ? L"\\\\?\\UNC\\" + full.substr(2)
                                                 : L"\\\\?\\" + full;
    }
    out = std::move(*wide);
    return true;
}

constexpr long long kTicksPerSecond = 10000000;
constexpr long long kEpochSeconds = 11644473600; // from 1601 to 1970

void fromFiletime(const FILETIME& time, std::time_t& seconds, long& nanoseconds)
{
    const long long ticks = static_cast<long long>(
        static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
    seconds = static_cast<std::time_t>(ticks / kTicksPerSecond - kEpochSeconds);
    nanoseconds = static_cast<long>(ticks % kTicksPerSecond * 100);
}

bool toFiletime(std::time_t seconds, FILETIME& out)
{
    if (seconds < -kEpochSeconds)
        return false;
    const auto ticks = static_cast<unsigned long long>(seconds + kEpochSeconds) * kTicksPerSecond;
    out.dwLowDateTime = static_cast<DWORD>(ticks);
    out.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return true;
}

// Only links and junctions count as links; other reparse points (cloud or
// deduplicated files) are the files they stand for.
void fill(DWORD attributes, DWORD reparseTag, DWORD sizeHigh, DWORD sizeLow,
    const FILETIME& written, FileInfo& out)
{
    // A name surrogate (symbolic link, junction) leads elsewhere. Tag 0 is
    // no tag at all: the system could not tell, so it counts as a link too
    // (Wine shows a Linux link so).
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag)))
        out.kind = Kind::Link;
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        out.kind = Kind::Folder;
    else if (attributes & FILE_ATTRIBUTE_DEVICE)
        out.kind = Kind::Other;
    else
        out.kind = Kind::File;
    out.size = static_cast<uint64_t>(sizeHigh) << 32 | sizeLow;
    fromFiletime(written, out.mtime, out.mtimeNanoseconds);
    out.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool setAttributes(const std::wstring& path, DWORD attributes)
{
    attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    return SetFileAttributesW(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
}

// Opened only to ask about it; folders too.
HANDLE openToAsk(const std::wstring& path, DWORD access, DWORD flags)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

bool handleInfo(HANDLE handle, FileInfo& out, BY_HANDLE_FILE_INFORMATION* details = nullptr)
{
    BY_HANDLE_FILE_INFORMATION data;
    if (!GetFileInformationByHandle(handle, &data))
        return failed();
    fill(
        data.dwFileAttributes, 0, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime, out);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        out.kind = Kind::Other;
    if (details != nullptr)
        *details = data;
    return true;
}

HANDLE handleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// ReadFile and WriteFile at an offset move the position; pread and pwrite
// do not, and the callers count on that.
class KeepPosition {
public:
    explicit KeepPosition(HANDLE handle)
        : m_handle(handle)
    {
        m_known = SetFilePointerEx(handle, LARGE_INTEGER {}, &m_position, FILE_CURRENT);
    }
    ~KeepPosition()
    {
        if (m_known)
            SetFilePointerEx(m_handle, m_position, nullptr, FILE_BEGIN);
    }

private:
    HANDLE m_handle;
    LARGE_INTEGER m_position {};
    bool m_known;
};

OVERLAPPED at(uint64_t offset)
{
    OVERLAPPED where {};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

constexpr size_t kMaxChunk = 1u << 30;

} // namespace

bool canHoldName(std::string_view part)
{
    if (part.empty() || part.back() == '.' || part.back() == ' ')
        return false;
    for (const char c : part)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return false;
    // A device name, with or without an extension.
    std::string stem(part.substr(0, part.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : devices)
        if (stem == device)
            return false;
    return !(stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1'
             && stem[3] <= '9');
}

std::string slashPath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool linkInfo(const std::string& path, FileInfo& out)
{
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!widePath(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return wide.empty() ? false : failed();
    DWORD tag = 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileExW(
            wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
        if (find != INVALID_HANDLE_VALUE) {
            tag = found.dwReserved0;
            FindClose(find);
        }
    }
    fill(data.dwFileAttributes, tag, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime,
        out);
    return true;
}

bool fileInfo(const std::string& path, FileInfo& out)
{
    if (!linkInfo(path, out))
        return false;
    if (out.kind != Kind::Link)
        return true;
    std::wstring wide;
    widePath(path, wide);
    HANDLE handle = openToAsk(wide, FILE_READ_ATTRIBUTES, 0);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    const bool ok = handleInfo(handle, out);
    CloseHandle(handle);
    return ok;
}

bool sameFile(const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION ids[2];
    const std::string* paths[2] = { &a, &b };
    for (int i = 0; i < 2; ++i) {
        std::wstring wide;
        if (!widePath(*paths[i], wide))
            return false;
        HANDLE handle = openToAsk(wide, FILE_READ_ATTRIBUTES, 0);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        FileInfo ignored;
        const bool ok = handleInfo(handle, ignored, &ids[i]);
        CloseHandle(handle);
        if (!ok)
            return false;
    }
    return ids[0].dwVolumeSerialNumber == ids[1].dwVolumeSerialNumber
        && ids[0].nFileIndexHigh == ids[1].nFileIndexHigh
        && ids[0].nFileIndexLow == ids[1].nFileIndexLow;
}

bool listFolder(const std::string& folder, std::vector<FolderEntry>& out)
{
    out.clear();
    std::wstring pattern;
    if (!widePath(folder, pattern))
        return false;
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
        nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." or "..": empty, it has no entry at all.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? true : failWith(error);
    }
    do {
        std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        FolderEntry entry;
        // A name with a lone surrogate has no UTF-8 spelling to reopen it by.
        if (auto utf8 = narrow(name, CP_UTF8, true)) {
            entry.name = std::move(*utf8);
            fill(found.dwFileAttributes, found.dwReserved0, found.nFileSizeHigh, found.nFileSizeLow,
                found.ftLastWriteTime, entry.info);
        } else {
            entry.name = narrow(name, CP_ACP, false).value_or("?");
        }
        out.push_back(std::move(entry));
    } while (FindNextFileW(find, &found));
    const DWORD error = GetLastError();
    FindClose(find);
    return error == ERROR_NO_MORE_FILES ? true : failWith(error);
}

bool makeFolder(const std::string& path)
{
    std::wstring wide;
    if (!widePath(path, wide))
        return false;
    if (CreateDirectoryW(wide.c_str(), nullptr))
        return true;
    const DWORD error = GetLastError();
    // A drive's root is refused as access denied.
    if (error == ERROR_ACCESS_DENIED && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES)
        return failWith(ERROR_ALREADY_EXISTS);
    return failWith(error);
}

// As on POSIX, a read-only file is removed and replaced like any other.
bool removeFile(const std::string& path)
{
    std::wstring wide;
    if (!widePath(path, wide))
        return false;
    if (DeleteFileW(wide.c_str()))
        return true;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES
        || !(attributes & FILE_ATTRIBUTE_READONLY))
        return failWith(error);
    setAttributes(wide, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    if (DeleteFileW(wide.c_str()))
        return true;
    const DWORD again = GetLastError();
    setAttributes(wide, attributes);
    return failWith(again);
}

bool moveFile(const std::string& from, const std::string& to, bool replace)
{
    std::wstring source, target;
    if (!widePath(from, source) || !widePath(to, target))
        return false;
    const DWORD flags = replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (MoveFileExW(source.c_str(), target.c_str(), flags))
        return true;
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (replace && error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        setAttributes(target, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        if (MoveFileExW(source.c_str(), target.c_str(), flags))
            return true;
        error = GetLastError();
        setAttributes(target, attributes);
    }
    return failWith(error);
}

bool setModified(const std::string& path, std::time_t when)
{
    std::wstring wide;
    FILETIME written, now;
    if (!widePath(path, wide))
        return false;
    if (!toFiletime(when, written)) {
        errno = EINVAL;
        return false;
    }
    GetSystemTimeAsFileTime(&now);
    HANDLE handle = openToAsk(wide, FILE_WRITE_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    const bool ok = SetFileTime(handle, nullptr, &now, &written) || failed();
    CloseHandle(handle);
    return ok;
}

bool makeReadOnly(const std::string& path)
{
    std::wstring wide;
    if (!widePath(path, wide))
        return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES
        || !setAttributes(wide, attributes | FILE_ATTRIBUTE_READONLY))
        return failed();
    return true;
}

// The zone's rules for that date, as Explorer shows it; the C runtime would
// read a TZ variable in its own syntax instead.
bool toLocalTime(std::time_t when, std::tm& out)
{
    FILETIME time;
    SYSTEMTIME utc, local;
    if (!toFiletime(when, time) || !FileTimeToSystemTime(&time, &utc)
        || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    out = std::tm {};
    out.tm_year = local.wYear - 1900;
    out.tm_mon = local.wMonth - 1;
    out.tm_mday = local.wDay;
    out.tm_hour = local.wHour;
    out.tm_min = local.wMinute;
    out.tm_sec = local.wSecond;
    out.tm_wday = local.wDayOfWeek;
    out.tm_isdst = -1;
    return true;
}

std::optional<std::time_t> fromLocalTime(const std::tm& local)
{
    // Fields out of range carry over as mktime() carries them: day 31 of
    // February is in March.
    long long year = local.tm_year + 1900LL + local.tm_mon / 12;
    int month = local.tm_mon % 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    const long long y = year - (month < 2);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (month + (month >= 2 ? -2 : 10)) + 2) / 5;
    const long long days
        = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468 + local.tm_mday - 1;
    const long long seconds
        = days * 86400 + local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
    FILETIME time;
    SYSTEMTIME asWritten, utc;
    if (!toFiletime(static_cast<std::time_t>(seconds), time)
        || !FileTimeToSystemTime(&time, &asWritten)
        || !TzSpecificLocalTimeToSystemTime(nullptr, &asWritten, &utc)
        || !SystemTimeToFileTime(&utc, &time))
        return std::nullopt;
    std::time_t when;
    long ignored;
    fromFiletime(time, when, ignored);
    return when;
}

long processId()
{
    return static_cast<long>(GetCurrentProcessId());
}

struct Converter {
    bool fromCp932;
};

Converter* openConverter(bool fromCp932)
{
    return new (std::nothrow) Converter { fromCp932 };
}

void closeConverter(Converter* converter)
{
    delete converter;
}

constexpr UINT kCp932 = 932;

// Windows' table maps 0x80 to U+0080 both ways, glibc's has no 0x80; left
// out so a name is stored and read alike on both.
std::optional<std::wstring> decode932(std::string_view in)
{
    auto wide = widen(in, kCp932);
    if (wide && wide->find(L'\x80') != std::wstring::npos)
        return std::nullopt;
    return wide;
}

std::optional<std::string> convert(Converter* converter, std::string_view in, bool lossy)
{
    if (converter == nullptr)
        return std::nullopt;
    if (!converter->fromCp932) {
        auto wide = widen(in, CP_UTF8);
        if (!wide || wide->find(L'\x80') != std::wstring::npos)
            return std::nullopt;
        return narrow(*wide, kCp932, !lossy);
    }
    if (auto wide = decode932(in))
        return narrow(*wide, CP_UTF8, true);
    if (!lossy)
        return std::nullopt;
    // Character by character, so one bad byte costs one '?'.
    std::string out;
    for (size_t i = 0; i < in.size();) {
        const size_t width
            = i + 1 < in.size() && IsDBCSLeadByteEx(kCp932, static_cast<BYTE>(in[i])) ? 2 : 1;
        auto wide = decode932(in.substr(i, width));
        auto utf8 = wide ? narrow(*wide, CP_UTF8, true) : std::nullopt;
        if (utf8) {
            out += *utf8;
            i += width;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

bool File::open(const std::string& path, Open mode)
{
    close();
    std::wstring wide;
    if (!widePath(path, wide))
        return false;
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    DWORD disposition = OPEN_EXISTING;
    // Folders open for reading too and then fail to read, as on POSIX.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    switch (mode) {
    case Open::Read:
        break;
    case Open::Source:
        flags |= FILE_FLAG_SEQUENTIAL_SCAN;
        break;
    case Open::Replace:
    case Open::CreateNew:
        access = GENERIC_WRITE;
        share = FILE_SHARE_READ | FILE_SHARE_DELETE;
        disposition = mode == Open::Replace ? CREATE_ALWAYS : CREATE_NEW;
        flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
        break;
    }
    HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failed();
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

long long File::read(void* buffer, size_t size)
{
    DWORD got = 0;
    if (ReadFile(handleOf(m_handle), buffer, static_cast<DWORD>(std::min(size, kMaxChunk)), &got,
            nullptr))
        return got;
    const DWORD error = GetLastError();
    return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE ? 0 : (failWith(error), -1);
}

long long File::readAt(uint64_t offset, void* buffer, size_t size)
{
    KeepPosition keep(handleOf(m_handle));
    OVERLAPPED where = at(offset);
    DWORD got = 0;
    if (ReadFile(handleOf(m_handle), buffer, static_cast<DWORD>(std::min(size, kMaxChunk)), &got,
            &where))
        return got;
    const DWORD error = GetLastError();
    return error == ERROR_HANDLE_EOF ? 0 : (failWith(error), -1);
}

bool File::writeAll(const void* data, size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD wrote = 0;
        if (!WriteFile(handleOf(m_handle), bytes, static_cast<DWORD>(std::min(size, kMaxChunk)),
                &wrote, nullptr))
            return failed();
        if (wrote == 0)
            return failWith(ERROR_DISK_FULL);
        bytes += wrote;
        size -= wrote;
    }
    return true;
}

bool File::writeAllAt(uint64_t offset, const void* data, size_t size)
{
    KeepPosition keep(handleOf(m_handle));
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        OVERLAPPED where = at(offset);
        DWORD wrote = 0;
        if (!WriteFile(handleOf(m_handle), bytes, static_cast<DWORD>(std::min(size, kMaxChunk)),
                &wrote, &where))
            return failed();
        if (wrote == 0)
            return failWith(ERROR_DISK_FULL);
        bytes += wrote;
        size -= wrote;
        offset += wrote;
    }
    return true;
}

long long File::seek(long long offset, Whence whence)
{
    const DWORD method = whence == Whence::Start ? FILE_BEGIN
        : whence == Whence::Current              ? FILE_CURRENT
                                                 : FILE_END;
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handleOf(m_handle), distance, &position, method))
        return failed(), -1;
    return position.QuadPart;
}

bool File::info(FileInfo& out)
{
    return handleInfo(handleOf(m_handle), out);
}

bool File::sync()
{
    return FlushFileBuffers(handleOf(m_handle)) || failed();
}

bool File::close()
{
    if (m_handle == -1)
        return true;
    const bool ok = CloseHandle(handleOf(m_handle));
    m_handle = -1;
    return ok || failed();
}

} // namespace cab32::sys

#else

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace cab32::sys {
namespace {

void fill(const struct stat& st, FileInfo& out)
{
    out.kind = S_ISREG(st.st_mode) ? Kind::File
        : S_ISDIR(st.st_mode)      ? Kind::Folder
        : S_ISLNK(st.st_mode)      ? Kind::Link
                                   : Kind::Other;
    out.size = static_cast<uint64_t>(st.st_size);
    out.mtime = st.st_mtim.tv_sec;
    out.mtimeNanoseconds = st.st_mtim.tv_nsec;
    out.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
};

// Moves from onto to without replacing an entry that appeared meanwhile.
bool renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat st;
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from, to) == 0;
}

} // namespace

bool canHoldName(std::string_view)
{
    return true;
}

std::string slashPath(std::string path)
{
    return path;
}

bool linkInfo(const std::string& path, FileInfo& out)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    fill(st, out);
    return true;
}

bool fileInfo(const std::string& path, FileInfo& out)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    fill(st, out);
    return true;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
        && sa.st_ino == sb.st_ino;
}

bool listFolder(const std::string& folder, std::vector<FolderEntry>& out)
{
    out.clear();
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry found { std::string(name), {} };
        struct stat st;
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            fill(st, found.info);
        out.push_back(std::move(found));
    }
    return true;
}

bool makeFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool moveFile(const std::string& from, const std::string& to, bool replace)
{
    return replace ? ::rename(from.c_str(), to.c_str()) == 0
                   : renameNoReplace(from.c_str(), to.c_str());
}

bool setModified(const std::string& path, std::time_t when)
{
    timespec times[2] = { { 0, UTIME_NOW }, { when, 0 } };
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool makeReadOnly(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && ::chmod(path.c_str(), st.st_mode & 07555) == 0;
}

bool toLocalTime(std::time_t when, std::tm& out)
{
    return localtime_r(&when, &out) != nullptr;
}

std::optional<std::time_t> fromLocalTime(const std::tm& local)
{
    std::tm copy = local;
    copy.tm_isdst = -1;
    std::time_t when = std::mktime(&copy);
    if (when == static_cast<std::time_t>(-1))
        return std::nullopt;
    return when;
}

long processId()
{
    return static_cast<long>(::getpid());
}

// glibc's "CP932" is Microsoft's table.
struct Converter {
    iconv_t handle;
};

Converter* openConverter(bool fromCp932)
{
    iconv_t handle = fromCp932 ? iconv_open("UTF-8", "CP932") : iconv_open("CP932", "UTF-8");
    if (handle == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    auto* converter = new (std::nothrow) Converter { handle };
    if (converter == nullptr)
        iconv_close(handle);
    return converter;
}

void closeConverter(Converter* converter)
{
    if (converter != nullptr)
        iconv_close(converter->handle);
    delete converter;
}

std::optional<std::string> convert(Converter* converter, std::string_view in, bool lossy)
{
    if (converter == nullptr)
        return std::nullopt;
    iconv_t cd = converter->handle;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        int err = errno;
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (err == E2BIG)
            continue;
        if (!lossy)
            return std::nullopt;
        out.push_back('?');
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

bool File::open(const std::string& path, Open mode)
{
    close();
    int fd = -1;
    switch (mode) {
    case Open::Read:
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        break;
    case Open::Source:
        // Non-blocking: a file swapped for a FIFO since the scan must not
        // hang the call.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0)
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        break;
    case Open::Replace:
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        break;
    case Open::CreateNew:
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        break;
    }
    m_handle = fd;
    return fd >= 0;
}

long long File::read(void* buffer, size_t size)
{
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(m_handle), buffer, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

long long File::readAt(uint64_t offset, void* buffer, size_t size)
{
    for (;;) {
        const ssize_t got
            = ::pread(static_cast<int>(m_handle), buffer, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool File::writeAll(const void* data, size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(m_handle), bytes, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool File::writeAllAt(uint64_t offset, const void* data, size_t size)
{
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::pwrite(static_cast<int>(m_handle), bytes, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

long long File::seek(long long offset, Whence whence)
{
    const int how = whence == Whence::Start ? SEEK_SET
        : whence == Whence::Current         ? SEEK_CUR
                                            : SEEK_END;
    return ::lseek(static_cast<int>(m_handle), static_cast<off_t>(offset), how);
}

bool File::info(FileInfo& out)
{
    struct stat st;
    if (::fstat(static_cast<int>(m_handle), &st) != 0)
        return false;
    fill(st, out);
    return true;
}

bool File::sync()
{
    return ::fdatasync(static_cast<int>(m_handle)) == 0;
}

bool File::close()
{
    if (m_handle == -1)
        return true;
    const int rc = ::close(static_cast<int>(m_handle));
    m_handle = -1;
    return rc == 0;
}

} // namespace cab32::sys

#endif

namespace cab32::sys {

File::~File()
{
    close();
}

File::File(File&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1))
{
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, -1);
    }
    return *this;
}

} // namespace cab32::sys
