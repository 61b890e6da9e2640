#include "Der.h"

namespace capicom::der {

void appendTlv(std::vector<std::uint8_t>& out, std::uint8_t tag, std::span<const std::uint8_t> contents)
{
    out.push_back(tag);
    const std::size_t length = contents.size();
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
    } else {
        int bytes = 0;
        for (std::size_t rest = length; rest != 0; rest >>= 8)
            ++bytes;
        out.push_back(static_cast<std::uint8_t>(0x80 | bytes));
        for (int i = bytes - 1; i >= 0; --i)
            out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    }
    out.insert(out.end(), contents.begin(), contents.end());
}

std::vector<std::uint8_t> integerContents(std::uint32_t value)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 3; i >= 0; --i) {
        const auto byte = static_cast<std::uint8_t>(value >> (8 * i));
        if (bytes.empty() && byte == 0 && i > 0)
            continue;
        if (bytes.empty() && (byte & 0x80) != 0)
            bytes.push_back(0); // keep the value positive
        bytes.push_back(byte);
    }
    return bytes;
}

bool Reader::read(std::uint8_t tag, std::span<const std::uint8_t>& contents)
{
    std::size_t at = m_position;
    if (m_data.size() - at < 2 || m_data[at] != tag)
        return false;
    std::size_t length = m_data[at + 1];
    at += 2;
    if (length & 0x80) {
        const std::size_t bytes = length & 0x7F;
        // Indefinite length (0x80) is not DER; more than 4 bytes is absurd here.
        if (bytes == 0 || bytes > 4 || m_data.size() - at < bytes)
            return false;
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            length = (length << 8) | m_data[at + i];
        at += bytes;
    }
    if (m_data.size() - at < length)
        return false;
    contents = m_data.subspan(at, length);
    m_position = at + length;
    return true;
}

bool Reader::readInteger(std::uint32_t& value)
{
    std::span<const std::uint8_t> contents;
    const std::size_t start = m_position;
    if (!read(kInteger, contents))
        return false;
    const bool fits = !contents.empty() && (contents[0] & 0x80) == 0
                      && (contents.size() <= 4 || (contents.size() == 5 && contents[0] == 0));
    if (!fits) {
        m_position = start;
        return false;
    }
    value = 0;
    for (const std::uint8_t byte : contents)
        value = (value << 8) | byte;
    return true;
}

} // namespace capicom::der
