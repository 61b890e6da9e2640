#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The EncryptedData message of CAPICOM:
//
//   SEQUENCE {
//     OBJECT IDENTIFIER 1.3.6.1.4.1.311.88.3          (EncryptedData)
//     [0] SEQUENCE {
//       OBJECT IDENTIFIER 1.3.6.1.4.1.311.88.3.1      (its content)
//       [0] SEQUENCE {
//         INTEGER version (0x20000)
//         INTEGER algorithm id (0x6601, CALG_DES)
//         INTEGER key length in bits
//         OCTET STRING IV (8 bytes)
//         OCTET STRING salt (16 bytes)
//         OCTET STRING cipher text } } }
namespace capicom {

inline constexpr std::uint32_t kMessageVersion = 0x20000;
inline constexpr std::uint32_t kAlgDes = 0x6601;
inline constexpr std::uint32_t kDesKeyBits = 56;
inline constexpr std::size_t kIvSize = 8;
inline constexpr std::size_t kSaltSize = 16;

struct Message {
    std::uint32_t version = kMessageVersion;
    std::uint32_t algorithm = kAlgDes;
    std::uint32_t keyBits = kDesKeyBits;
    std::vector<std::uint8_t> iv;
    std::vector<std::uint8_t> salt;
    std::vector<std::uint8_t> cipherText;
};

std::vector<std::uint8_t> packMessage(const Message& message);

enum class UnpackStatus { Ok, BadStructure, Unsupported };

// Reads a message, checking every element and that nothing follows it.
// On failure reason says in Japanese what was wrong.
UnpackStatus unpackMessage(std::span<const std::uint8_t> data, Message& message, std::string& reason);

} // namespace capicom
