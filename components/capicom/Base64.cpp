#include "Base64.h"

namespace capicom {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::size_t kLineLength = 64;

int valueOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Decodes one group of four characters; padding says how many '=' end it.
bool decodeGroup(const char* group, bool isLast, std::vector<std::uint8_t>& data)
{
    int padding = 0;
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) {
        const int value = valueOf(group[i]);
        if (value < 0) {
            if (group[i] != '=' || !isLast || i < 2)
                return false;
            ++padding;
        } else if (padding > 0) {
            return false; // a character after '='
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value < 0 ? 0 : value);
    }
    data.push_back(static_cast<std::uint8_t>(bits >> 16));
    if (padding < 2)
        data.push_back(static_cast<std::uint8_t>(bits >> 8));
    if (padding < 1)
        data.push_back(static_cast<std::uint8_t>(bits));
    return true;
}

} // namespace

std::string encodeBase64Lines(std::span<const std::uint8_t> data)
{
    std::string plain;
    plain.reserve((data.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t left = data.size() - i;
        std::uint32_t bits = static_cast<std::uint32_t>(data[i]) << 16;
        if (left > 1)
            bits |= static_cast<std::uint32_t>(data[i + 1]) << 8;
        if (left > 2)
            bits |= data[i + 2];
        plain += kAlphabet[(bits >> 18) & 63];
        plain += kAlphabet[(bits >> 12) & 63];
        plain += left > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        plain += left > 2 ? kAlphabet[bits & 63] : '=';
    }
    std::string text;
    text.reserve(plain.size() + plain.size() / kLineLength * 2 + 2);
    for (std::size_t i = 0; i < plain.size(); i += kLineLength) {
        text.append(plain, i, kLineLength);
        text += "\r\n";
    }
    return text;
}

bool decodeBase64(std::span<const char> text, std::vector<std::uint8_t>& data)
{
    std::string compact;
    compact.reserve(text.size());
    for (const char c : text) {
        if (c != '\r' && c != '\n')
            compact += c;
    }
    if (compact.size() % 4 != 0)
        return false;
    std::vector<std::uint8_t> decoded;
    decoded.reserve(compact.size() / 4 * 3);
    for (std::size_t i = 0; i < compact.size(); i += 4) {
        if (!decodeGroup(compact.data() + i, i + 4 == compact.size(), decoded))
            return false;
    }
    data = std::move(decoded);
    return true;
}

} // namespace capicom
