#include "platform/Cp932.h"

#include <windows.h>

// The code page through the system's own table, character by character, so
// that one the code page cannot hold becomes "?" and the rest still converts.
namespace platform {
namespace {

constexpr UINT kCp932 = 932;

} // namespace

QByteArray toCp932(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            out.append(static_cast<char>(unit));
            continue;
        }
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size()
            && text.at(i + 1).isLowSurrogate();
        const int units = pair ? 2 : 1;
        char bytes[4];
        BOOL usedDefault = FALSE;
        // No best fit: the system would turn "é" into "e" and the name would
        // silently change.
        const int n = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS,
            reinterpret_cast<const wchar_t*>(text.constData() + i), units, bytes, sizeof bytes,
            nullptr, &usedDefault);
        if (n <= 0 || usedDefault)
            out.append('?');
        else
            out.append(bytes, n);
        i += units - 1;
    }
    return out;
}

QString fromCp932(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b < 0x80) {
            out.append(QChar(b));
            continue;
        }
        const int length = (isCp932LeadByte(b) && i + 1 < bytes.size()) ? 2 : 1;
        wchar_t units[2];
        const int n = ::MultiByteToWideChar(
            kCp932, MB_ERR_INVALID_CHARS, bytes.constData() + i, length, units, 2);
        if (n > 0)
            out.append(QString::fromWCharArray(units, n));
        else
            out.append(QLatin1Char('?'));
        i += length - 1;
    }
    return out;
}

} // namespace platform
