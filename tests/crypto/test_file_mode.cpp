// File mode on the real provider and file system: form A against the
// independently computed vectors, the events, form B's layout, and what
// happens around the files.
#include "CryptTestSupport.h"
#include "FormAVectors.h"
#include "crypto/PassPhrase.h"
#include "platform/SystemError.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <cerrno>
#include <map>

namespace {

QByteArray formAKey(const QByteArray& hashedBytes)
{
    return QCryptographicHash::hash(hashedBytes, QCryptographicHash::Md5).left(5);
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

// Empty input, exactly 1002 bytes (an empty final chunk follows), 2500
// bytes, a few MiB, and a kanji password hashed only as far as its
// character count ("一ab": 88 EA 61 of 88 EA 61 62), each decrypted back
// with the same events. Then sizes at the edges of the 1 MiB file buffers:
// exactly one buffer, whole chunks past one buffer (the empty last chunk
// after a boundary), a chunk split by it.
TEST_F(CryptFileTest, FormAMatchesTheIndependentVectorsWithTheirRunningTotals)
{
    const auto vectors = loadFormAVectors();
    ASSERT_GE(vectors.size(), 7u);
    EXPECT_EQ(passPhrase(), vectors.at(QStringLiteral("one_chunk")).password);
    std::map<QString, Totals> totals{{QStringLiteral("empty"), {{0, 0}}},
                                     {QStringLiteral("one_chunk"), {{1002, 1002}, {1002, 1002}}},
                                     {QStringLiteral("three_chunks"), {{1002, 2500}, {2004, 2500}, {2500, 2500}}}};
    for (const auto& [name, v] : vectors) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray input = vectorInput(v.size, v.mul, v.seed);
        const Totals events = totals.contains(name) ? totals[name] : chunkTotals(v.size);
        ASSERT_TRUE(crypt(true, v.password, input)) << m_message.toStdString();
        EXPECT_EQ(out().size(), v.size) << "a longer earlier output is replaced";
        EXPECT_EQ(out().left(32), v.head);
        EXPECT_EQ(QCryptographicHash::hash(out(), QCryptographicHash::Sha256), v.sha256);
        EXPECT_EQ(m_crypted, 1);
        EXPECT_EQ(m_crypting, events);
        ASSERT_TRUE(crypt(false, v.password, out())) << m_message.toStdString();
        EXPECT_TRUE(out() == input) << "and back";
        EXPECT_EQ(m_crypting, events);
    }
    for (const std::int32_t size : {1 << 20, 1002 * 1047, (2 << 20) + 1}) {
        SCOPED_TRACE(size);
        const QByteArray input = vectorInput(size, 131, 3);
        ASSERT_TRUE(crypt(true, passPhrase(), input)) << m_message.toStdString();
        EXPECT_EQ(m_crypting, chunkTotals(size));
        EXPECT_TRUE(out() == rc4(formAKey(passPhrase().toLatin1()), input));
    }
}

TEST_F(CryptFileTest, MissingInputFailsWithItsModesMessageAndUnknownModesTouchNothing)
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
    ASSERT_TRUE(writeBytes(path("in"), "abc"));
    clsCryptFile cryptFile = make(passPhrase());
    EXPECT_FALSE(cryptFile.Encrypt(2) || cryptFile.Decrypt(-1));
    EXPECT_TRUE(m_crypted == 0 && cryptFile.GetErrMsg().isEmpty() && !QFile::exists(path("out"))) << "nothing touched";
}

// Opening, creating, writing and closing are checked: each failure ends in
// the failure path with the system's text. /dev/full takes the buffered
// write and refuses it at the close.
TEST_F(CryptFileTest, FileFailuresGiveTheSystemsText)
{
    ASSERT_TRUE(writeBytes(path("out"), "kept") && QFile::setPermissions(path("out"), QFileDevice::ReadOwner));
    std::vector<std::pair<QString, int>> cases = {{path("out"), EACCES}, {path("in"), EBUSY}, {path("a/out"), ENOENT}};
    if (!testsupport::onWindows()) // Windows has no device that is always full
        cases.emplace_back(QStringLiteral("/dev/full"), ENOSPC);
    for (const auto& [output, error] : cases) {
        SCOPED_TRACE(error);
        m_outFile = output;
        EXPECT_FALSE(crypt(true, passPhrase(), "plain text"));
        EXPECT_EQ(m_message, platform::systemErrorText(error));
        EXPECT_EQ(m_crypted, 1);
        EXPECT_EQ(readBytes(path("in")), "plain text");
    }
    EXPECT_EQ(readBytes(path("out")), "kept");
}

