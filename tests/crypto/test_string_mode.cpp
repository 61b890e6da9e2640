// Text mode: through the real component (built beside the tests), and
// through a recording one that shows the calls, their order and values.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"
#include "platform/Folders.h"

#include <QLibrary>

namespace {

class StringModeTest : public CryptFileTest {
protected:
    clsCryptFile makeText(const QString& text, const QString& folder, bool searchSystem = false)
    {
        clsCryptFile::Environment env = environment();
        env.componentLookup = platform::ComponentLookup{folder, searchSystem};
        clsCryptFile cryptFile = make(passPhrase(), env);
        cryptFile.setInFile(text);
        cryptFile.setOutFile(QStringLiteral("before"));
        return cryptFile;
    }
    clsCryptFile makeReal(const QString& text) { return makeText(text, platform::programFolder()); }

    QString encrypted(const QString& text)
    {
        clsCryptFile cryptFile = makeReal(text);
        EXPECT_TRUE(cryptFile.Encrypt(1)) << cryptFile.GetErrMsg().toStdString();
        return cryptFile.OutFile();
    }
};

TEST_F(StringModeTest, TextsComeBackAlsoWithoutLineBreaks)
{
    for (const QString& text : {QStringLiteral("Secret-01"), QString::fromUtf16(u"日本語のパスワード"), QString()}) {
        const QString message = encrypted(text);
        EXPECT_TRUE(message.endsWith(QStringLiteral("\r\n")));
        for (const QString& stored : {message, QString(message).remove(QStringLiteral("\r\n"))}) {
            clsCryptFile cryptFile = makeReal(stored);
            ASSERT_TRUE(cryptFile.Decrypt(1)) << cryptFile.GetErrMsg().toStdString();
            EXPECT_EQ(cryptFile.OutFile(), text);
            EXPECT_EQ(cryptFile.InFile(), stored) << "InFile is never changed";
            EXPECT_EQ(m_events.crypted, 1);
            EXPECT_TRUE(m_events.crypting.empty());
        }
    }
}

TEST_F(StringModeTest, CharactersOutsideCp932BecomeQuestionMarksFirst)
{
    clsCryptFile cryptFile = makeReal(encrypted(QString::fromUtf16(u"caf\u00e9")));
    ASSERT_TRUE(cryptFile.Decrypt(1));
    EXPECT_EQ(cryptFile.OutFile(), QStringLiteral("caf?"));
}

TEST_F(StringModeTest, DamagedTextOrWrongPassPhraseFailsWithTheComponentsDescription)
{
    clsCryptFile damaged = makeReal(QStringLiteral("not*base64"));
    EXPECT_FALSE(damaged.Decrypt(1));
    EXPECT_EQ(damaged.GetErrMsg(), QStringLiteral("暗号化された文字列が Base64 形式ではありません。"));
    EXPECT_EQ(damaged.OutFile(), QStringLiteral("before"));
    EXPECT_EQ(m_events.crypted, 1);

    QString message = encrypted(QStringLiteral("pw"));
    message.chop(30);
    clsCryptFile truncated = makeReal(message);
    EXPECT_FALSE(truncated.Decrypt(1));
    EXPECT_TRUE(truncated.GetErrMsg().startsWith(QStringLiteral("暗号化された"))) << truncated.GetErrMsg().toStdString();
    EXPECT_EQ(truncated.OutFile(), QStringLiteral("before"));

    clsCryptFile wrongKey = makeReal(encrypted(QStringLiteral("pw")));
    wrongKey.setPassword(QStringLiteral("Zubr"));
    EXPECT_FALSE(wrongKey.Decrypt(1));
    EXPECT_TRUE(wrongKey.GetErrMsg().startsWith(QStringLiteral("不正なデータです。")));
    EXPECT_EQ(wrongKey.OutFile(), QStringLiteral("before"));
}

TEST_F(StringModeTest, MissingComponentFailsClearly)
{
    for (const bool encrypting : {true, false}) {
        clsCryptFile cryptFile = makeText(QStringLiteral("x"), m_folder.path());
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt(1) : cryptFile.Decrypt(1));
        EXPECT_TRUE(cryptFile.GetErrMsg().contains(QStringLiteral("CAPICOM.DLL"))) << cryptFile.GetErrMsg().toStdString();
        EXPECT_EQ(cryptFile.OutFile(), QStringLiteral("before"));
        EXPECT_EQ(m_events.crypted, 1);
    }
}

