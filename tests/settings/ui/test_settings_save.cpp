// "設定": the four check passes with their messages and focus, and the save.
#include "SettingsWindowFixture.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFileInfo>

using settings::Field;

class SettingsSave : public SettingsWindowFixture {
protected:
    // Presses "設定" and expects one warning box with message, the focus in
    // box and nothing saved.
    void expectRefused(const QString& message, const char* focusBox)
    {
        m_boxes.boxes.clear();
        press("cmdEstablish");
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
        EXPECT_EQ(m_boxes.boxes.at(0).text, message);
        EXPECT_TRUE(focusIn(focusBox)) << focusBox;
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_FALSE(QFileInfo::exists(iniPath()));
    }
};

TEST_F(SettingsSave, ChecksRunPassByPassWithTheFocusOnTheFirstFailingBox)
{
    open();
    for (const char* name : kBoxNames)
        setText(name, QString());
    expectRefused(QStringLiteral("USER設定の報告IDが未入力です。"), "txtUHoukoku");

    // The blank pass covers every field before any length is checked.
    fillValid();
    setText("txtUHoukoku", QString(256, QLatin1Char('h')));
    setText("txtSTemp", QStringLiteral(" "));
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先が未入力です。"), "txtSTemp");

    // A chosen folder of 256 CP932 bytes is too long, 255 pass the length
    // pass; the mail pass comes before the folder pass.
    fillValid();
    m_folderPicker.answers = { QLatin1Char('/') + QString(127, QChar(u'フ')) + QLatin1Char('x'),
        QLatin1Char('/') + QString(127, QChar(u'フ')) };
    press("cmdDialog_0");
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が入力文字数をオーバーしています"), "txtSOutPut");
    press("cmdDialog_0");
    setText("txtUMailAdress", QStringLiteral("reply.example.jp"));
    expectRefused(QStringLiteral("ﾕｰｻﾞｰ設定の返信メールアドレスの指定に間違いがあります。\r\n"
                                 "メールアドレス内に\"@\"がありません。"),
        "txtUMailAdress");
    setText("txtUMailAdress", QStringLiteral("reply@example.jp"));
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が存在しません。"), "txtSOutPut");

    // An ideographic space is no blank, and an existing file passes as a folder.
    setText("txtSOutPut", writeReport(QStringLiteral("plain file")));
    setText("txtUUserId", QStringLiteral("\u3000"));
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(stored(Field::UserId), QStringLiteral("\u3000"));
}

TEST_F(SettingsSave, WritesTheEightValuesInOrderWithThePasswordEnciphered)
{
    open();
    fillValid();
    const QString password = QStringLiteral("a long pass phrase, long enough to wrap its lines");
    setText("txtUPassWord", password);
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->result(), QDialog::Accepted);
    EXPECT_TRUE(m_boxes.boxes.empty());
    QStringList saved;
    for (Field field : settings::kFields)
        saved << (field == Field::Password ? decryptedPassword() : stored(field));
    EXPECT_EQ(saved, texts());
    EXPECT_NE(stored(Field::Password), password);

    // One line per key in the order of the fields; the enciphered password,
    // longer than one Base64 line, stays on its own.
    const QByteArray file = testsupport::readBytes(iniPath());
    qsizetype previous = -1;
    for (Field field : settings::kFields) {
        const qsizetype at = file.indexOf("\r\n" + settings::fieldInfo(field).key.toLatin1() + '=');
        EXPECT_GT(at, previous) << settings::fieldInfo(field).key.toStdString();
        previous = at;
    }
    for (const QByteArray& line : file.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith('[') || line.contains('=')) << line.data();
}

TEST_F(SettingsSave, AFailedFirstSaveLeavesNoFileAndAFailedLaterSaveKeepsWhatWasWritten)
{
    open();
    fillValid();
    hideComponents(); // the password cannot be enciphered
    for (int attempt = 0; attempt < 2; ++attempt) {
        press("cmdEstablish");
        EXPECT_EQ(m_boxes.boxes.size(), attempt + 1u);
        EXPECT_FALSE(QFileInfo::exists(iniPath()));
        EXPECT_TRUE(m_window->isVisible());
    }
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_EQ(textOf("txtUPassWord"), QStringLiteral("secret"));

    m_context.components.programFolder = platform::programFolder();
    writeValidSettings();
    const QString oldPassword = stored(Field::Password);
    open();
    setText("txtUHoukoku", QStringLiteral("新報告"));
    setText("txtUMailAdress", QStringLiteral("new@example.jp"));
    hideComponents();
    press("cmdEstablish");
    EXPECT_EQ(stored(Field::Houkoku), QStringLiteral("新報告"));
    EXPECT_EQ(stored(Field::Password), oldPassword);
    EXPECT_EQ(stored(Field::MailAdress), QStringLiteral("reply@example.jp"));

    // A write that fails shows clsIniFile's message.
    m_context.components.programFolder = platform::programFolder();
    ASSERT_TRUE(QDir(at(QStringLiteral("program"))).removeRecursively());
    m_boxes.boxes.clear();
    press("cmdEstablish");
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.boxes.at(0).text.startsWith(QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ")))
        << m_boxes.boxes.at(0).text.toStdString();
    EXPECT_TRUE(m_window->isVisible());
}
