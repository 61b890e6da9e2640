#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace capicom {

// Base64 with a CR LF after every line of 64 characters, the last line
// included, as CryptBinaryToString(CRYPT_STRING_BASE64) writes it.
std::string encodeBase64Lines(std::span<const std::uint8_t> data);

// Decodes Base64 text, skipping CR and LF anywhere. False for any other
// character, a length that is not a whole number of 4-character groups, or
// '=' anywhere but at the end of the last group.
bool decodeBase64(std::span<const char> text, std::vector<std::uint8_t>& data);

} // namespace capicom
