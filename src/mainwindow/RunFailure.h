#pragma once

#include <QString>

// Descriptions of failures inside the output steps.
namespace runfailure {

// The system's text for errorNumber, and on a second line the path it
// concerns, so the user knows which file or folder failed.
QString describe(int errorNumber, const QString& path);

// Keeps the first message: text is taken only when strErrMsg is empty.
void setFirst(QString& strErrMsg, const QString& text);

} // namespace runfailure
