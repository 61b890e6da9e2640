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