TEST_F(CryptFileTest, RunningTotalPastTheLimitOverflowsAfterWritingItsChunk)
{
    m_env.runningTotalLimit = 2500; // stands for 2^31 - 1
    EXPECT_TRUE(crypt(true, passPhrase(), QByteArray(2500, 'a')));
    EXPECT_FALSE(crypt(true, passPhrase(), QByteArray(2501, 'a')));
    EXPECT_EQ(m_message, platform::systemErrorText(EOVERFLOW));
    EXPECT_EQ(m_crypting, (Totals{{1002, 2501}, {2004, 2501}}));
    EXPECT_EQ(out().size(), 2501) << "left as far as it was written";
    EXPECT_EQ(m_crypted, 1);
}

TEST_F(CryptFileTest, FormBIsLengthThenBlobThenDataAndComesBack)
{
    for (const qint64 size : {2500, 0}) {
        SCOPED_TRACE(size);
        const QByteArray plain = vectorInput(size, 13, 1);
        ASSERT_TRUE(crypt(true, QString(), plain)) << m_message.toStdString();
        const QByteArray sealed = out();
        const auto* b = reinterpret_cast<const unsigned char*>(sealed.constData());
        const std::int32_t n = b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24;
        EXPECT_EQ(sealed.size(), 4 + n + plain.size());
        EXPECT_EQ(sealed.mid(4, 12).toHex(), "010200000168000000a40000") << "SIMPLEBLOB, RC4, RSA key exchange";
        ASSERT_TRUE(crypt(true, QString(), plain));
        EXPECT_NE(out(), sealed) << "a fresh session key each time";
        ASSERT_TRUE(crypt(false, QString(), sealed)) << m_message.toStdString();
        EXPECT_EQ(out(), plain);
        EXPECT_EQ(m_crypting.back(), (std::pair<std::int32_t, std::int32_t>(size, 4 + n + size)))
            << "FileBytes counts the header";
    }
}

namespace {
// N of a form B file: the blob's size depends on the pair's (Windows' base
// provider makes 512-bit pairs, the Linux stand-in 2048-bit ones).
qsizetype blobLength(const QByteArray& sealed)
{
    const auto* b = reinterpret_cast<const unsigned char*>(sealed.constData());
    return b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24;
}
} // namespace

// N is checked against the rest of the file before anything is read; a
// damaged blob or a form A file is not imported.
TEST_F(CryptFileTest, FormBWithAForgedOrTruncatedLengthOrADamagedBlobFailsCleanly)
{
    ASSERT_TRUE(crypt(true, QString(), QByteArray(100, 'z')));
    const QByteArray sealed = out();
    const auto withLength = [&](std::uint32_t n) { // N little-endian, then the rest as it was
        const char bytes[] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
        return QByteArray(bytes, 4) + sealed.mid(4);
    };
    for (const QByteArray& bytes : {QByteArray(), sealed.left(3), withLength(0), withLength(~0u), withLength(0x80000000),
                                    withLength(static_cast<std::uint32_t>(sealed.size() - 3)),
                                    sealed.left(4 + blobLength(sealed) - 1)}) {
        SCOPED_TRACE(bytes.size());
        EXPECT_FALSE(crypt(false, QString(), bytes));
        EXPECT_TRUE(m_message.startsWith(QStringLiteral("暗号化ファイルの鍵データの長さ ("))) << m_message.toStdString();
        EXPECT_EQ(m_crypted, 1);
        EXPECT_TRUE(m_crypting.empty());
    }
    QByteArray damaged = sealed;
    damaged[4] = 7; // not a SIMPLEBLOB
    EXPECT_FALSE(crypt(false, QString(), damaged));
    EXPECT_EQ(m_message, QStringLiteral("CryptImportKey Error!"));
    EXPECT_FALSE(crypt(false, QString(), rc4(formAKey(passPhrase().toLatin1()), QByteArray(3000, 'q'))));
    EXPECT_FALSE(m_message.isEmpty());
}

} // namespace
