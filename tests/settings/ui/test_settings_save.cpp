// "設定": the four check passes with their messages and focus, and the save.
#include "SettingsWindowFixture.h"

#include "common/basCommon.h"

#include <QDir>
#include <QFileInfo>

using settings::Field;

class SettingsChecks : public SettingsWindowFixture {
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

TEST_F(SettingsChecks, AllBlankShowsOnlyTheReportIdMessage)
{
    open();
    for (const char* name : kBoxNames)
        setText(name, QString());
    expectRefused(QStringLiteral("USER設定の報告IDが未入力です。"), "txtUHoukoku");
}

TEST_F(SettingsChecks, AsciiBlanksAreBlankButAnIdeographicSpaceIsNot)
{
    open();
    fillValid();
    setText("txtUUserId", QStringLiteral("   "));
    expectRefused(QStringLiteral("USER設定のユーザーIDが未入力です。"), "txtUUserId");

    setText("txtUUserId", QStringLiteral("\u3000"));
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(stored(Field::UserId), QStringLiteral("\u3000"));
}

TEST_F(SettingsChecks, TheBlankPassCoversEveryFieldBeforeAnyLengthIsChecked)
{
    open();
    fillValid();
    setText("txtUHoukoku", QString(256, QLatin1Char('h')));
    setText("txtSTemp", QStringLiteral(" "));
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先が未入力です。"), "txtSTemp");
}

TEST_F(SettingsChecks, AChosenFolderOf256BytesIsTooLongAnd255BytesAreNot)
{
    open();
    fillValid();
    // Two-byte characters in CP932 count double.
    const QString bytes256 = QLatin1Char('/') + QString(127, QChar(u'フ')) + QLatin1Char('x');
    m_folderPicker.answers = { bytes256 };
    press("cmdDialog_0");
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が入力文字数をオーバーしています"),
        "txtSOutPut");

    const QString bytes255 = QLatin1Char('/') + QString(127, QChar(u'フ'));
    m_folderPicker.answers = { bytes255 };
    press("cmdDialog_0");
    // Past the length pass, the folder pass finds nothing there.
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が存在しません。"), "txtSOutPut");
}

TEST_F(SettingsChecks, AWrongMailAddressGivesTheReasonOnASecondLine)
{
    open();
    fillValid();
    setText("txtUMailAdress", QStringLiteral("reply.example.jp"));
    QString reason;
    ASSERT_FALSE(basCommon::FncChkMailAddress(QStringLiteral("reply.example.jp"), reason));
    ASSERT_FALSE(reason.isEmpty());
    expectRefused(
        QStringLiteral("ﾕｰｻﾞｰ設定の返信メールアドレスの指定に間違いがあります。\r\n") + reason,
        "txtUMailAdress");
}

TEST_F(SettingsChecks, AMissingFolderIsRefusedButAnExistingFileIsAccepted)
{
    open();
    fillValid();
    setText("txtSLog", at(QStringLiteral("no such folder")));
    expectRefused(QStringLiteral("ｼｽﾃﾑ設定のLOGﾌｧｲﾙの出力先が存在しません。"), "txtSLog");

    setText("txtSLog", writeReport(QStringLiteral("plain file")));
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
}

class SettingsSave : public SettingsWindowFixture { };

TEST_F(SettingsSave, WritesTheEightValuesInOrderWithThePasswordEnciphered)
{
    open();
    fillValid();
    setText("txtUPassWord", QStringLiteral("a long pass phrase, long enough to wrap its lines"));
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_window->result(), QDialog::Accepted);
    EXPECT_TRUE(m_boxes.boxes.empty());

    EXPECT_EQ(stored(Field::Houkoku), QStringLiteral("トルメア"));
    EXPECT_EQ(stored(Field::UserId), QStringLiteral("A123"));
    EXPECT_EQ(stored(Field::MailAdress), QStringLiteral("reply@example.jp"));
    EXPECT_EQ(stored(Field::Output), at(QStringLiteral("output")));
    EXPECT_EQ(stored(Field::Temp), at(QStringLiteral("work")));
    EXPECT_NE(stored(Field::Password), QStringLiteral("secret"));
    EXPECT_EQ(
        decryptedPassword(), QStringLiteral("a long pass phrase, long enough to wrap its lines"));

    // One line per key, in the order of the fields.
    const QByteArray file = testsupport::readBytes(iniPath());
    qsizetype previous = -1;
    for (Field field : settings::kFields) {
        const qsizetype at = file.indexOf("\r\n" + settings::fieldInfo(field).key.toLatin1() + '=');
        EXPECT_GT(at, previous) << settings::fieldInfo(field).key.toStdString();
        previous = at;
    }
    // The enciphered password, longer than one Base64 line, stays on its own.
    for (const QByteArray& line : file.split('\n'))
        EXPECT_TRUE(line.isEmpty() || line.startsWith('[') || line.contains('=')) << line.data();
}

TEST_F(SettingsSave, AFailedFirstSaveLeavesNoSettingsFile)
{
    open();
    fillValid();
    hideComponents();
    press("cmdEstablish");
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_FALSE(m_boxes.boxes.at(0).text.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(textOf("txtUPassWord"), QStringLiteral("secret"));

    // Still a window opened without a file: a second failure deletes again.
    press("cmdEstablish");
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

TEST_F(SettingsSave, AFailedSaveOverAnExistingFileKeepsWhatWasWrittenBefore)
{
    writeValidSettings();
    const QString oldPassword = stored(Field::Password);
    open();
    setText("txtUHoukoku", QStringLiteral("新報告"));
    setText("txtUUserId", QStringLiteral("B456"));
    setText("txtUMailAdress", QStringLiteral("new@example.jp"));
    hideComponents();
    press("cmdEstablish");
    EXPECT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(stored(Field::Houkoku), QStringLiteral("新報告"));
    EXPECT_EQ(stored(Field::UserId), QStringLiteral("B456"));
    EXPECT_EQ(stored(Field::Password), oldPassword);
    EXPECT_EQ(stored(Field::MailAdress), QStringLiteral("reply@example.jp"));
}

TEST_F(SettingsSave, AFailedWriteShowsTheIniFilesMessage)
{
    open();
    fillValid();
    // The folder the settings file goes into is gone.
    ASSERT_TRUE(QDir(at(QStringLiteral("program"))).removeRecursively());
    press("cmdEstablish");
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(
        m_boxes.boxes.at(0).text.startsWith(QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ")))
        << m_boxes.boxes.at(0).text.toStdString();
    EXPECT_TRUE(m_window->isVisible());
}
