// Text mode through the real component, built beside the tests.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"
#include "platform/Folders.h"

namespace {

class StringModeTest : public CryptFileTest {
protected:
    clsCryptFile makeText(const QString& text, const QString& folder = platform::programFolder())
    {
        clsCryptFile::Environment env = environment();
        env.componentLookup = platform::ComponentLookup{folder, false};
        clsCryptFile cryptFile = make(passPhrase(), env);
        cryptFile.setInFile(text);
        cryptFile.setOutFile(QStringLiteral("before"));
        return cryptFile;
    }
    QString encrypted(const QString& text)
    {
        clsCryptFile cryptFile = makeText(text);
        EXPECT_TRUE(cryptFile.Encrypt(1)) << cryptFile.GetErrMsg().toStdString();
        return cryptFile.OutFile();
    }
    // A failing call leaves OutFile and raises Crypted once.
    void expectFailure(clsCryptFile& cryptFile, bool encrypting, const QString& messageStart)
    {
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt(1) : cryptFile.Decrypt(1));
        EXPECT_TRUE(cryptFile.GetErrMsg().startsWith(messageStart)) << cryptFile.GetErrMsg().toStdString();
        EXPECT_EQ(cryptFile.OutFile(), QStringLiteral("before"));
        EXPECT_EQ(m_crypted, 1);
    }
};

TEST_F(StringModeTest, TextsComeBackAlsoWithoutLineBreaks)
{
    for (const QString& text : {QStringLiteral("Secret-01"), QString::fromUtf16(u"日本語のパスワード"), QString(),
                                QString::fromUtf16(u"caf\u00e9")}) {
        const QString message = encrypted(text);
        EXPECT_TRUE(message.endsWith(QStringLiteral("\r\n")));
        for (const QString& stored : {message, QString(message).remove(QStringLiteral("\r\n"))}) {
            clsCryptFile cryptFile = makeText(stored);
            ASSERT_TRUE(cryptFile.Decrypt(1)) << cryptFile.GetErrMsg().toStdString();
            // Through CP932 first: what it cannot hold comes back as "?".
            EXPECT_EQ(cryptFile.OutFile(), QString(text).replace(QChar(u'\u00e9'), QLatin1Char('?')));
            EXPECT_EQ(cryptFile.InFile(), stored) << "InFile is never changed";
            EXPECT_EQ(m_crypted, 1);
            EXPECT_TRUE(m_crypting.empty());
        }
    }
}

TEST_F(StringModeTest, DamagedTextWrongPassPhraseOrNoComponentFailsWithADescription)
{
    clsCryptFile damaged = makeText(QStringLiteral("not*base64"));
    expectFailure(damaged, false, QStringLiteral("暗号化された文字列が Base64 形式ではありません。"));
    const QString message = encrypted(QStringLiteral("pw"));
    clsCryptFile truncated = makeText(message.chopped(30));
    expectFailure(truncated, false, QStringLiteral("暗号化された"));
    clsCryptFile wrongKey = makeText(message);
    wrongKey.setPassword(QStringLiteral("Zubr"));
    expectFailure(wrongKey, false, QStringLiteral("不正なデータです。"));

    writeFile(path("libcapicom.so"), "not a library");
    for (const QString& folder : {m_folder.filePath(QStringLiteral("none")), m_folder.path()}) {
        for (const bool encrypting : {true, false}) {
            clsCryptFile cryptFile = makeText(QStringLiteral("x"), folder);
            expectFailure(cryptFile, encrypting, QString());
            EXPECT_TRUE(cryptFile.GetErrMsg().contains(QStringLiteral("CAPICOM.DLL")));
        }
    }
}

// A message made without the component (hashlib and the openssl command)
// reads back: the text went through CP932 as CAPICOM's callers do.
TEST_F(StringModeTest, ReadsAMessageMadeIndependently)
{
    const QString path = QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/capicom/testdata/good_zubq.txt");
    clsCryptFile cryptFile = makeText(QString::fromLatin1(readFile(path)));
    ASSERT_TRUE(cryptFile.Decrypt(1)) << cryptFile.GetErrMsg().toStdString();
    EXPECT_EQ(cryptFile.OutFile(), QString::fromUtf16(u"パスワード123"));
}

} // namespace
