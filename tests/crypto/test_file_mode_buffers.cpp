// File mode over the system's buffered streams: sizes at the edges of the
// 1 MiB buffers keep the 1002-byte chunk rules, and a write the system
// refuses late still fails the run.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"

#include "platform/crypto/FileAccess.h"

#include <QCryptographicHash>

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cerrno>

namespace {

// Form A as the receiver computes it: RC4 under the first 5 bytes of the
// pass phrase's MD5 and 11 zero bytes.
QByteArray rc4FormA(QByteArray data)
{
    unsigned char key[16] = {};
    const QByteArray md5 = QCryptographicHash::hash(passPhrase().toLatin1(), QCryptographicHash::Md5);
    std::copy_n(md5.constData(), 5, key);
    OSSL_LIB_CTX* lib = OSSL_LIB_CTX_new();
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(lib, "legacy");
    EVP_CIPHER* rc4 = EVP_CIPHER_fetch(lib, "RC4", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    auto* bytes = reinterpret_cast<unsigned char*>(data.data());
    int out = 0;
    const bool done = rc4 && EVP_EncryptInit_ex2(ctx, rc4, key, nullptr, nullptr) == 1
                      && EVP_EncryptUpdate(ctx, bytes, &out, bytes, static_cast<int>(data.size())) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(rc4);
    OSSL_PROVIDER_unload(legacy);
    OSSL_LIB_CTX_free(lib);
    return done ? data : QByteArray("<no rc4>");
}

// One event per 1002-byte chunk, a short last one, and an empty last one
// when the size is a whole number of chunks.
Totals chunkTotals(std::int32_t size)
{
    Totals totals;
    for (std::int32_t done = 1002; done <= size; done += 1002)
        totals.emplace_back(done, size);
    totals.emplace_back(size, size);
    return totals;
}

// Exactly one buffer; whole chunks past one buffer (the empty last chunk
// comes after a buffer boundary); a chunk split by the last boundary.
TEST_F(CryptFileTest, SizesAtBufferEdgesKeepTheChunkRules)
{
    for (const std::int32_t size : {1 << 20, 1002 * 1047, (2 << 20) + 1}) {
        SCOPED_TRACE(size);
        QByteArray input(size, '\0');
        for (std::int32_t i = 0; i < size; ++i)
            input[i] = static_cast<char>(i * 131 + (i >> 10));
        writeFile(path("in"), input);
        clsCryptFile encryptor = make(passPhrase());
        ASSERT_TRUE(encryptor.Encrypt()) << encryptor.GetErrMsg().toStdString();
        EXPECT_EQ(m_crypting, chunkTotals(size));
        const QByteArray sealed = readFile(path("out"));
        EXPECT_TRUE(sealed == rc4FormA(input)) << "the receiver's RC4 of the input";

        writeFile(path("in"), sealed);
        clsCryptFile decryptor = make(passPhrase());
        ASSERT_TRUE(decryptor.Decrypt()) << decryptor.GetErrMsg().toStdString();
        EXPECT_TRUE(readFile(path("out")) == input);
        EXPECT_EQ(m_crypting, chunkTotals(size));
    }
}

// /dev/full takes every write and refuses the bytes when they reach it.
TEST(BufferedStream, AWriteRefusedWhenTheBufferGoesOutFailsTheClose)
{
    int error = 0;
    auto stream = platform::systemFileAccess()->createAlways(QStringLiteral("/dev/full"), error);
    ASSERT_TRUE(stream) << error;
    const std::uint8_t chunk[1002] = {};
    EXPECT_TRUE(stream->write(chunk));
    EXPECT_FALSE(stream->close());
    EXPECT_EQ(stream->error(), ENOSPC);
    EXPECT_TRUE(stream->close()) << "later calls do nothing";
}

} // namespace
