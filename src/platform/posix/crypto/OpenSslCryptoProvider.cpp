#include "platform/crypto/OpenSslCryptoProvider.h"

#include "platform/posix/crypto/KeyContainer.h"
#include "platform/posix/crypto/OsslTypes.h"
#include "platform/crypto/SimpleBlob.h"

#include <QDir>
#include <QFileInfo>

#include <openssl/err.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace platform {
namespace {

// The base provider's RC4 keys: 40 bits of key, 11 bytes of zero salt.
constexpr std::size_t kRc4KeyBytes = 5;
constexpr std::size_t kRc4SaltBytes = 11;

enum class KeyKind { Rc4, Exchange };

struct HashObject {
    ossl::MdCtxPtr digest;
    bool finished = false;
    std::array<std::uint8_t, 16> value{};
};

struct KeyObject {
    KeyKind kind = KeyKind::Rc4;
    std::array<std::uint8_t, kRc4KeyBytes> bytes{};
    bool exportable = false;
    bool restart = true; // the next chunk begins a new message
    ossl::CipherCtxPtr cipher;
    ossl::PkeyPtr pair;
};

} // namespace

struct OpenSslCryptoProvider::Impl {
    Options options;
    ossl::LibCtxPtr libCtx;
    ossl::ProviderPtr defaultProvider;
    ossl::ProviderPtr legacyProvider;
    ossl::MdPtr md5;
    ossl::CipherPtr rc4;
    std::uintptr_t lastHandle = 0;
    std::map<std::uintptr_t, bool> contexts;
    std::map<std::uintptr_t, HashObject> hashes;
    std::map<std::uintptr_t, KeyObject> keys;
    QString lastError;

    bool fail(const QString& why)
    {
        lastError = why;
        ERR_clear_error();
        return false;
    }
    bool failOssl(const QString& what) { return fail(ossl::takeErrorText(what)); }

    std::uintptr_t issue() { return ++lastHandle; }
    bool hasContext(CryptContext c) const { return contexts.count(static_cast<std::uintptr_t>(c)) != 0; }

    HashObject* findHash(CryptHash h)
    {
        auto it = hashes.find(static_cast<std::uintptr_t>(h));
        return it == hashes.end() ? nullptr : &it->second;
    }
    KeyObject* findKey(CryptKey k, KeyKind kind)
    {
        auto it = keys.find(static_cast<std::uintptr_t>(k));
        return it == keys.end() || it->second.kind != kind ? nullptr : &it->second;
    }

    QString containerPath() const
    {
        return QDir(options.keyFolder).filePath(QString::fromLatin1(keycontainer::kFileName));
    }

    void loadAlgorithms();
    CryptKey addRc4Key(const std::uint8_t* bytes, bool exportable);
    bool runRc4(KeyObject& key, bool isFinal, std::span<std::uint8_t> buffer, std::uint32_t length);
    ossl::PkeyPtr loadPair();
    bool seal(EVP_PKEY* pair, const KeyObject& key, std::vector<std::uint8_t>& sealed);
    bool unseal(EVP_PKEY* pair, std::span<const std::uint8_t> sealed, std::vector<std::uint8_t>& keyBytes);
};

void OpenSslCryptoProvider::Impl::loadAlgorithms()
{
    libCtx.reset(OSSL_LIB_CTX_new());
    if (!libCtx) {
        failOssl(QStringLiteral("cannot create an OpenSSL library context"));
        return;
    }
    defaultProvider.reset(OSSL_PROVIDER_load(libCtx.get(), "default"));
    md5.reset(EVP_MD_fetch(libCtx.get(), "MD5", nullptr));
    legacyProvider.reset(OSSL_PROVIDER_load(libCtx.get(), options.legacyProviderName.toUtf8().constData()));
    if (legacyProvider)
        rc4.reset(EVP_CIPHER_fetch(libCtx.get(), "RC4", nullptr));
    if (!md5 || !rc4)
        failOssl(QStringLiteral("RC4 or MD5 unavailable (OpenSSL provider \"%1\")").arg(options.legacyProviderName));
    ERR_clear_error();
}

