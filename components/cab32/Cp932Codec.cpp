#include "Cp932Codec.h"

#include <cerrno>
#include <iconv.h>

namespace cab32 {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

iconv_t handle(void* h)
{
    return static_cast<iconv_t>(h);
}

// Converts all of in; stops at the first invalid sequence when lossy is false,
// else emits '?' for the offending byte and goes on.
std::optional<std::string> convert(void* converter, std::string_view in, bool lossy)
{
    iconv_t cd = handle(converter);
    if (cd == kNoConverter)
        return std::nullopt;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        int err = errno;
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (err == E2BIG)
            continue;
        if (!lossy)
            return std::nullopt;
        out.push_back('?');
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

} // namespace

Cp932Codec::Cp932Codec()
    : m_toUtf8(iconv_open("UTF-8", "CP932"))
    , m_fromUtf8(iconv_open("CP932", "UTF-8"))
{
}

Cp932Codec::~Cp932Codec()
{
    if (handle(m_toUtf8) != kNoConverter)
        iconv_close(handle(m_toUtf8));
    if (handle(m_fromUtf8) != kNoConverter)
        iconv_close(handle(m_fromUtf8));
}

bool Cp932Codec::valid() const
{
    return handle(m_toUtf8) != kNoConverter && handle(m_fromUtf8) != kNoConverter;
}

std::optional<std::string> Cp932Codec::toUtf8(std::string_view cp932)
{
    return convert(m_toUtf8, cp932, false);
}

std::string Cp932Codec::toUtf8Lossy(std::string_view cp932)
{
    return convert(m_toUtf8, cp932, true).value_or(std::string(cp932.size(), '?'));
}

std::optional<std::string> Cp932Codec::toCp932Exact(std::string_view utf8)
{
    auto encoded = convert(m_fromUtf8, utf8, false);
    if (!encoded)
        return std::nullopt;
    auto decoded = toUtf8(*encoded);
    if (!decoded || *decoded != utf8)
        return std::nullopt;
    return encoded;
}

bool isValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace cab32
