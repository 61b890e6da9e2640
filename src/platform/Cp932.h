#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 (Shift_JIS as Windows defines it) through glibc iconv "CP932".
// Text inside the program is UTF-16 QString; files and the two components
// take CP932 bytes.
namespace platform {

// Encodes text as CP932. A character the code page cannot hold becomes the
// single byte '?', as the Windows ANSI conversion does. Never fails.
QByteArray toCp932(const QString& text);

// Decodes CP932 bytes. A byte sequence that is not CP932 becomes '?'.
QString fromCp932(const QByteArray& bytes);

// Byte length of text once encoded as CP932 (full-width 2, half-width 1,
// an unrepresentable character 1).
int cp932Length(const QString& text);

// True when b is a CP932 lead byte (0x81..0x9F, 0xE0..0xFC), so the byte
// after it is its trail byte and never a delimiter such as '\\' or ']'.
constexpr bool isCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace platform
