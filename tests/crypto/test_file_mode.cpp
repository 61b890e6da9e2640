// File mode on the real provider and file system: form A against the
// independently computed vectors, the events, form B, and what happens
// around the files.
#include "CryptTestSupport.h"
#include "FormAVectors.h"
#include "crypto/PassPhrase.h"
#include "platform/SystemError.h"
#include "TestSupport.h"

#include <QFileInfo>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>

namespace {

// Form B as the receiver's CryptoAPI reads it, without the code under test:
// N, then the SIMPLEBLOB (BLOBHEADER, ALG_ID, the RSA block in reversed byte
// order) whose PKCS #1 v1.5 block holds the 5 key bytes, then RC4 data under
// those bytes and 11 zero bytes of salt.
QByteArray openFormB(const QByteArray& sealed, const QString& pemPath, QByteArray& header)
{
    const auto* n = reinterpret_cast<const unsigned char*>(sealed.constData());
    const int blobSize = n[0] | n[1] << 8 | n[2] << 16 | n[3] << 24;
    const QByteArray pem = readFile(pemPath);
    BIO* bio = BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size()));
    EVP_PKEY* pair = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
    EVP_PKEY_CTX* rsa = EVP_PKEY_CTX_new(pair, nullptr);
    header = sealed.mid(4, 12);
    QByteArray block = sealed.mid(16, blobSize - 12);
    std::reverse(block.begin(), block.end());
    unsigned char key[256] = {}; // room for a whole block; 5 bytes used, then zeros
    std::size_t length = sizeof key;
    const auto* in = reinterpret_cast<const unsigned char*>(block.constData());
    const bool unsealed = rsa && EVP_PKEY_decrypt_init(rsa) == 1
                          && EVP_PKEY_CTX_set_rsa_padding(rsa, RSA_PKCS1_PADDING) == 1
                          && EVP_PKEY_decrypt(rsa, key, &length, in, static_cast<std::size_t>(block.size())) == 1
                          && length == 5;
    EVP_PKEY_CTX_free(rsa);
    EVP_PKEY_free(pair);
    BIO_free(bio);
    OSSL_LIB_CTX* lib = OSSL_LIB_CTX_new();
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(lib, "legacy");
    EVP_CIPHER* rc4 = EVP_CIPHER_fetch(lib, "RC4", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    QByteArray data = sealed.mid(4 + blobSize);
    auto* bytes = reinterpret_cast<unsigned char*>(data.data());
    int out = 0;
    const bool opened = unsealed && rc4 && EVP_EncryptInit_ex2(ctx, rc4, key, nullptr, nullptr) == 1
                        && EVP_EncryptUpdate(ctx, bytes, &out, bytes, static_cast<int>(data.size())) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(rc4);
    OSSL_PROVIDER_unload(legacy);
    OSSL_LIB_CTX_free(lib);
    return opened ? data : QByteArray("<not opened>");
}

// Empty input, exactly 1002 bytes (an empty final chunk follows), 2500
// bytes, a few MiB, and a kanji password hashed only as far as its
// character count ("一ab": 88 EA 61 of 88 EA 61 62).
TEST_F(CryptFileTest, FormAMatchesEveryIndependentVectorWithItsRunningTotals)
{
    const auto vectors = loadFormAVectors();
    ASSERT_GE(vectors.size(), 7u);
    EXPECT_EQ(passPhrase(), vectors.at(QStringLiteral("one_chunk")).password);
    const std::map<QString, Totals> totals{
        {QStringLiteral("empty"), {{0, 0}}},
        {QStringLiteral("one_chunk"), {{1002, 1002}, {1002, 1002}}},
        {QStringLiteral("three_chunks"), {{1002, 2500}, {2004, 2500}, {2500, 2500}}}};
    for (const auto& [name, v] : vectors) {
        SCOPED_TRACE(name.toStdString());
        writeFile(path("in"), vectorInput(v));
        clsCryptFile cryptFile = make(v.password);
        ASSERT_TRUE(cryptFile.Encrypt()) << cryptFile.GetErrMsg().toStdString();
        const QByteArray out = readFile(path("out"));
        EXPECT_EQ(out.size(), v.size);
        EXPECT_EQ(out.left(32), v.head);
        EXPECT_EQ(sha256Of(out), v.sha256);
        EXPECT_EQ(m_crypted, 1);
        if (const auto expected = totals.find(name); expected != totals.end()) {
            EXPECT_EQ(m_crypting, expected->second);
        }
        ASSERT_EQ(m_crypting.size(), static_cast<size_t>(v.size / 1002 + 1));
        EXPECT_EQ(m_crypting.back(), (std::pair<std::int32_t, std::int32_t>(v.size, v.size)));
    }
}

