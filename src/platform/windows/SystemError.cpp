#include "platform/SystemError.h"

#include <cstring>

namespace platform {

QString systemErrorText(int errorNumber)
{
    // The C runtime's texts for the errno values the platform layer reports;
    // numbers it does not know read "Unknown error".
    if (errorNumber <= 0)
        return QString();
    const char* text = std::strerror(errorNumber);
    if (text == nullptr || std::strncmp(text, "Unknown error", 13) == 0)
        return QString();
    return QString::fromLocal8Bit(text);
}

} // namespace platform
