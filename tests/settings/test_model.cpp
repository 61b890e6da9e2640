// The value rules the window's pass-by-pass table leaves out.
#include "settings/SettingsModel.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using settings::Field;

// Blank means ASCII spaces only; any existing entry passes the folder test.
TEST(SettingsModel, ATabIsNoBlankAndAFileServesAsFolder)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    std::array<QString, settings::kFieldCount> values{QStringLiteral("トルメア"), QStringLiteral("U001"),
                                                      QStringLiteral("\t"), QStringLiteral("a@b.jp")};
    std::fill(values.begin() + 4, values.end(), file);
    const settings::CheckResult result = settings::checkValues(values);
    EXPECT_TRUE(result.ok) << result.message.toStdString();
}

// 254 bytes are read back whole; enciphered, 256 are not.
TEST(SettingsModel, StoredPasswordMustBeReadBackWhole)
{
    EXPECT_TRUE(settings::checkStoredPassword(QString(254, QLatin1Char('A'))).ok);
    const settings::CheckResult tooLong = settings::checkStoredPassword(QString(256, QLatin1Char('A')));
    EXPECT_TRUE(!tooLong.ok && tooLong.field == Field::Password);
    EXPECT_EQ(tooLong.message, QStringLiteral("USER設定のパスワードが入力文字数をオーバーしています\r\n"
                                              "暗号化して保存すると256ﾊﾞｲﾄになり、上限の254ﾊﾞｲﾄを超えます。"));
}

// A character code page 932 lacks would be saved as "?": refused in every
// field, before the mail and folder passes, naming the field and the
// character. Typed twins of Windows' characters ("〜" for "～") pass where
// the receiver reads them, but not in a folder, which must stay as typed.
TEST(SettingsModel, ACharacterCodePage932LacksIsRefusedInEveryField)
{
    QTemporaryDir dir;
    const std::array<QString, settings::kFieldCount> valid{
        QStringLiteral("トルメア〜"), QStringLiteral("U−001"), QStringLiteral("pass¢"), QStringLiteral("a@b.jp"),
        dir.path(), dir.path(), dir.path(), dir.path()};
    ASSERT_TRUE(settings::checkValues(valid).ok) << settings::checkValues(valid).message.toStdString();
    const char* const names[] = {"USER設定の報告ID", "USER設定のユーザーID", "USER設定のパスワード",
                                 "USER設定の返信メールアドレス", "ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先",
                                 "ｼｽﾃﾑ設定のLOGの出力先", "ｼｽﾃﾑ設定の添付ﾌｧｲﾙLOGの出力先", "ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先"};
    const QString lacking[] = {"€", "ä", "ö", "é", "〜", "−", "ü", "¥"};
    for (const Field field : settings::kFields) {
        const auto index = static_cast<size_t>(field);
        SCOPED_TRACE(names[index]);
        std::array<QString, settings::kFieldCount> values = valid;
        values[index] += lacking[index];
        const settings::CheckResult result = settings::checkValues(values);
        EXPECT_TRUE(!result.ok && result.field == field);
        EXPECT_EQ(result.message, QString::fromUtf8(names[index])
                                      + "に、Shift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) で表せない文字「" + lacking[index] + "」が含まれています。");
    }
    // "¥" would come back as "\" in any field.
    EXPECT_EQ(settings::cp932Message(Field::Password, QStringLiteral("a¥b")),
              "USER設定のパスワードに、Shift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) で表せない文字「¥」が含まれています。");
}
