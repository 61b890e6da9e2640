#include "platform/Profile.h"

#include "platform/Cp932.h"
#include "platform/ProfileText.h"
#include "platform/windows/WideNames.h"

#include <QDir>

#include <cerrno>
#include <vector>
#include <windows.h>

// The system's own profile functions, in their ANSI form: the file, its
// sections, keys and values are code page 932, the program's ANSI code page.
namespace platform {
namespace {

// The path as the ANSI functions take it; empty when code page 932 cannot
// spell it, so the call fails instead of reaching a "?" name.
QByteArray ansiPath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    const QByteArray bytes = toCp932(native);
    return fromCp932(bytes) == native ? bytes : QByteArray();
}

} // namespace

QByteArray getProfileString(const QByteArray& section, const QByteArray& key,
    const QByteArray& defaultValue, int bufferSize, const QString& path)
{
    const QByteArray file = ansiPath(path);
    if (bufferSize <= 0 || file.isEmpty())
        return QByteArray();
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    const DWORD n = ::GetPrivateProfileStringA(section.constData(), key.constData(),
        defaultValue.constData(), buffer.data(), static_cast<DWORD>(bufferSize), file.constData());
    // Wine counts a NUL it wrote where a double-byte character did not fit.
    return QByteArray(buffer.data(), static_cast<qsizetype>(qstrnlen(buffer.data(), n)));
}

int getProfileInt(
    const QByteArray& section, const QByteArray& key, int defaultValue, const QString& path)
{
    const QByteArray file = ansiPath(path);
    if (file.isEmpty())
        return defaultValue;
    return static_cast<int>(::GetPrivateProfileIntA(
        section.constData(), key.constData(), defaultValue, file.constData()));
}

// WritePrivateProfileString rewrites the file in place; it works on a copy
// beside it instead, which then replaces the file in one step, so a crash
// never leaves the settings half-written.
int writeProfileString(
    const QByteArray& section, const QByteArray& key, const QByteArray& value, const QString& path)
{
    const QByteArray file = ansiPath(path);
    // The system would write these as given, to read back as other names.
    if (file.isEmpty() || !isWritableProfileName(section, ']') || !isWritableProfileName(key, '=')
        || !isOneLine(value))
        return EINVAL;
    const QByteArray copy = file + ".~tmp";
    const std::wstring target = win::wide(path);
    const std::wstring staged = win::wide(fromCp932(copy));
    ::DeleteFileW(staged.c_str());
    const DWORD existing = ::GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if ((existing & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return EISDIR;
        if ((existing & FILE_ATTRIBUTE_READONLY) != 0)
            return EACCES;
        if (!::CopyFileW(target.c_str(), staged.c_str(), FALSE))
            return win::lastErrno();
    }
    int rc = 0;
    if (!::WritePrivateProfileStringA(
            section.constData(), key.constData(), value.constData(), copy.constData()))
        rc = win::lastErrno();
    if (rc == 0
        && !::MoveFileExW(
            staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        rc = win::lastErrno();
    if (rc != 0)
        ::DeleteFileW(staged.c_str());
    return rc;
}

} // namespace platform
