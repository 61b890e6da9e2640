// File mode on the real provider and file system: form A against the
// independently computed vectors, the events, form B, and what happens
// around the files.
#include "CryptTestSupport.h"
#include "FormAVectors.h"
#include "crypto/PassPhrase.h"
#include "platform/SystemError.h"

#include <cerrno>

namespace {

using Totals = std::vector<std::pair<std::int32_t, std::int32_t>>;

class FormATest : public CryptFileTest {
protected:
    // Encrypts the vector's input and checks the output byte for byte.
    void encryptsLikeTheVector(const char* name)
    {
        const FormAVector v = loadFormAVectors().at(QString::fromLatin1(name));
        writeFile(path(QStringLiteral("in")), vectorInput(v));
        clsCryptFile cryptFile = make(v.password);
        ASSERT_TRUE(cryptFile.Encrypt()) << cryptFile.GetErrMsg().toStdString();
        const QByteArray out = readFile(path(QStringLiteral("out")));
        EXPECT_EQ(out.size(), v.size);
        EXPECT_EQ(out.left(32), v.head);
        EXPECT_EQ(sha256Of(out), v.sha256) << name;
        EXPECT_EQ(m_events.crypted, 1);
    }
};

TEST_F(FormATest, EmptyInputGivesEmptyOutputAndOneZeroChunk)
{
    encryptsLikeTheVector("empty");
    EXPECT_EQ(m_events.crypting, (Totals{{0, 0}}));
}

TEST_F(FormATest, ExactlyOneChunkEndsWithAnEmptyFinalChunk)
{
    encryptsLikeTheVector("one_chunk");
    EXPECT_EQ(m_events.crypting, (Totals{{1002, 1002}, {1002, 1002}}));
}

TEST_F(FormATest, ThreeChunksReportTheirRunningTotals)
{
    encryptsLikeTheVector("three_chunks");
    EXPECT_EQ(m_events.crypting, (Totals{{1002, 2500}, {2004, 2500}, {2500, 2500}}));
}

TEST_F(FormATest, SeveralMebibytesMatchTheVector)
{
    encryptsLikeTheVector("few_mib");
    const std::size_t chunks = 3146505 / 1002 + 1;
    ASSERT_EQ(m_events.crypting.size(), chunks);
    EXPECT_EQ(m_events.crypting.back(), (std::pair<std::int32_t, std::int32_t>{3146505, 3146505}));
}

TEST_F(FormATest, KanjiPasswordIsHashedOnlyAsFarAsItsCharacterCount)
{
    encryptsLikeTheVector("kanji_password"); // "一ab": 88 EA 61 of 88 EA 61 62
}

TEST_F(FormATest, TheProgramsPassPhraseIsTheVectorsOne)
{
    EXPECT_EQ(passPhrase(), loadFormAVectors().at(QStringLiteral("one_chunk")).password);
}

TEST_F(FormATest, RoundTripAndRepeatability)
{
    const FormAVector v = loadFormAVectors().at(QStringLiteral("other_password"));
    const QByteArray plain = vectorInput(v);
    writeFile(path(QStringLiteral("in")), plain);
    clsCryptFile encryptor = make(v.password);
    ASSERT_TRUE(encryptor.Encrypt());
    const QByteArray first = readFile(path(QStringLiteral("out")));
    ASSERT_TRUE(encryptor.Encrypt(0));
    EXPECT_EQ(readFile(path(QStringLiteral("out"))), first) << "same input, same password, same output";

    clsCryptFile decryptor = make(v.password);
    decryptor.setInFile(path(QStringLiteral("out")));
    decryptor.setOutFile(path(QStringLiteral("back")));
    ASSERT_TRUE(decryptor.Decrypt()) << decryptor.GetErrMsg().toStdString();
    EXPECT_EQ(readFile(path(QStringLiteral("back"))), plain);
    EXPECT_EQ(m_events.crypting.back(), (std::pair<std::int32_t, std::int32_t>{2004, 2004}));

    decryptor.setPassword(QStringLiteral("another"));
    ASSERT_TRUE(decryptor.Decrypt()) << "a wrong password is not detected";
    EXPECT_NE(readFile(path(QStringLiteral("back"))), plain);
}

TEST_F(CryptFileTest, ExistingOutputIsReplaced)
{
    writeFile(path(QStringLiteral("in")), "abc");
    writeFile(path(QStringLiteral("out")), QByteArray(5000, 'o'));
    clsCryptFile cryptFile = make(passPhrase());
    ASSERT_TRUE(cryptFile.Encrypt());
    EXPECT_EQ(readFile(path(QStringLiteral("out"))).size(), 3);
}

TEST_F(CryptFileTest, MissingInputFailsWithItsModesMessageAndCreatesNothing)
{
    for (const bool encrypting : {true, false}) {
        clsCryptFile cryptFile = make(passPhrase());
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt() : cryptFile.Decrypt());
        EXPECT_EQ(cryptFile.GetErrMsg(), encrypting ? QStringLiteral("暗号化を行うファイルが存在しません。")
                                                    : QStringLiteral("複合化を行うファイルが存在しません。"));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out"))));
        EXPECT_EQ(m_events.crypted, 1);
        EXPECT_TRUE(m_events.crypting.empty());
    }
}

