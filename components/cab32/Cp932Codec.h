#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cab32 {

namespace sys {
struct Converter;
}

// Code page 932 <-> UTF-8 through the system's converters (glibc iconv
// "CP932", Windows code page 932). One instance per call of the component;
// not shared between threads.
class Cp932Codec {
public:
    Cp932Codec();
    ~Cp932Codec();
    Cp932Codec(const Cp932Codec&) = delete;
    Cp932Codec& operator=(const Cp932Codec&) = delete;

    // False when the system has no CP932 converter.
    bool valid() const;

    // CP932 bytes as UTF-8; nullopt when the bytes are not CP932.
    std::optional<std::string> toUtf8(std::string_view cp932);

    // As toUtf8, but every byte that does not decode becomes '?'.
    std::string toUtf8Lossy(std::string_view cp932);

    // UTF-8 text as CP932 bytes, only when decoding them gives the very same
    // text back: glibc maps U+00A5 to 0x5C and U+2212 to 0x817C, which would
    // change the name (0x5C even into a folder separator).
    std::optional<std::string> toCp932Exact(std::string_view utf8);

private:
    sys::Converter* m_toUtf8;
    sys::Converter* m_fromUtf8;
};

// True when text is well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view text);

} // namespace cab32
