#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The component's use of SHA-1, DES-CBC and random bytes, which come from the
// system (SystemCrypto.h); their errors become a false result and a text.
namespace capicom {

namespace sys {
class Crypto;
}

inline constexpr std::size_t kDesKeySize = 8;
inline constexpr std::size_t kDesBlockSize = 8;

enum class CipherStatus { Ok, BadData, Failed };

class DesCipher {
public:
    DesCipher();
    ~DesCipher();
    DesCipher(const DesCipher&) = delete;
    DesCipher& operator=(const DesCipher&) = delete;

    // Opens the crypto library on first use; false with error() when DES or
    // SHA-1 cannot be had.
    bool open();

    bool randomBytes(std::span<std::uint8_t> out);

    // The DES key: the first 8 bytes of SHA-1(secret || salt).
    bool deriveKey(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
        std::array<std::uint8_t, kDesKeySize>& key);

    // DES-CBC with PKCS #5 padding. On decryption BadData means the padding
    // was wrong (a wrong key, or damaged cipher text).
    CipherStatus run(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
        std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
        std::vector<std::uint8_t>& output);

    // Text of the last failure (the system's, in English).
    const std::string& error() const { return m_error; }

private:
    std::unique_ptr<sys::Crypto> m_crypto;
    std::string m_error;
};

} // namespace capicom
