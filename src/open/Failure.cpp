#include "open/Failure.h"

#include "platform/SystemError.h"

namespace opener {

Failure notAnOutput(const QString& reasonJa, const QString& reasonEn, const QString& file)
{
    return { ExitCode::NotAnOutput,
        QStringLiteral(
            "トルメアの出力ファイルではありません（%1） / not a Tamberlox output (%2): %3")
            .arg(reasonJa, reasonEn, file) };
}

Failure ioFailure(
    const QString& whatJa, const QString& whatEn, const QString& path, const QString& detail)
{
    QString line = whatJa + QStringLiteral(" / ") + whatEn + QStringLiteral(": ") + path;
    if (!detail.isEmpty())
        line += QStringLiteral(": ") + detail;
    return { ExitCode::IoFailure, line };
}

Failure systemFailure(
    const QString& whatJa, const QString& whatEn, const QString& path, int errorNumber)
{
    QString text = platform::systemErrorText(errorNumber);
    if (text.isEmpty())
        text = QStringLiteral("errno %1").arg(errorNumber);
    return ioFailure(whatJa, whatEn, path, text);
}

} // namespace opener
