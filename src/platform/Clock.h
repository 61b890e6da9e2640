#pragma once

#include <QDateTime>
#include <functional>

namespace platform {

// The local clock, as a value so tests can fix the time.
using Clock = std::function<QDateTime()>;

inline Clock systemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

} // namespace platform