CryptKey OpenSslCryptoProvider::Impl::addRc4Key(const std::uint8_t* bytes, bool exportable)
{
    KeyObject key;
    std::copy_n(bytes, kRc4KeyBytes, key.bytes.begin());
    key.exportable = exportable;
    const std::uintptr_t handle = issue();
    keys.emplace(handle, std::move(key));
    return static_cast<CryptKey>(handle);
}

bool OpenSslCryptoProvider::Impl::runRc4(KeyObject& key, bool isFinal, std::span<std::uint8_t> buffer,
                                         std::uint32_t length)
{
    if (length > buffer.size())
        return fail(QStringLiteral("data length exceeds the buffer"));
    if (key.restart) {
        std::array<std::uint8_t, kRc4KeyBytes + kRc4SaltBytes> fullKey{};
        std::copy(key.bytes.begin(), key.bytes.end(), fullKey.begin());
        if (!key.cipher)
            key.cipher.reset(EVP_CIPHER_CTX_new());
        if (!key.cipher || EVP_CipherInit_ex2(key.cipher.get(), rc4.get(), fullKey.data(), nullptr, 1, nullptr) != 1)
            return failOssl(QStringLiteral("cannot start RC4"));
        key.restart = false;
    }
    int produced = 0;
    if (length > 0
        && EVP_CipherUpdate(key.cipher.get(), buffer.data(), &produced, buffer.data(), static_cast<int>(length)) != 1)
        return failOssl(QStringLiteral("RC4 failed"));
    key.restart = isFinal;
    return true;
}

ossl::PkeyPtr OpenSslCryptoProvider::Impl::loadPair()
{
    QString error;
    ossl::PkeyPtr pair = keycontainer::exchangePair(libCtx.get(), options.keyFolder, options.exchangeKeyBits, error);
    if (!pair)
        fail(error);
    return pair;
}

bool OpenSslCryptoProvider::Impl::seal(EVP_PKEY* pair, const KeyObject& key, std::vector<std::uint8_t>& sealed)
{
    ossl::PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(libCtx.get(), pair, nullptr));
    sealed.assign(static_cast<std::size_t>(EVP_PKEY_get_size(pair)), 0);
    std::size_t sealedLength = sealed.size();
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1
        || EVP_PKEY_encrypt(ctx.get(), sealed.data(), &sealedLength, key.bytes.data(), key.bytes.size()) != 1
        || sealedLength != sealed.size())
        return failOssl(QStringLiteral("cannot seal the session key"));
    return true;
}

bool OpenSslCryptoProvider::Impl::unseal(EVP_PKEY* pair, std::span<const std::uint8_t> sealed,
                                         std::vector<std::uint8_t>& keyBytes)
{
    ossl::PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(libCtx.get(), pair, nullptr));
    keyBytes.assign(sealed.size(), 0);
    std::size_t keyLength = keyBytes.size();
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1
        || EVP_PKEY_decrypt(ctx.get(), keyBytes.data(), &keyLength, sealed.data(), sealed.size()) != 1)
        return failOssl(QStringLiteral("cannot open the sealed session key"));
    keyBytes.resize(keyLength);
    return true;
}

OpenSslCryptoProvider::OpenSslCryptoProvider(Options options)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->options = std::move(options);
    m_impl->loadAlgorithms();
}

OpenSslCryptoProvider::~OpenSslCryptoProvider() = default;

QString OpenSslCryptoProvider::containerPath() const
{
    return m_impl->containerPath();
}

