#pragma once

#include <QString>

#include <compare>
#include <cstdint>
#include <memory>
#include <span>

// The CryptoAPI subset that the file encryption uses ("Microsoft Base
// Cryptographic Provider v1.0", PROV_RSA_FULL). Every call answers as the
// CryptoAPI call did: true on success, false on failure with nothing handed
// out. Callers follow their own steps and give their own messages; lastError()
// only helps a developer find out why.
//
// Handles are plain numbers as in CryptoAPI: None (0) is "no handle", a
// handle is valid only with the provider that issued it, and every handle
// handed out must be given back (destroyKey, destroyHash, releaseContext).
// A provider serves one thread at a time.
namespace platform {

enum class CryptContext : std::uintptr_t { None = 0 };
enum class CryptHash : std::uintptr_t { None = 0 };
enum class CryptKey : std::uintptr_t { None = 0 };

// ALG_ID values.
enum class CryptAlg : std::uint32_t {
    Md5 = 0x8003,            // CALG_MD5
    Rc4 = 0x6801,            // CALG_RC4
    RsaKeyExchange = 0xA400, // CALG_RSA_KEYX
};

// How a context is acquired on the user's default key container.
enum class AcquireMode {
    Existing,   // flags 0: fails when the container does not exist yet
    NewKeySet,  // CRYPT_NEWKEYSET: creates the (empty) container; one that
                // appeared in the meantime is acquired instead
};

// The product version the layer reports in place of the security library's
// version resource: four signed 16-bit parts, compared part by part.
struct ProductVersion {
    std::int16_t majorPart = 0;
    std::int16_t minorPart = 0;
    std::int16_t buildPart = 0;
    std::int16_t revisionPart = 0;

    friend auto operator<=>(const ProductVersion&, const ProductVersion&) = default;
};

class CryptoProvider {
public:
    virtual ~CryptoProvider() = default;

    // CryptAcquireContext(default container, base provider, PROV_RSA_FULL).
    virtual bool acquireContext(AcquireMode mode, CryptContext& context) = 0;

    // CryptCreateHash; only Md5 is offered.
    virtual bool createHash(CryptContext context, CryptAlg alg, CryptHash& hash) = 0;

    // CryptHashData, flags 0. Fails once a key has been derived from the hash.
    virtual bool hashData(CryptHash hash, std::span<const std::uint8_t> data) = 0;

    // CryptDeriveKey, flags 0; only Rc4 from an Md5 hash. The key is 40 bits,
    // the first 5 bytes of the hash, with the base provider's 11-byte zero
    // salt, so RC4 runs with the 16-byte key hash[0..4] + 11 zero bytes.
    virtual bool deriveKey(CryptContext context, CryptAlg alg, CryptHash hash, CryptKey& key) = 0;

    // CryptGenKey; only Rc4: a random 40-bit key with the zero salt.
    virtual bool generateKey(CryptContext context, CryptAlg alg, bool exportable, CryptKey& key) = 0;

    // CryptGetUserKey(AT_KEYEXCHANGE): the container's RSA key pair.
    virtual bool getUserExchangeKey(CryptContext context, CryptKey& key) = 0;

    // CryptExportKey(SIMPLEBLOB, flags 0). With blob == nullptr only sets
    // length to the size needed. Otherwise length is the buffer's size on
    // entry and the blob's size on return; a buffer too small fails.
    virtual bool exportSimpleBlob(CryptKey key, CryptKey exchangeKey, std::uint8_t* blob,
                                  std::uint32_t& length) = 0;

    // CryptImportKey of a SIMPLEBLOB with no public key, flags 0: decrypted
    // with the container's key-exchange pair.
    virtual bool importSimpleBlob(CryptContext context, std::span<const std::uint8_t> blob,
                                  CryptKey& key) = 0;

    // CryptEncrypt / CryptDecrypt in place, no hash, flags 0. length is the
    // number of bytes in buffer on entry and of the result on return; the
    // result never exceeds buffer.size(). After a call with isFinal the key
    // starts afresh, as the next message needs.
    virtual bool encrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                         std::uint32_t& length) = 0;
    virtual bool decrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                         std::uint32_t& length) = 0;

    // CryptDestroyKey, CryptDestroyHash, CryptReleaseContext(flags 0).
    // False for a handle that is not (or no longer) valid.
    virtual bool destroyKey(CryptKey key) = 0;
    virtual bool destroyHash(CryptHash hash) = 0;
    virtual bool releaseContext(CryptContext context) = 0;

    // {6, 0, 0, 0} when the layer can do its work, {0, 0, 0, 0} when RC4 is
    // not available (OpenSSL's legacy provider could not be loaded).
    virtual ProductVersion productVersion() const = 0;

    // Why the last failing call failed, for developers; may be empty.
    virtual QString lastError() const = 0;
};

// The layer's version when it works.
inline constexpr ProductVersion kCryptoLayerVersion{6, 0, 0, 0};

// The folder of the user's default key container:
// <generic data location>/tamberlox/crypto.
QString defaultKeyContainerFolder();

// The process-wide provider over OpenSSL with the user's default key
// container. Created on first use; never null.
std::shared_ptr<CryptoProvider> defaultCryptoProvider();

// A provider of its own over the key containers in keyFolder (Linux); on
// Windows the system keeps the containers and the folder is not used.
std::shared_ptr<CryptoProvider> makeCryptoProvider(const QString& keyFolder);

} // namespace platform
