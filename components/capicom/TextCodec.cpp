#include "TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace capicom {
namespace {

struct IconvClose {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvPtr = std::unique_ptr<void, IconvClose>;

IconvPtr openIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : IconvPtr(cd);
}

// How many input bytes to skip at a sequence the converter refused.
using SkipRule = std::size_t (*)(const char* in, std::size_t left);

std::size_t skipOneByte(const char*, std::size_t)
{
    return 1;
}

// A high surrogate and its partner go as one; anything else as one unit.
std::size_t skipUtf16Unit(const char* in, std::size_t left)
{
    const auto high = static_cast<unsigned char>(in[1]);
    const bool pair = left >= 4 && high >= 0xD8 && high <= 0xDB
                      && static_cast<unsigned char>(in[3]) >= 0xDC && static_cast<unsigned char>(in[3]) <= 0xDF;
    return left < 2 ? left : (pair ? 4 : 2);
}

// Converts all of input; a refused or cut-off sequence becomes replacement.
bool convert(const char* to, const char* from, std::span<const char> input, const std::string& replacement,
             SkipRule skip, std::string& output)
{
    IconvPtr cd = openIconv(to, from);
    if (!cd)
        return false;
    output.clear();
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != static_cast<std::size_t>(-1) || error == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace the sequence and go on after it.
        output += replacement;
        const std::size_t step = error == EINVAL ? inLeft : skip(in, inLeft);
        in += step;
        inLeft -= step;
        iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

} // namespace

bool cp932ToUtf16le(std::span<const char> text, std::vector<std::uint8_t>& utf16)
{
    std::string bytes;
    if (!convert("UTF-16LE", "CP932", text, std::string("?\0", 2), skipOneByte, bytes))
        return false;
    utf16.assign(bytes.begin(), bytes.end());
    return true;
}

bool utf16leToCp932(std::span<const std::uint8_t> utf16, std::string& text)
{
    const std::span<const char> input(reinterpret_cast<const char*>(utf16.data()), utf16.size());
    return convert("CP932", "UTF-16LE", input, "?", skipUtf16Unit, text);
}

std::string utf8ToCp932(const std::string& text)
{
    std::string converted;
    if (!convert("CP932", "UTF-8", text, "?", skipOneByte, converted))
        return text;
    return converted;
}

} // namespace capicom
