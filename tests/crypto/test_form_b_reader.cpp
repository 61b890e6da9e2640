// Form B read back as the receiver reads it, without the code under test:
// on Linux the key-exchange pair is the stand-in's own file, which OpenSSL
// opens; on Windows it stays inside CryptoAPI's container.
#include "CryptTestSupport.h"
#include "FormAVectors.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QFileInfo>

#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <algorithm>

namespace {

QString exchangePairPath()
{
    return QFileInfo(std::static_pointer_cast<platform::OpenSslCryptoProvider>(sharedTestProvider())->containerPath()).dir().filePath(QStringLiteral("exchange-pair.pem"));
}

// Form B as the receiver's CryptoAPI reads it, without the code under test:
// N, the SIMPLEBLOB (header, then the RSA block in reversed byte order whose
// PKCS #1 v1.5 block holds the 5 key bytes), then the data.
QByteArray openFormB(const QByteArray& sealed, QByteArray& header)
{
    const auto* n = reinterpret_cast<const unsigned char*>(sealed.constData());
    const int blobSize = n[0] | n[1] << 8 | n[2] << 16 | n[3] << 24;
    const QByteArray pem = readBytes(exchangePairPath());
    BIO* bio = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    EVP_PKEY* pair = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    EVP_PKEY_CTX* rsa = EVP_PKEY_CTX_new(pair, nullptr);
    header = sealed.mid(4, 12);
    QByteArray block = sealed.mid(16, blobSize - 12);
    std::reverse(block.begin(), block.end());
    unsigned char key[256] = {}; // room for a whole block
    std::size_t length = sizeof key;
    const auto* in = reinterpret_cast<const unsigned char*>(block.constData());
    const bool unsealed = rsa && EVP_PKEY_decrypt_init(rsa) == 1
                          && EVP_PKEY_CTX_set_rsa_padding(rsa, RSA_PKCS1_PADDING) == 1
                          && EVP_PKEY_decrypt(rsa, key, &length, in, static_cast<std::size_t>(block.size())) == 1;
    EVP_PKEY_CTX_free(rsa);
    EVP_PKEY_free(pair);
    BIO_free(bio);
    const QByteArray sessionKey(reinterpret_cast<const char*>(key), static_cast<qsizetype>(length));
    return unsealed ? rc4(sessionKey, sealed.mid(4 + blobSize)) : QByteArray("<not opened>");
}

TEST_F(CryptFileTest, FormBOpensWithTheExchangePairAlone)
{
    for (const qint64 size : {2500, 0}) {
        SCOPED_TRACE(size);
        const QByteArray plain = vectorInput(size, 13, 1);
        ASSERT_TRUE(crypt(true, QString(), plain)) << m_message.toStdString();
        QByteArray header;
        EXPECT_EQ(openFormB(out(), header), plain);
        EXPECT_EQ(header.toHex(), "010200000168000000a40000");
    }
    // The key-exchange pair: made at the first use of form B, for the owner only.
    EXPECT_TRUE(testsupport::isPrivate(exchangePairPath()));
}

} // namespace
