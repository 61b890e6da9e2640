#include "TextCodec.h"

#include "SystemCrypto.h"

namespace capicom {

bool cp932ToUtf16le(std::span<const char> text, std::vector<std::uint8_t>& utf16)
{
    std::string bytes;
    if (!sys::convertText(sys::Encoding::Cp932, sys::Encoding::Utf16le, text, bytes))
        return false;
    utf16.assign(bytes.begin(), bytes.end());
    return true;
}

bool utf16leToCp932(std::span<const std::uint8_t> utf16, std::string& text)
{
    const std::span<const char> input(reinterpret_cast<const char*>(utf16.data()), utf16.size());
    return sys::convertText(sys::Encoding::Utf16le, sys::Encoding::Cp932, input, text);
}

std::string utf8ToCp932(const std::string& text)
{
    std::string converted;
    if (!sys::convertText(sys::Encoding::Utf8, sys::Encoding::Cp932, text, converted))
        return text;
    return converted;
}

} // namespace capicom
