// "設定": the four check passes with their messages and focus, and the save.
#include "SettingsWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

// Each row changes one box and presses "設定". Blanks come first over all
// fields, then lengths in CP932 bytes (254 pass), the mail address, and the
// folders last; an ideographic space is no blank.
TEST_F(SettingsWindow, ChecksRunPassByPassWithTheFocusOnTheFailingBoxThenSaves)
{
    const QString tooLong(255, QLatin1Char('x'));
    const QString kana254 = QLatin1Char('/') + QString(126, QChar(u'フ')) + QLatin1Char('x');
    const QString missing = at("missing"), root = m_root.path();
    const std::tuple<Field, QString, QString, Field> rows[] = {
        { Field::Temp, " ", "USER設定の報告IDが未入力です。", Field::Houkoku },
        { Field::Houkoku, tooLong, "USER設定のユーザーIDが未入力です。", Field::UserId },
        { Field::UserId, tooLong, "USER設定のパスワードが未入力です。", Field::Password },
        { Field::Password, tooLong, "USER設定の返信メールアドレスが未入力です。", Field::MailAdress },
        { Field::MailAdress, tooLong, "ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が未入力です。", Field::Output },
        { Field::Output, kana254 + 'x', "ｼｽﾃﾑ設定のLOGの出力先が未入力です。", Field::Log },
        { Field::Log, tooLong, "ｼｽﾃﾑ設定の添付ﾌｧｲﾙLOGの出力先が未入力です。", Field::TempLog },
        { Field::TempLog, tooLong, "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先が未入力です。", Field::Temp },
        { Field::Temp, tooLong, "USER設定の報告IDが入力文字数をオーバーしています", Field::Houkoku },
        { Field::Houkoku, "トルメア", "USER設定のユーザーIDが入力文字数をオーバーしています", Field::UserId },
        { Field::UserId, "\u3000", "USER設定のパスワードが入力文字数をオーバーしています", Field::Password },
        { Field::Password, "secret", "USER設定の返信メールアドレスが入力文字数をオーバーしています", Field::MailAdress },
        { Field::MailAdress, "a.jp", "ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が入力文字数をオーバーしています", Field::Output },
        { Field::Output, kana254, "ｼｽﾃﾑ設定のLOGの出力先が入力文字数をオーバーしています", Field::Log },
        { Field::Log, missing, "ｼｽﾃﾑ設定の添付ﾌｧｲﾙLOGの出力先が入力文字数をオーバーしています", Field::TempLog },
        // Not trimmed: a folder with a blank after it does not exist. (Windows
        // drops a trailing blank from a path, so there it takes a missing one.)
        { Field::TempLog, testsupport::onWindows() ? missing : root + ' ', "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先が入力文字数をオーバーしています", Field::Temp },
        { Field::Temp, missing, "ﾕｰｻﾞｰ設定の返信メールアドレスの指定に間違いがあります。\r\nメールアドレス内に\"@\"がありません。", Field::MailAdress },
        { Field::MailAdress, "r@a.jp", "ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が存在しません。", Field::Output },
        { Field::Output, root, "ｼｽﾃﾑ設定のLOGﾌｧｲﾙの出力先が存在しません。", Field::Log },
        { Field::Log, root, "ｼｽﾃﾑ設定の添付ﾌｧｲﾙの保存先が存在しません。", Field::TempLog },
        { Field::TempLog, root, "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞが存在しません。", Field::Temp },
        // "program" exists below the current folder; a relative folder names nothing.
        { Field::Temp, "program", "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞが存在しません。", Field::Temp },
        { Field::Temp, root + "/\"q", "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先に使用できない文字 \" が含まれています。", Field::Temp },
        // 60 characters fit the box but not, enciphered, the settings read.
        { Field::Password, QString(60, 'p'), "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先に使用できない文字 \" が含まれています。", Field::Temp },
        { Field::Temp, root, "USER設定のパスワードが入力文字数をオーバーしています\r\n"
                             "暗号化して保存すると280ﾊﾞｲﾄになり、上限の254ﾊﾞｲﾄを超えます。", Field::Password } };
    const testsupport::CurrentFolder inside(root);
    open();
    for (Field field : settings::kFields)
        setText(field, QString());
    for (const auto& [field, value, message, focus] : rows) {
        SCOPED_TRACE(message.toStdString());
        setText(field, value);
        m_boxes.boxes.clear();
        press("cmdEstablish");
        EXPECT_EQ(boxTexts(), QStringList { message });
        EXPECT_EQ(QApplication::focusWidget(), box(focus));
        ASSERT_TRUE(m_window->isVisible() && !QFileInfo::exists(iniPath()));
    }
    // One line per key; the password, enciphered longer than a Base64 line, on one.
    setText(Field::Password, "a long pass phrase, long enough to wrap its lines");
    setText(Field::Temp, root);
    press("cmdEstablish");
    EXPECT_TRUE(!m_window->isVisible() && m_window->result() == QDialog::Accepted);
    const QByteArray file = testsupport::readBytes(iniPath());
    EXPECT_TRUE(file.startsWith("[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\x83\x81\x83\x41\r\nUSERID=\x81\x40\r\nPASSWORD="));
    EXPECT_EQ(file.count("\r\n"), 10) << file.constData();
    const QStringList typed = texts();
    open();
    EXPECT_EQ(texts(), typed) << "the saved values, the password deciphered";
}

// The password cannot be enciphered: nothing is written. A write that
// fails shows clsIniFile's message. Valid values come from a file that
// goes again before the first save.
TEST_F(SettingsWindow, AFailedFirstSaveLeavesNoFile)
{
    writeValidSettings();
    open();
    ASSERT_TRUE(QFile::remove(iniPath()));
    m_context.components.programFolder = at("program"); // no components there
    press("cmdEstablish");
    EXPECT_EQ(boxTexts(),
        QStringList { testsupport::onWindows() ? "CAPICOM.DLL が見つかりません。" : "CAPICOM.DLL (libcapicom.so) が見つかりません。" });
    EXPECT_TRUE(m_window->isVisible() && !QFileInfo::exists(iniPath()));
    m_context.components.programFolder = QCoreApplication::applicationDirPath();
    ASSERT_TRUE(QDir(at("program")).removeRecursively());
    press("cmdEstablish");
    EXPECT_EQ(boxTexts().value(1), "WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 No such file or directory");
}
