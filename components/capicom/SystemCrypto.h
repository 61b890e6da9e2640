#pragma once

#include "DesCipher.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// What the component takes from the system: SHA-1, DES-CBC and random bytes,
// and the text conversions. SystemCrypto.cpp alone knows which system gives
// them (OpenSSL and glibc, or CryptoAPI and the code page functions); this
// header names none, and failures come back as English text.
namespace capicom::sys {

inline constexpr std::size_t kSha1Size = 20;

class Crypto {
public:
    // Null, with error, when SHA-1 or DES cannot be had.
    static std::unique_ptr<Crypto> open(std::string& error);
    ~Crypto();
    Crypto(const Crypto&) = delete;
    Crypto& operator=(const Crypto&) = delete;

    bool randomBytes(std::span<std::uint8_t> out, std::string& error);

    // SHA-1(first || second).
    bool sha1(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
        std::array<std::uint8_t, kSha1Size>& digest, std::string& error);

    // DES-CBC with PKCS #5 padding; BadData when a decrypted padding is wrong.
    CipherStatus desCbc(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
        std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
        std::vector<std::uint8_t>& output, std::string& error);

    struct Handles;

private:
    explicit Crypto(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> m_handles;
};

enum class Encoding { Cp932, Utf16le, Utf8 };

// Converts all of input: a sequence that is not `from`, or a character `to`
// cannot hold, becomes '?' in `to`. False only when the converter itself is
// unavailable.
bool convertText(Encoding from, Encoding to, std::span<const char> input, std::string& output);

} // namespace capicom::sys
