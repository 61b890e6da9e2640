#include "platform/Cp932.h"

// The code page through glibc's iconv, whose CP932 is Microsoft's table.

#include <cerrno>
#include <iconv.h>
#include <utility>

namespace platform {
namespace {

// One conversion descriptor per call: iconv_t keeps shift state and is not
// safe to share, and these conversions are short.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one piece; false when iconv rejects it as a whole.
    bool convert(const char* in, size_t inLength, QByteArray& out)
    {
        char buffer[64];
        auto* src = const_cast<char*>(in);
        size_t srcLeft = inLength;
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<qsizetype>(dst - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

QByteArray toCp932(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    Iconv cd("CP932", "UTF-16LE");
    // Character by character, so that one the code page cannot hold becomes
    // '?' and the rest still converts.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit < 0x80) {
            out.append(static_cast<char>(unit));
            continue;
        }
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size()
                          && text.at(i + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const auto* data = reinterpret_cast<const char*>(text.constData() + i);
        const qsizetype before = out.size();
        if (!cd.valid() || !cd.convert(data, static_cast<size_t>(units) * 2, out)) {
            out.truncate(before);
            out.append('?');
        }
        i += units - 1;
    }
    return out;
}

QString fromCp932(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    Iconv cd("UTF-16LE", "CP932");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (b < 0x80) {
            out.append(QChar(b));
            continue;
        }
        const qsizetype length = (isCp932LeadByte(b) && i + 1 < bytes.size()) ? 2 : 1;
        QByteArray utf16;
        if (cd.valid() && cd.convert(bytes.constData() + i, static_cast<size_t>(length), utf16)
            && !utf16.isEmpty()) {
            out.append(QString(reinterpret_cast<const QChar*>(utf16.constData()),
                               utf16.size() / 2));
        } else {
            out.append(QLatin1Char('?'));
        }
        i += length - 1;
    }
    return out;
}

} // namespace platform