TEST_F(CryptFileTest, OtherModesTouchNothing)
{
    writeFile(path(QStringLiteral("in")), "abc");
    clsCryptFile cryptFile = make(passPhrase());
    cryptFile.setInFile(path(QStringLiteral("missing")));
    ASSERT_FALSE(cryptFile.Encrypt());
    const QString before = cryptFile.GetErrMsg();
    cryptFile.setInFile(path(QStringLiteral("in")));
    for (const short mode : {short(7), short(2), short(-1)}) {
        m_events = Events();
        m_events.attach(cryptFile);
        EXPECT_FALSE(cryptFile.Encrypt(mode));
        EXPECT_FALSE(cryptFile.Decrypt(mode));
        EXPECT_EQ(m_events.crypted, 0);
        EXPECT_TRUE(m_events.crypting.empty());
        EXPECT_EQ(cryptFile.GetErrMsg(), before);
    }
    QFile::remove(path(QStringLiteral("out")));
    EXPECT_FALSE(cryptFile.Encrypt(7));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out"))));
}

TEST_F(CryptFileTest, ReadOnlyOutputCannotBeReplaced)
{
    writeFile(path(QStringLiteral("in")), "abc");
    writeFile(path(QStringLiteral("out")), "kept");
    QFile::setPermissions(path(QStringLiteral("out")), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    clsCryptFile cryptFile = make(passPhrase());
    EXPECT_FALSE(cryptFile.Encrypt());
    EXPECT_EQ(cryptFile.GetErrMsg(), platform::systemErrorText(EACCES));
    EXPECT_EQ(readFile(path(QStringLiteral("out"))), QByteArray("kept"));
    EXPECT_EQ(m_events.crypted, 1);
}

TEST_F(CryptFileTest, OutputOverItsOwnInputIsRefused)
{
    writeFile(path(QStringLiteral("in")), "plain text");
    clsCryptFile cryptFile = make(passPhrase());
    cryptFile.setOutFile(path(QStringLiteral("in")));
    EXPECT_FALSE(cryptFile.Encrypt());
    EXPECT_EQ(cryptFile.GetErrMsg(), platform::systemErrorText(EBUSY));
    EXPECT_EQ(readFile(path(QStringLiteral("in"))), QByteArray("plain text"));
}

TEST_F(CryptFileTest, OutputInAMissingFolderFailsWithTheSystemsText)
{
    writeFile(path(QStringLiteral("in")), "abc");
    clsCryptFile cryptFile = make(passPhrase());
    cryptFile.setOutFile(path(QStringLiteral("no/such/out")));
    EXPECT_FALSE(cryptFile.Encrypt());
    EXPECT_EQ(cryptFile.GetErrMsg(), platform::systemErrorText(ENOENT));
}

TEST_F(CryptFileTest, RunningTotalPastTheLimitOverflowsAfterWritingItsChunk)
{
    clsCryptFile::Environment env = environment();
    env.runningTotalLimit = 2500; // stands for 2^31 - 1
    writeFile(path(QStringLiteral("in")), QByteArray(2500, 'a'));
    clsCryptFile atLimit = make(passPhrase(), env);
    EXPECT_TRUE(atLimit.Encrypt());

    writeFile(path(QStringLiteral("in")), QByteArray(2501, 'a'));
    clsCryptFile pastLimit = make(passPhrase(), env);
    EXPECT_FALSE(pastLimit.Encrypt());
    EXPECT_EQ(pastLimit.GetErrMsg(), platform::systemErrorText(EOVERFLOW));
    EXPECT_EQ(m_events.crypting, (Totals{{1002, 2501}, {2004, 2501}}));
    EXPECT_EQ(readFile(path(QStringLiteral("out"))).size(), 2501) << "left as far as it was written";
    EXPECT_EQ(m_events.crypted, 1);
}

class FormBTest : public CryptFileTest {
protected:
    QByteArray encryptFormB(const QByteArray& plain)
    {
        writeFile(path(QStringLiteral("in")), plain);
        clsCryptFile cryptFile = make(QString());
        EXPECT_TRUE(cryptFile.Encrypt()) << cryptFile.GetErrMsg().toStdString();
        return readFile(path(QStringLiteral("out")));
    }

    // Decrypts file "sealed" into "back".
    bool decryptFormB(const QByteArray& sealed, clsCryptFile*& used)
    {
        writeFile(path(QStringLiteral("sealed")), sealed);
        m_decryptor = std::make_unique<clsCryptFile>(make(QString()));
        m_decryptor->setInFile(path(QStringLiteral("sealed")));
        m_decryptor->setOutFile(path(QStringLiteral("back")));
        used = m_decryptor.get();
        return m_decryptor->Decrypt();
    }

    static std::int32_t blobLength(const QByteArray& file)
    {
        const auto* b = reinterpret_cast<const unsigned char*>(file.constData());
        return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    }

    std::unique_ptr<clsCryptFile> m_decryptor;
};

TEST_F(FormBTest, LengthThenBlobThenDataAndBackAgain)
{
    const QByteArray plain = vectorInput(FormAVector{{}, {}, 2500, 13, 1, {}, {}});
    const QByteArray sealed = encryptFormB(plain);
    const std::int32_t n = blobLength(sealed);
    EXPECT_EQ(n, 268);
    EXPECT_EQ(sealed.size(), 4 + n + plain.size());
    EXPECT_EQ(sealed.mid(4, 12).toHex(), "010200000168000000a40000");
    EXPECT_NE(encryptFormB(plain), sealed) << "a fresh session key each time";

    clsCryptFile* decryptor = nullptr;
    ASSERT_TRUE(decryptFormB(sealed, decryptor)) << decryptor->GetErrMsg().toStdString();
    EXPECT_EQ(readFile(path(QStringLiteral("back"))), plain);
    EXPECT_EQ(m_events.crypting.back(), (std::pair<std::int32_t, std::int32_t>{2500, 4 + n + 2500}))
        << "FileBytes counts the header";
}

TEST_F(FormBTest, EmptyInputStillCarriesItsKey)
{
    const QByteArray sealed = encryptFormB(QByteArray());
    EXPECT_EQ(sealed.size(), 4 + 268);
    clsCryptFile* decryptor = nullptr;
    ASSERT_TRUE(decryptFormB(sealed, decryptor));
    EXPECT_EQ(readFile(path(QStringLiteral("back"))), QByteArray());
}

TEST_F(FormBTest, ForgedOrTruncatedLengthFailsCleanly)
{
    const QByteArray sealed = encryptFormB(QByteArray(100, 'z'));
    auto withLength = [&](std::uint32_t n) {
        QByteArray forged = sealed;
        for (int i = 0; i < 4; ++i)
            forged[i] = static_cast<char>(n >> (8 * i));
        return forged;
    };
    const QByteArray cases[] = {QByteArray(), sealed.left(3), withLength(0), withLength(0xFFFFFFFF),
                                withLength(0x80000000), withLength(static_cast<std::uint32_t>(sealed.size() - 3)),
                                sealed.left(4 + 100)};
    for (const QByteArray& bad : cases) {
        clsCryptFile* decryptor = nullptr;
        EXPECT_FALSE(decryptFormB(bad, decryptor)) << bad.size();
        EXPECT_TRUE(decryptor->GetErrMsg().contains(QStringLiteral("長さ"))) << decryptor->GetErrMsg().toStdString();
        EXPECT_EQ(m_events.crypted, 1);
        EXPECT_TRUE(m_events.crypting.empty());
    }
}

TEST_F(FormBTest, DamagedBlobOrFormAFileIsNotImported)
{
    QByteArray damaged = encryptFormB(QByteArray(100, 'z'));
    damaged[4] = 7; // not a SIMPLEBLOB
    clsCryptFile* decryptor = nullptr;
    EXPECT_FALSE(decryptFormB(damaged, decryptor));
    EXPECT_EQ(decryptor->GetErrMsg(), QStringLiteral("CryptImportKey Error!"));

    // A form A file read as form B: its first bytes make a nonsense length.
    writeFile(path(QStringLiteral("in")), QByteArray(3000, 'q'));
    clsCryptFile formA = make(passPhrase());
    ASSERT_TRUE(formA.Encrypt());
    EXPECT_FALSE(decryptFormB(readFile(path(QStringLiteral("out"))), decryptor));
    EXPECT_FALSE(decryptor->GetErrMsg().isEmpty());
}

} // namespace