TEST_F(CryptFileTest, FormARoundTripIsRepeatableAndAWrongPasswordIsNotDetected)
{
    const FormAVector v = loadFormAVectors().at(QStringLiteral("other_password"));
    writeFile(path("in"), vectorInput(v));
    writeFile(path("out"), QByteArray(5000, 'o')); // replaced
    clsCryptFile encryptor = make(v.password);
    ASSERT_TRUE(encryptor.Encrypt());
    const QByteArray first = readFile(path("out"));
    ASSERT_TRUE(encryptor.Encrypt(0));
    EXPECT_EQ(readFile(path("out")), first);

    clsCryptFile decryptor = make(v.password);
    decryptor.setInFile(path("out"));
    decryptor.setOutFile(path("back"));
    ASSERT_TRUE(decryptor.Decrypt()) << decryptor.GetErrMsg().toStdString();
    EXPECT_EQ(readFile(path("back")), vectorInput(v));
    EXPECT_EQ(m_crypting.back(), (std::pair<std::int32_t, std::int32_t>{2004, 2004}));
    decryptor.setPassword(QStringLiteral("another"));
    ASSERT_TRUE(decryptor.Decrypt());
    EXPECT_NE(readFile(path("back")), vectorInput(v));
}

TEST_F(CryptFileTest, MissingInputFailsWithItsModesMessageAndOtherModesTouchNothing)
{
    for (const bool encrypting : {true, false}) {
        clsCryptFile cryptFile = make(passPhrase());
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt() : cryptFile.Decrypt());
        EXPECT_EQ(cryptFile.GetErrMsg(), encrypting ? QStringLiteral("暗号化を行うファイルが存在しません。")
                                                    : QStringLiteral("複合化を行うファイルが存在しません。"));
        EXPECT_FALSE(QFile::exists(path("out")));
        EXPECT_EQ(m_crypted, 1);
        EXPECT_TRUE(m_crypting.empty());
    }
    writeFile(path("in"), "abc");
    clsCryptFile cryptFile = make(passPhrase());
    for (const short mode : {short(7), short(2), short(-1)}) {
        EXPECT_FALSE(cryptFile.Encrypt(mode));
        EXPECT_FALSE(cryptFile.Decrypt(mode));
    }
    EXPECT_EQ(m_crypted, 0);
    EXPECT_TRUE(m_crypting.empty() && cryptFile.GetErrMsg().isEmpty());
    EXPECT_FALSE(QFile::exists(path("out")));
}

// Opening, creating and writing are checked (the original did not): each
// failure ends in the failure path with the system's description.
TEST_F(CryptFileTest, FileFailuresGiveTheSystemsText)
{
    const std::pair<std::function<void(clsCryptFile&)>, int> cases[] = {
        {[&](clsCryptFile&) {
             writeFile(path("out"), "kept");
             QFile::setPermissions(path("out"), QFileDevice::ReadOwner);
         }, EACCES},
        {[&](clsCryptFile& c) { c.setOutFile(path("in")); }, EBUSY},
        {[&](clsCryptFile& c) { c.setOutFile(path("no/such/out")); }, ENOENT},
        {[&](clsCryptFile& c) { c.setOutFile(QStringLiteral("/dev/full")); }, ENOSPC},
    };
    for (const auto& [setup, error] : cases) {
        writeFile(path("in"), "plain text");
        clsCryptFile cryptFile = make(passPhrase());
        setup(cryptFile);
        EXPECT_FALSE(cryptFile.Encrypt());
        EXPECT_EQ(cryptFile.GetErrMsg(), platform::systemErrorText(error));
        EXPECT_EQ(m_crypted, 1);
        EXPECT_EQ(readFile(path("in")), "plain text");
    }
    EXPECT_EQ(readFile(path("out")), "kept");
}

TEST_F(CryptFileTest, RunningTotalPastTheLimitOverflowsAfterWritingItsChunk)
{
    clsCryptFile::Environment env = environment();
    env.runningTotalLimit = 2500; // stands for 2^31 - 1
    writeFile(path("in"), QByteArray(2500, 'a'));
    EXPECT_TRUE(make(passPhrase(), env).Encrypt());
    writeFile(path("in"), QByteArray(2501, 'a'));
    clsCryptFile pastLimit = make(passPhrase(), env);
    EXPECT_FALSE(pastLimit.Encrypt());
    EXPECT_EQ(pastLimit.GetErrMsg(), platform::systemErrorText(EOVERFLOW));
    EXPECT_EQ(m_crypting, (Totals{{1002, 2501}, {2004, 2501}}));
    EXPECT_EQ(readFile(path("out")).size(), 2501) << "left as far as it was written";
    EXPECT_EQ(m_crypted, 1);
}

