#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>

namespace platform {

QString systemErrorText(int errorNumber)
{
    // The C runtime's texts for the errno values the platform layer reports;
    // numbers it does not know read "Unknown error".
    if (errorNumber <= 0)
        return QString();
    // POSIX numbers the C runtime defines but has no text for; the texts
    // the Linux build shows.
    switch (errorNumber) {
    case ELOOP:
        return QStringLiteral("Too many levels of symbolic links");
    case ECANCELED:
        return QStringLiteral("Operation canceled");
    case EOVERFLOW:
        return QStringLiteral("Value too large for defined data type");
    case ENOTSUP:
        return QStringLiteral("Operation not supported");
    default:
        break;
    }
    const char* text = std::strerror(errorNumber);
    if (text == nullptr || std::strncmp(text, "Unknown error", 13) == 0)
        return QString();
    return QString::fromLocal8Bit(text);
}

} // namespace platform
