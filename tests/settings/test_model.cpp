#include "settings/SettingsModel.h"
#include "settings/clsIniFile.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using settings::checkValues;
using settings::Field;

namespace {

class SettingsCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString folder = m_dir.path();
        m_values = {QStringLiteral("トルメア"), QStringLiteral("U001"), QStringLiteral("pw"),
                    QStringLiteral("a@b.jp"), folder, folder, folder, folder};
    }
    QString& value(Field field) { return m_values[static_cast<size_t>(field)]; }

    QTemporaryDir m_dir;
    std::array<QString, settings::kFieldCount> m_values;
};

} // namespace

TEST_F(SettingsCheckTest, ValidValuesPass)
{
    EXPECT_TRUE(checkValues(m_values).ok);
}

TEST_F(SettingsCheckTest, AllBlankReportsOnlyTheFirstField)
{
    for (QString& v : m_values)
        v = QStringLiteral("   ");
    const auto result = checkValues(m_values);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.field, Field::Houkoku);
    EXPECT_EQ(result.message, QStringLiteral("USER設定の報告IDが未入力です。"));
}

TEST_F(SettingsCheckTest, BlankMeansAsciiBlanksOnly)
{
    value(Field::UserId) = QStringLiteral("\u3000");
    EXPECT_TRUE(checkValues(m_values).ok);
    value(Field::UserId) = QStringLiteral("\t");
    EXPECT_TRUE(checkValues(m_values).ok);
    value(Field::UserId) = QStringLiteral("  ");
    EXPECT_EQ(checkValues(m_values).message, QStringLiteral("USER設定のユーザーIDが未入力です。"));
}

TEST_F(SettingsCheckTest, BlankPassRunsOverAllFieldsBeforeTheLengthPass)
{
    value(Field::Houkoku) = QString(300, QLatin1Char('x'));
    value(Field::Temp) = QString();
    const auto result = checkValues(m_values);
    EXPECT_EQ(result.field, Field::Temp);
    EXPECT_EQ(result.message, QStringLiteral("ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞの出力先が未入力です。"));
}

TEST_F(SettingsCheckTest, LengthIsCountedInCp932Bytes)
{
    value(Field::Password) = QString(127, QChar(0x30C8)) + QLatin1Char('a'); // 255 bytes
    EXPECT_TRUE(checkValues(m_values).ok);
    value(Field::Password) += QLatin1Char('a');
    const auto result = checkValues(m_values);
    EXPECT_EQ(result.field, Field::Password);
    EXPECT_EQ(result.message,
              QStringLiteral("USER設定のパスワードが入力文字数をオーバーしています"));
}

TEST_F(SettingsCheckTest, LongFolderPathFailsTheLengthPass)
{
    value(Field::Output) = m_dir.path() + QLatin1Char('/') + QString(256, QLatin1Char('d'));
    const auto result = checkValues(m_values);
    EXPECT_EQ(result.field, Field::Output);
    EXPECT_EQ(result.message,
              QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が入力文字数をオーバーしています"));
}

TEST_F(SettingsCheckTest, MailFailureCarriesTheReason)
{
    value(Field::MailAdress) = QStringLiteral("nobody");
    const auto result = checkValues(m_values);
    EXPECT_EQ(result.field, Field::MailAdress);
    EXPECT_EQ(result.message,
              QStringLiteral("ﾕｰｻﾞｰ設定の返信メールアドレスの指定に間違いがあります。\r\n"
                             "メールアドレス内に\"@\"がありません。"));
}

TEST_F(SettingsCheckTest, FolderPassAcceptsAnyExistingEntry)
{
    const QString file = m_dir.filePath(QStringLiteral("file.txt"));
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    value(Field::Log) = file;
    EXPECT_TRUE(checkValues(m_values).ok);
    value(Field::TempLog) = m_dir.filePath(QStringLiteral("missing"));
    const auto result = checkValues(m_values);
    EXPECT_EQ(result.field, Field::TempLog);
    EXPECT_EQ(result.message, QStringLiteral("ｼｽﾃﾑ設定の添付ﾌｧｲﾙの保存先が存在しません。"));
    // Untrimmed: a trailing blank names another entry.
    value(Field::TempLog) = m_dir.path() + QLatin1Char(' ');
    EXPECT_EQ(checkValues(m_values).field, Field::TempLog);
}

TEST(SettingsModel, PathAndDefaults)
{
    EXPECT_EQ(settings::iniPath(QStringLiteral("/opt/tamberlox")),
              QStringLiteral("/opt/tamberlox/TAMBERLOX.INI"));
    EXPECT_EQ(settings::iniPath(QStringLiteral("/")), QStringLiteral("/TAMBERLOX.INI"));
    AppContext context;
    context.programFolder = QStringLiteral("/opt/t");
    context.documentsFolder = QStringLiteral("/home/u/Documents");
    EXPECT_EQ(settings::defaultValue(Field::Houkoku, context), QStringLiteral("トルメア"));
    EXPECT_TRUE(settings::defaultValue(Field::Password, context).isEmpty());
    EXPECT_EQ(settings::defaultValue(Field::Log, context), QStringLiteral("/home/u/Documents"));
    EXPECT_EQ(settings::defaultValue(Field::Temp, context), QStringLiteral("/opt/t"));
}

TEST(SettingsModel, HandEditedLowerCaseFileReadsTheSame)
{
    QTemporaryDir dir;
    const QString path = settings::iniPath(dir.path());
    ASSERT_TRUE(testsupport::writeBytes(path, "[user]\r\nuserid= U001\r\n[system]\r\ntemp=/tmp\r\n"));
    clsIniFile ini;
    EXPECT_EQ(ini.GetValue(path, settings::kSectionUser, settings::kKeyUserId),
              QStringLiteral("U001"));
    EXPECT_EQ(ini.GetValue(path, settings::kSectionSystem, settings::kKeyTemp),
              QStringLiteral("/tmp"));
}