bool OpenSslCryptoProvider::acquireContext(AcquireMode mode, CryptContext& context)
{
    Impl& d = *m_impl;
    if (!d.md5 || !d.rc4)
        return d.fail(QStringLiteral("the provider has no RC4 or MD5"));
    if (d.options.keyFolder.isEmpty())
        return d.fail(QStringLiteral("no key folder"));
    if (mode == AcquireMode::Existing && !QFileInfo(d.containerPath()).isFile())
        return d.fail(QStringLiteral("the default key container does not exist"));
    if (mode == AcquireMode::NewKeySet) {
        QString error;
        // A container that another process made in the meantime is acquired
        // as a second try without the flag would, so both first uses succeed.
        if (keycontainer::create(d.options.keyFolder, error) == keycontainer::CreateResult::Failed)
            return d.fail(error);
    }
    const std::uintptr_t handle = d.issue();
    d.contexts.emplace(handle, true);
    context = static_cast<CryptContext>(handle);
    return true;
}

bool OpenSslCryptoProvider::createHash(CryptContext context, CryptAlg alg, CryptHash& hash)
{
    Impl& d = *m_impl;
    if (!d.hasContext(context) || alg != CryptAlg::Md5)
        return d.fail(QStringLiteral("bad context or hash algorithm"));
    HashObject object;
    object.digest.reset(EVP_MD_CTX_new());
    if (!object.digest || EVP_DigestInit_ex2(object.digest.get(), d.md5.get(), nullptr) != 1)
        return d.failOssl(QStringLiteral("cannot start MD5"));
    const std::uintptr_t handle = d.issue();
    d.hashes.emplace(handle, std::move(object));
    hash = static_cast<CryptHash>(handle);
    return true;
}

bool OpenSslCryptoProvider::hashData(CryptHash hash, std::span<const std::uint8_t> data)
{
    Impl& d = *m_impl;
    HashObject* object = d.findHash(hash);
    if (!object || object->finished)
        return d.fail(QStringLiteral("bad hash handle or hash already finished"));
    if (EVP_DigestUpdate(object->digest.get(), data.data(), data.size()) != 1)
        return d.failOssl(QStringLiteral("MD5 failed"));
    return true;
}

bool OpenSslCryptoProvider::deriveKey(CryptContext context, CryptAlg alg, CryptHash hash, CryptKey& key)
{
    Impl& d = *m_impl;
    HashObject* object = d.findHash(hash);
    if (!d.hasContext(context) || alg != CryptAlg::Rc4 || !object)
        return d.fail(QStringLiteral("bad context, key algorithm or hash"));
    if (!object->finished) {
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(object->digest.get(), object->value.data(), &size) != 1 || size != object->value.size())
            return d.failOssl(QStringLiteral("MD5 failed"));
        object->finished = true;
    }
    key = d.addRc4Key(object->value.data(), false);
    return true;
}

bool OpenSslCryptoProvider::generateKey(CryptContext context, CryptAlg alg, bool exportable, CryptKey& key)
{
    Impl& d = *m_impl;
    if (!d.hasContext(context) || alg != CryptAlg::Rc4)
        return d.fail(QStringLiteral("bad context or key algorithm"));
    std::array<std::uint8_t, kRc4KeyBytes> bytes{};
    if (RAND_bytes_ex(d.libCtx.get(), bytes.data(), bytes.size(), 0) != 1)
        return d.failOssl(QStringLiteral("no random bytes"));
    key = d.addRc4Key(bytes.data(), exportable);
    return true;
}

bool OpenSslCryptoProvider::getUserExchangeKey(CryptContext context, CryptKey& key)
{
    Impl& d = *m_impl;
    if (!d.hasContext(context))
        return d.fail(QStringLiteral("bad context"));
    ossl::PkeyPtr pair = d.loadPair();
    if (!pair)
        return false;
    KeyObject object;
    object.kind = KeyKind::Exchange;
    object.pair = std::move(pair);
    const std::uintptr_t handle = d.issue();
    d.keys.emplace(handle, std::move(object));
    key = static_cast<CryptKey>(handle);
    return true;
}

