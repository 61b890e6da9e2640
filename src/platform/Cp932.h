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

// The first character of text (one, or a surrogate pair) that code page 932
// does not give back as it was typed, or an empty string when it holds them
// all. A "?" of toCp932 would silently replace it. With twinsHeld, the
// characters that Linux input methods type where Windows has its own code
// point for the same key ("〜" U+301C for "～" U+FF5E, "−", "‖", "—", "¢",
// "£", "¬") count as held: they reach the file as the bytes Windows writes
// for that key, and the receiver reads the character it expects. A path
// needs them exact, since the file system knows only the typed form.
QString firstCharOutsideCp932(const QString& text, bool twinsHeld);

// text with those seven characters replaced by their Windows twins.
QString windowsSpelling(const QString& text);

// True when b is a CP932 lead byte (0x81..0x9F, 0xE0..0xFC), so the byte
// after it is its trail byte and never a delimiter such as '\\' or ']'.
constexpr bool isCp932LeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace platform
