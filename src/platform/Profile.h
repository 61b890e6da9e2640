#pragma once

#include <QByteArray>
#include <QString>

// Our own GetPrivateProfileStringA / GetPrivateProfileIntA /
// WritePrivateProfileStringA: sections, keys and values are CP932 bytes, the
// file is read and written as Windows reads and writes it.
//
// Lines end in LF or CR LF. A line longer than 64 KiB is read as if it ended
// after its first 64 KiB (one byte less when that would split a double-byte
// character): blanks before that cut are trimmed, and quotes around its value
// are stripped only when the cut happens to leave a matching last quote. A
// key or header past that point is not seen, by reads or by writes (a
// rewrite still keeps every other line whole).
namespace platform {

// Value of key in section of the file, or defaultValue when the file, the
// section or the key is missing. At most bufferSize - 1 bytes are returned
// (a double-byte character cut in half is dropped). The file is read a line
// at a time, in memory bounded whatever its size. Never fails: a read that
// runs out of memory gives defaultValue.
QByteArray getProfileString(const QByteArray& section, const QByteArray& key,
                            const QByteArray& defaultValue, int bufferSize,
                            const QString& path);

// The key's value read as an integer (leading blanks skipped, decimal digits
// or 0x hex, the rest ignored), or defaultValue when the key is missing (or
// the read runs out of memory).
int getProfileInt(const QByteArray& section, const QByteArray& key, int defaultValue,
                  const QString& path);

// Sets key in section to value: the key's line is replaced in place, or the
// key is added after the last key of its section, or the section is added at
// the end of the file, or the file is created. Every other line stays as it
// was. The file is replaced atomically (writeFileAtomically, new files 0600).
// The whole file is held to rewrite it, so a file over 16 MiB is refused
// with EFBIG before anything is read or written. Returns 0 on success, else
// an errno value (ENOMEM when memory runs out). Never throws.
int writeProfileString(const QByteArray& section, const QByteArray& key,
                       const QByteArray& value, const QString& path);

} // namespace platform