bool OpenSslCryptoProvider::exportSimpleBlob(CryptKey key, CryptKey exchangeKey, std::uint8_t* blob,
                                             std::uint32_t& length)
{
    Impl& d = *m_impl;
    KeyObject* session = d.findKey(key, KeyKind::Rc4);
    KeyObject* exchange = d.findKey(exchangeKey, KeyKind::Exchange);
    if (!session || !exchange)
        return d.fail(QStringLiteral("bad session or exchange key"));
    if (!session->exportable)
        return d.fail(QStringLiteral("the key is not exportable"));
    const auto needed = static_cast<std::uint32_t>(simpleblob::kHeaderSize + EVP_PKEY_get_size(exchange->pair.get()));
    if (blob == nullptr) {
        length = needed;
        return true;
    }
    if (length < needed) {
        length = needed;
        return d.fail(QStringLiteral("blob buffer too small"));
    }
    std::vector<std::uint8_t> sealed;
    if (!d.seal(exchange->pair.get(), *session, sealed))
        return false;
    simpleblob::writeHeader(std::span<std::uint8_t, simpleblob::kHeaderSize>(blob, simpleblob::kHeaderSize),
                            CryptAlg::Rc4);
    // CryptoAPI stores the RSA block least significant byte first.
    std::reverse_copy(sealed.begin(), sealed.end(), blob + simpleblob::kHeaderSize);
    length = needed;
    return true;
}

bool OpenSslCryptoProvider::importSimpleBlob(CryptContext context, std::span<const std::uint8_t> blob,
                                             CryptKey& key)
{
    Impl& d = *m_impl;
    if (!d.hasContext(context))
        return d.fail(QStringLiteral("bad context"));
    ossl::PkeyPtr pair = d.loadPair();
    if (!pair)
        return false;
    const auto sealedSize = static_cast<std::size_t>(EVP_PKEY_get_size(pair.get()));
    if (!simpleblob::hasHeader(blob, CryptAlg::Rc4, sealedSize))
        return d.fail(QStringLiteral("not a SIMPLEBLOB of an RC4 key for this key container"));
    std::vector<std::uint8_t> sealed(blob.begin() + simpleblob::kHeaderSize, blob.end());
    std::reverse(sealed.begin(), sealed.end());
    std::vector<std::uint8_t> keyBytes;
    if (!d.unseal(pair.get(), sealed, keyBytes))
        return false;
    if (keyBytes.size() != kRc4KeyBytes)
        return d.fail(QStringLiteral("the sealed key is not a 40-bit RC4 key"));
    key = d.addRc4Key(keyBytes.data(), false);
    return true;
}

bool OpenSslCryptoProvider::encrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                                    std::uint32_t& length)
{
    KeyObject* object = m_impl->findKey(key, KeyKind::Rc4);
    if (!object)
        return m_impl->fail(QStringLiteral("bad key"));
    return m_impl->runRc4(*object, isFinal, buffer, length);
}

bool OpenSslCryptoProvider::decrypt(CryptKey key, bool isFinal, std::span<std::uint8_t> buffer,
                                    std::uint32_t& length)
{
    // RC4 is its own inverse.
    return encrypt(key, isFinal, buffer, length);
}

bool OpenSslCryptoProvider::destroyKey(CryptKey key)
{
    if (m_impl->keys.erase(static_cast<std::uintptr_t>(key)) == 0)
        return m_impl->fail(QStringLiteral("bad key"));
    return true;
}

bool OpenSslCryptoProvider::destroyHash(CryptHash hash)
{
    if (m_impl->hashes.erase(static_cast<std::uintptr_t>(hash)) == 0)
        return m_impl->fail(QStringLiteral("bad hash"));
    return true;
}

bool OpenSslCryptoProvider::releaseContext(CryptContext context)
{
    if (m_impl->contexts.erase(static_cast<std::uintptr_t>(context)) == 0)
        return m_impl->fail(QStringLiteral("bad context"));
    return true;
}

ProductVersion OpenSslCryptoProvider::productVersion() const
{
    return m_impl->md5 && m_impl->rc4 ? kCryptoLayerVersion : ProductVersion{};
}

QString OpenSslCryptoProvider::lastError() const
{
    return m_impl->lastError;
}

} // namespace platform
