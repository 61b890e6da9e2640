#include "platform/SystemError.h"

#include <cstring>
#include <system_error>

namespace platform {

QString systemErrorText(int errorNumber)
{
    // glibc names every number it has a text for; others are "Unknown error".
    if (errorNumber == 0 || strerrorname_np(errorNumber) == nullptr)
        return QString();
    return QString::fromLocal8Bit(std::system_category().message(errorNumber));
}

} // namespace platform
