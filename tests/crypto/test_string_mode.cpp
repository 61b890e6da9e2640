// Text mode through the real component, built beside the tests.
#include "CryptTestSupport.h"
#include "crypto/PassPhrase.h"
#include "platform/Folders.h"

namespace {

class StringModeTest : public CryptFileTest {
protected:
    void SetUp() override { m_env.componentLookup = platform::ComponentLookup{platform::programFolder(), false}; }

    // One text-mode call on text with OutFile "before"; a failure leaves
    // OutFile and raises Crypted once.
    QString run(bool encrypting, const QString& text, const QString& password = passPhrase())
    {
        clsCryptFile cryptFile = make(password);
        cryptFile.setInFile(text);
        cryptFile.setOutFile(QStringLiteral("before"));
        const bool ok = encrypting ? cryptFile.Encrypt(1) : cryptFile.Decrypt(1);
        m_message = cryptFile.GetErrMsg();
        EXPECT_EQ(cryptFile.InFile(), text) << "InFile is never changed";
        EXPECT_EQ(m_crypted, 1);
        EXPECT_TRUE(m_crypting.empty());
        EXPECT_TRUE(ok || cryptFile.OutFile() == QStringLiteral("before"));
        return ok ? cryptFile.OutFile() : QStringLiteral("<failed: %1>").arg(m_message);
    }
};

// Through CP932 first: what it cannot hold comes back as "?". The message
// ends in CR LF and reads back also on one line, as the settings file keeps it.
TEST_F(StringModeTest, TextsComeBackThroughCp932AlsoOnOneLine)
{
    const QString message = run(true, QString::fromUtf16(u"日本語のパスワード caf\u00e9"));
    EXPECT_TRUE(message.endsWith(QStringLiteral("\r\n"))) << message.toStdString();
    for (const QString& text : {message, QString(message).remove(QStringLiteral("\r\n"))})
        EXPECT_EQ(run(false, text), QString::fromUtf16(u"日本語のパスワード caf?"));
}

TEST_F(StringModeTest, DamagedTextWrongPassPhraseOrNoComponentFailsWithADescription)
{
    const QString message = run(true, QStringLiteral("pw"));
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("not*base64"), QStringLiteral("暗号化された文字列が Base64 形式ではありません。")},
        {message.chopped(30), QStringLiteral("暗号化された")}};
    for (const auto& [text, messageStart] : cases) {
        run(false, text);
        EXPECT_TRUE(m_message.startsWith(messageStart)) << m_message.toStdString();
    }
    run(false, message, QStringLiteral("Zubr"));
    EXPECT_TRUE(m_message.startsWith(QStringLiteral("不正なデータです。"))) << m_message.toStdString();

    ASSERT_TRUE(writeBytes(path(platform::kCapicom.fileName), "not a library"));
    for (const QString& folder : {m_folder.filePath(QStringLiteral("none")), m_folder.path()}) {
        m_env.componentLookup = platform::ComponentLookup{folder, false};
        for (const bool encrypting : {true, false}) {
            run(encrypting, QStringLiteral("x"));
            EXPECT_TRUE(m_message.contains(QStringLiteral("CAPICOM.DLL"))) << m_message.toStdString();
        }
    }
}

} // namespace
