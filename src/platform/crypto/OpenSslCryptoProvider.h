#pragma once

#include "platform/crypto/CryptoProvider.h"

#include <memory>

namespace platform {

// CryptoProvider over OpenSSL 3 libcrypto, in a library context of its own
// with the "legacy" (RC4) and "default" (MD5, RSA, random) providers loaded.
// No OpenSSL error escapes: each is turned into a false result and a
// lastError() text.
class OpenSslCryptoProvider final : public CryptoProvider {
public:
    struct Options {
        // Folder of the user's default key container; created (mode 0700)
        // with the container file (mode 0600) on AcquireMode::NewKeySet. The
        // key-exchange pair is made there when first needed.
        QString keyFolder;
        // OpenSSL provider that supplies RC4. Tests name one that does not
        // exist to see the layer without RC4.
        QString legacyProviderName = QStringLiteral("legacy");
        // Size of the key-exchange pair made on its first use.
        int exchangeKeyBits = 2048;
    };

    explicit OpenSslCryptoProvider(Options options);
    ~OpenSslCryptoProvider() override;
    OpenSslCryptoProvider(const OpenSslCryptoProvider&) = delete;
    OpenSslCryptoProvider& operator=(const OpenSslCryptoProvider&) = delete;

    // Full path of the container file inside the key folder.
    QString containerPath() const;

    bool acquireContext(AcquireMode mode, CryptContext& context) override;
    bool createHash(CryptContext context, CryptAlg alg, CryptHash& hash) override;
    bool hashData(CryptHash hash, std::span<const std::uint8_t> data) override;
    bool deriveKey(CryptContext context, CryptAlg alg, CryptHash hash, CryptKey& key) override;
    bool generateKey(CryptContext context, CryptAlg alg, bool exportable, CryptKey& key) override;
    bool getUserExchangeKey(CryptContext context, CryptKey& key) override;
    bool exportSimpleBlob(CryptKey key, CryptKey exchangeKey, std::uint8_t* blob,
                          std::uint32_t& length) override;
    bool importSimpleBlob(CryptContext context, std::span<const std::uint8_t> blob,
                          CryptKey& key) override;
    bool encrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                 std::uint32_t& length) override;
    bool decrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                 std::uint32_t& length) override;
    bool destroyKey(CryptKey key) override;
    bool destroyHash(CryptHash hash) override;
    bool releaseContext(CryptContext context) override;
    ProductVersion productVersion() const override;
    QString lastError() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
