#pragma once

#include <QByteArray>

// How a profile line's bytes are told apart, shared by both implementations
// of Profile.h so they refuse the same names.
namespace platform {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// text without the blanks around it.
QByteArray trimBlanks(const QByteArray& text);

// Position of c outside double-byte characters (a trail byte may be 0x5C or
// 0x5D), or -1.
qsizetype findSingleByte(const QByteArray& text, char c);

inline bool isOneLine(const QByteArray& text)
{
    return !text.contains('\r') && !text.contains('\n');
}

// A section (delimiter ']') or key (delimiter '=') that would read back as
// another one, or as a new line, is refused rather than written.
bool isWritableProfileName(const QByteArray& name, char delimiter);

} // namespace platform
