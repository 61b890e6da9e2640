// The SIMPLEBLOB as CryptoAPI lays it out, opened here with OpenSSL directly
// (the container's private key, PKCS #1 v1.5, the bytes reversed) rather
// than with the layer under test.
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace platform;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The 5 key bytes sealed in blob, opened with the private key in pemPath.
Bytes unsealIndependently(const QString& pemPath, const Bytes& blob)
{
    QFile file(pemPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pem = file.readAll();
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())),
                                                  &BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pair(
        PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new(pair.get(), nullptr),
                                                                    &EVP_PKEY_CTX_free);
    Bytes sealed(blob.begin() + 12, blob.end());
    std::reverse(sealed.begin(), sealed.end());
    Bytes key(sealed.size());
    std::size_t length = key.size();
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1
        || EVP_PKEY_decrypt(ctx.get(), key.data(), &length, sealed.data(), sealed.size()) != 1)
        return {};
    key.resize(length);
    return key;
}

// RC4 with key + 11 zero bytes, straight from OpenSSL's legacy provider.
Bytes rc4Independently(const Bytes& key, Bytes data)
{
    OSSL_LIB_CTX* libCtx = OSSL_LIB_CTX_new();
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(libCtx, "legacy");
    EVP_CIPHER* rc4 = EVP_CIPHER_fetch(libCtx, "RC4", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    Bytes fullKey(key);
    fullKey.resize(16, 0);
    int length = 0;
    if (!rc4 || EVP_EncryptInit_ex2(ctx, rc4, fullKey.data(), nullptr, nullptr) != 1
        || EVP_EncryptUpdate(ctx, data.data(), &length, data.data(), static_cast<int>(data.size())) != 1)
        data.clear();
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(rc4);
    OSSL_PROVIDER_unload(legacy);
    OSSL_LIB_CTX_free(libCtx);
    return data;
}

class SimpleBlobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_provider.acquireContext(AcquireMode::NewKeySet, m_context));
        ASSERT_TRUE(m_provider.generateKey(m_context, CryptAlg::Rc4, true, m_session));
        ASSERT_TRUE(m_provider.getUserExchangeKey(m_context, m_exchange));
    }
    void TearDown() override
    {
        m_provider.destroyKey(m_session);
        m_provider.destroyKey(m_exchange);
        m_provider.releaseContext(m_context);
    }

    Bytes exportBlob()
    {
        std::uint32_t length = 0;
        EXPECT_TRUE(m_provider.exportSimpleBlob(m_session, m_exchange, nullptr, length));
        Bytes blob(length);
        EXPECT_TRUE(m_provider.exportSimpleBlob(m_session, m_exchange, blob.data(), length));
        EXPECT_EQ(length, blob.size());
        return blob;
    }

    Bytes encryptWith(CryptKey key, Bytes data)
    {
        auto length = static_cast<std::uint32_t>(data.size());
        EXPECT_TRUE(m_provider.encrypt(key, true, data, length));
        return data;
    }

    QTemporaryDir m_folder;
    OpenSslCryptoProvider m_provider{{m_folder.path()}};
    CryptContext m_context{};
    CryptKey m_session{};
    CryptKey m_exchange{};
};

TEST_F(SimpleBlobTest, HeaderThenReversedRsaBlockOfTheFiveKeyBytes)
{
    const Bytes blob = exportBlob();
    ASSERT_EQ(blob.size(), 12u + 256u) << "BLOBHEADER + ALG_ID + RSA 2048 block";
    const Bytes header{0x01, 0x02, 0x00, 0x00, 0x01, 0x68, 0x00, 0x00, 0x00, 0xA4, 0x00, 0x00};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), blob.begin()));

    const Bytes key = unsealIndependently(m_provider.containerPath(), blob);
    ASSERT_EQ(key.size(), 5u) << "40-bit key, salt not in the blob";
    const Bytes sample(300, 0x5A);
    EXPECT_EQ(encryptWith(m_session, sample), rc4Independently(key, sample));
}

TEST_F(SimpleBlobTest, ImportGivesTheSameStream)
{
    const Bytes blob = exportBlob();
    CryptKey imported{};
    ASSERT_TRUE(m_provider.importSimpleBlob(m_context, blob, imported));
    const Bytes sample(100, 0x33);
    EXPECT_EQ(encryptWith(imported, sample), encryptWith(m_session, sample));
    m_provider.destroyKey(imported);
}

TEST_F(SimpleBlobTest, ExportNeedsRoomAndAnExportableKey)
{
    std::uint32_t length = 100;
    Bytes small(100);
    EXPECT_FALSE(m_provider.exportSimpleBlob(m_session, m_exchange, small.data(), length));
    EXPECT_EQ(length, 268u) << "tells the size needed";
    CryptKey fixed{};
    ASSERT_TRUE(m_provider.generateKey(m_context, CryptAlg::Rc4, false, fixed));
    EXPECT_FALSE(m_provider.exportSimpleBlob(fixed, m_exchange, nullptr, length));
    EXPECT_FALSE(m_provider.exportSimpleBlob(m_session, m_session, nullptr, length)) << "not an exchange key";
    m_provider.destroyKey(fixed);
}

TEST_F(SimpleBlobTest, ImportRefusesDamagedOrForeignBlobs)
{
    const Bytes good = exportBlob();
    CryptKey key{};
    for (std::size_t at : {0u, 1u, 2u, 4u, 5u, 9u}) {
        Bytes bad = good;
        bad[at] ^= 0x01;
        EXPECT_FALSE(m_provider.importSimpleBlob(m_context, bad, key)) << "header byte " << at;
    }
    EXPECT_FALSE(m_provider.importSimpleBlob(m_context, Bytes(good.begin(), good.end() - 1), key)) << "short";
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_FALSE(m_provider.importSimpleBlob(m_context, longer, key)) << "long";
    EXPECT_FALSE(m_provider.importSimpleBlob(m_context, Bytes(), key)) << "empty";
    Bytes scrambled = good;
    std::fill(scrambled.begin() + 12, scrambled.end(), 0x42);
    EXPECT_FALSE(m_provider.importSimpleBlob(m_context, scrambled, key)) << "not a PKCS #1 block";

    QTemporaryDir otherFolder;
    OpenSslCryptoProvider other({otherFolder.path()});
    CryptContext otherContext{};
    ASSERT_TRUE(other.acquireContext(AcquireMode::NewKeySet, otherContext));
    EXPECT_FALSE(other.importSimpleBlob(otherContext, good, key)) << "another user's container";
    other.releaseContext(otherContext);
}

} // namespace
