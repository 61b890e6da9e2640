#pragma once

#include <cstdint>
#include <span>
#include <vector>

// The little of DER that the EncryptedData message needs.
namespace capicom::der {

inline constexpr std::uint8_t kInteger = 0x02;
inline constexpr std::uint8_t kOctetString = 0x04;
inline constexpr std::uint8_t kObjectId = 0x06;
inline constexpr std::uint8_t kSequence = 0x30;
inline constexpr std::uint8_t kContext0 = 0xA0; // [0], constructed

// Appends tag, minimal length and contents.
void appendTlv(std::vector<std::uint8_t>& out, std::uint8_t tag, std::span<const std::uint8_t> contents);

// The contents octets of a non-negative INTEGER, minimal.
std::vector<std::uint8_t> integerContents(std::uint32_t value);

// Reads elements one after another from a span; never reads past it.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : m_data(data) {}

    // Reads the next element, which must carry the tag; contents is set to
    // its contents. False (nothing consumed) when the tag differs, the length
    // is malformed or runs past the data.
    bool read(std::uint8_t tag, std::span<const std::uint8_t>& contents);

    // Reads an INTEGER that must be non-negative and fit 32 bits.
    bool readInteger(std::uint32_t& value);

    bool atEnd() const { return m_position == m_data.size(); }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_position = 0;
};

} // namespace capicom::der