class FormBTest : public CryptFileTest {
protected:
    static QString exchangePairPath()
    {
        return QFileInfo(sharedTestProvider()->containerPath()).dir().filePath(QStringLiteral("exchange-pair.pem"));
    }
    QByteArray encryptFormB(const QByteArray& plain)
    {
        writeFile(path("in"), plain);
        clsCryptFile cryptFile = make(QString());
        EXPECT_TRUE(cryptFile.Encrypt()) << cryptFile.GetErrMsg().toStdString();
        return readFile(path("out"));
    }
    // Decrypts sealed into "back"; the message of a failure in m_message.
    bool decryptFormB(const QByteArray& sealed)
    {
        writeFile(path("sealed"), sealed);
        clsCryptFile decryptor = make(QString());
        decryptor.setInFile(path("sealed"));
        decryptor.setOutFile(path("back"));
        const bool ok = decryptor.Decrypt();
        m_message = decryptor.GetErrMsg();
        return ok;
    }
    QString m_message;
};

TEST_F(FormBTest, LengthThenBlobThenDataAndBackAgain)
{
    for (const qint64 size : {2500, 0}) {
        const QByteArray plain = vectorInput(FormAVector{{}, {}, size, 13, 1, {}, {}});
        const QByteArray sealed = encryptFormB(plain);
        const auto* b = reinterpret_cast<const unsigned char*>(sealed.constData());
        const std::int32_t n = b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24;
        EXPECT_EQ(sealed.size(), 4 + n + plain.size());
        QByteArray header;
        EXPECT_EQ(openFormB(sealed, exchangePairPath(), header), plain);
        EXPECT_EQ(header.toHex(), "010200000168000000a40000");
        EXPECT_NE(encryptFormB(plain), sealed) << "a fresh session key each time";
        ASSERT_TRUE(decryptFormB(sealed)) << m_message.toStdString();
        EXPECT_EQ(readFile(path("back")), plain);
        EXPECT_EQ(m_crypting.back(), (std::pair<std::int32_t, std::int32_t>(size, 4 + n + size)))
            << "FileBytes counts the header";
    }
    // The key-exchange pair: made at the first use of form B, for the owner only.
    EXPECT_EQ(testsupport::fileMode(exchangePairPath()), 0600u);
}

// N is checked against the rest of the file before anything is read.
TEST_F(FormBTest, ForgedOrTruncatedLengthFailsCleanly)
{
    const QByteArray sealed = encryptFormB(QByteArray(100, 'z'));
    auto withLength = [&](std::uint32_t n) {
        QByteArray forged = sealed;
        for (int i = 0; i < 4; ++i)
            forged[i] = static_cast<char>(n >> (8 * i));
        return forged;
    };
    for (const QByteArray& bad : {QByteArray(), sealed.left(3), withLength(0), withLength(0xFFFFFFFF),
                                  withLength(0x80000000), withLength(static_cast<std::uint32_t>(sealed.size() - 3)),
                                  sealed.left(4 + 100)}) {
        EXPECT_FALSE(decryptFormB(bad)) << bad.size();
        EXPECT_TRUE(m_message.contains(QStringLiteral("長さ"))) << m_message.toStdString();
        EXPECT_EQ(m_crypted, 1);
        EXPECT_TRUE(m_crypting.empty());
    }
}

TEST_F(FormBTest, DamagedBlobOrFormAFileIsNotImported)
{
    QByteArray damaged = encryptFormB(QByteArray(100, 'z'));
    damaged[4] = 7; // not a SIMPLEBLOB
    EXPECT_FALSE(decryptFormB(damaged));
    EXPECT_EQ(m_message, QStringLiteral("CryptImportKey Error!"));
    // A form A file read as form B: its first bytes make a nonsense length.
    writeFile(path("in"), QByteArray(3000, 'q'));
    ASSERT_TRUE(make(passPhrase()).Encrypt());
    EXPECT_FALSE(decryptFormB(readFile(path("out"))));
    EXPECT_FALSE(m_message.isEmpty());
}

} // namespace
