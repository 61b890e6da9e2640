#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// CP932 at the interface, UTF-16LE inside (what CAPICOM hashes and encrypts),
// through the system's converter (SystemCrypto.h).
namespace capicom {

// CP932 bytes to UTF-16LE bytes; a byte sequence that is not CP932 becomes
// '?'. False only when the converter itself is unavailable.
bool cp932ToUtf16le(std::span<const char> text, std::vector<std::uint8_t>& utf16);

// UTF-16LE bytes (even count) to CP932; a character CP932 cannot hold, or a
// lone surrogate, becomes '?'. False when the converter is unavailable.
bool utf16leToCp932(std::span<const std::uint8_t> utf16, std::string& text);

// UTF-8 (our message texts) to CP932; the input is returned unchanged when
// the converter is unavailable.
std::string utf8ToCp932(const std::string& text);

} // namespace capicom
