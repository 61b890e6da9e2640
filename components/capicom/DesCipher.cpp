#include "DesCipher.h"

#include "SystemCrypto.h"

#include <algorithm>

namespace capicom {

DesCipher::DesCipher() = default;
DesCipher::~DesCipher() = default;

bool DesCipher::open()
{
    if (!m_crypto)
        m_crypto = sys::Crypto::open(m_error);
    return m_crypto != nullptr;
}

bool DesCipher::randomBytes(std::span<std::uint8_t> out)
{
    return open() && m_crypto->randomBytes(out, m_error);
}

bool DesCipher::deriveKey(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
    std::array<std::uint8_t, kDesKeySize>& key)
{
    std::array<std::uint8_t, sys::kSha1Size> digest {};
    if (!open() || !m_crypto->sha1(secret, salt, digest, m_error))
        return false;
    std::copy_n(digest.begin(), kDesKeySize, key.begin());
    return true;
}

CipherStatus DesCipher::run(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
    std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
    std::vector<std::uint8_t>& output)
{
    if (!open())
        return CipherStatus::Failed;
    return m_crypto->desCbc(encrypting, key, iv, input, output, m_error);
}

} // namespace capicom
