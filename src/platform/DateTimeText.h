#pragma once

#include <QDateTime>
#include <QString>

namespace platform {

// The date-time patterns of the program, all on the 24-hour clock with
// zero-padded fields, in local time.
enum class DateTimePattern {
    Japanese,   // YYYY年MM月DD日HH時mm分ss秒
    Compact,    // YYYYMMDDHHmmSS
    Dated,      // YYYYMMDD_HHmmSS
};

QString formatDateTime(const QDateTime& when, DateTimePattern pattern);

} // namespace platform
