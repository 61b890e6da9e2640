#include "platform/DateTimeText.h"

namespace platform {

QString formatDateTime(const QDateTime& when, DateTimePattern pattern)
{
    const QDateTime local = when.toLocalTime();
    // The C locale keeps the digits ASCII whatever the user's locale.
    const QLocale c = QLocale::c();
    switch (pattern) {
    case DateTimePattern::Japanese:
        return c.toString(local, QStringLiteral("yyyy年MM月dd日HH時mm分ss秒"));
    case DateTimePattern::Compact:
        return c.toString(local, QStringLiteral("yyyyMMddHHmmss"));
    case DateTimePattern::Dated:
        return c.toString(local, QStringLiteral("yyyyMMdd_HHmmss"));
    }
    return QString();
}

} // namespace platform
