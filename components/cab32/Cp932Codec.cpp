#include "Cp932Codec.h"

#include "SystemFiles.h"

namespace cab32 {

Cp932Codec::Cp932Codec()
    : m_toUtf8(sys::openConverter(true))
    , m_fromUtf8(sys::openConverter(false))
{
}

Cp932Codec::~Cp932Codec()
{
    sys::closeConverter(m_toUtf8);
    sys::closeConverter(m_fromUtf8);
}

bool Cp932Codec::valid() const
{
    return m_toUtf8 != nullptr && m_fromUtf8 != nullptr;
}

std::optional<std::string> Cp932Codec::toUtf8(std::string_view cp932)
{
    return sys::convert(m_toUtf8, cp932, false);
}

std::string Cp932Codec::toUtf8Lossy(std::string_view cp932)
{
    return sys::convert(m_toUtf8, cp932, true).value_or(std::string(cp932.size(), '?'));
}

std::optional<std::string> Cp932Codec::toCp932Exact(std::string_view utf8)
{
    auto encoded = sys::convert(m_fromUtf8, utf8, false);
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
