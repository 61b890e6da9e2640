#pragma once

#include <QString>

// The program's fixed pass phrase. It keys both the encrypted output file
// (mode 0) and the PASSWORD value stored in the settings file (mode 1), so
// changing it makes every earlier output and settings file unreadable.
inline constexpr char16_t kPassPhrase[] = u"Zubq";

inline QString passPhrase()
{
    return QString::fromUtf16(kPassPhrase);
}