TEST_F(StringModeTest, ComponentWithoutItsEntryPointsIsRefused)
{
    writeFile(path(QStringLiteral("libcapicom.so")), "not a library");
    clsCryptFile cryptFile = makeText(QStringLiteral("x"), m_folder.path());
    EXPECT_FALSE(cryptFile.Encrypt(1));
    EXPECT_TRUE(cryptFile.GetErrMsg().contains(QStringLiteral("CAPICOM.DLL")));
}

// The recording component's own controls.
class RecordedCalls {
public:
    RecordedCalls() : m_library(QStringLiteral(RECORDING_CAPICOM_FOLDER "/libcapicom.so"))
    {
        m_log = reinterpret_cast<const char* (*)()>(m_library.resolve("recording_capicom_log"));
        m_reset = reinterpret_cast<void (*)(const char*)>(m_library.resolve("recording_capicom_reset"));
    }
    bool ready() const { return m_log && m_reset; }
    void reset(const char* failAt = "") { m_reset(failAt); }
    std::string log() const { return m_log(); }

private:
    QLibrary m_library;
    const char* (*m_log)() = nullptr;
    void (*m_reset)(const char*) = nullptr;
};

class RecordedStringModeTest : public StringModeTest {
protected:
    clsCryptFile makeRecorded(const QString& text) { return makeText(text, QStringLiteral(RECORDING_CAPICOM_FOLDER)); }
    RecordedCalls m_calls;
};

TEST_F(RecordedStringModeTest, CallsComeInTheDesignedOrderWithCp932Bytes)
{
    ASSERT_TRUE(m_calls.ready());
    m_calls.reset();
    clsCryptFile encryptor = makeRecorded(QString::fromUtf16(u"パス"));
    ASSERT_TRUE(encryptor.Encrypt(1));
    EXPECT_EQ(m_calls.log(), "create;name=2;keylength=0;secret=Zubq;content=\x83\x70\x83\x58;encrypt;destroy;");
    EXPECT_EQ(encryptor.OutFile(), QString::fromUtf16(u"ENC[パス]"));

    m_calls.reset();
    clsCryptFile decryptor = makeRecorded(QStringLiteral("stored"));
    ASSERT_TRUE(decryptor.Decrypt(1));
    EXPECT_EQ(m_calls.log(), "create;name=2;keylength=0;secret=Zubq;decrypt=stored;getcontent;destroy;");
    EXPECT_EQ(decryptor.OutFile(), QStringLiteral("stored"));
}

TEST_F(RecordedStringModeTest, AFailingCallStopsTheRunAndReleasesTheObject)
{
    ASSERT_TRUE(m_calls.ready());
    for (const char* step : {"name", "keylength", "secret", "content", "encrypt", "decrypt", "getcontent"}) {
        m_calls.reset(step);
        clsCryptFile cryptFile = makeRecorded(QStringLiteral("t"));
        const bool encrypting = std::string(step) != "decrypt" && std::string(step) != "getcontent";
        EXPECT_FALSE(encrypting ? cryptFile.Encrypt(1) : cryptFile.Decrypt(1)) << step;
        EXPECT_EQ(cryptFile.GetErrMsg(), QStringLiteral("recorded failure in ") + QLatin1String(step));
        EXPECT_EQ(cryptFile.OutFile(), QStringLiteral("before"));
        EXPECT_TRUE(m_calls.log().ends_with("destroy;")) << m_calls.log();
        EXPECT_EQ(m_events.crypted, 1);
    }
    m_calls.reset("create");
    clsCryptFile cryptFile = makeRecorded(QStringLiteral("t"));
    EXPECT_FALSE(cryptFile.Encrypt(1));
    EXPECT_FALSE(cryptFile.GetErrMsg().isEmpty());
}

} // namespace
