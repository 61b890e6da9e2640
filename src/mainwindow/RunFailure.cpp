#include "mainwindow/RunFailure.h"

#include "settings/clsIniFile.h"

namespace runfailure {

QString describe(int errorNumber, const QString& path)
{
    const QString text = clsIniFile::GetSysErrMessage(errorNumber);
    return path.isEmpty() ? text : text + QStringLiteral("\r\n") + path;
}

void setFirst(QString& strErrMsg, const QString& text)
{
    if (strErrMsg.isEmpty())
        strErrMsg = text;
}

} // namespace runfailure
