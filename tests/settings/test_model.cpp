// The value rules without the window; the window's tests show the passes in
// order with the focus.
#include "settings/SettingsModel.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <vector>
#include <gtest/gtest.h>

using settings::Field;

TEST(SettingsModel, ValueRulesAtTheirEdges)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    const QString bytes254 = QString(127, QChar(0x30C8));
    // A folder that exists relative to the current folder is still refused.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("work")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    struct Case {
        std::vector<std::pair<Field, QString>> values;
        Field field; // Houkoku with an empty message: passes
        QString message;
    };
    const Case cases[] = {
        {{}, Field::Houkoku, {}},
        // Blank means ASCII blanks only.
        {{{Field::UserId, QStringLiteral("\u3000")}, {Field::Password, QStringLiteral("\t")}}, Field::Houkoku, {}},
        {{{Field::UserId, QStringLiteral("  ")}}, Field::UserId, QStringLiteral("USER設定のユーザーIDが未入力です。")},
        // Length in CP932 bytes: 254 pass (the settings read cuts there), 255 do not.
        {{{Field::Houkoku, bytes254}}, Field::Houkoku, {}},
        {{{Field::Houkoku, bytes254 + QLatin1Char('a')}}, Field::Houkoku,
         QStringLiteral("USER設定の報告IDが入力文字数をオーバーしています")},
        {{{Field::Temp, QStringLiteral("work")}}, Field::Temp, QStringLiteral("ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞが存在しません。")},
        {{{Field::Output, dir.path() + QStringLiteral("/\"q")}}, Field::Output,
         QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先に使用できない文字 \" が含まれています。")},
        // Any existing entry passes the folder test; values are not trimmed.
        {{{Field::Log, file}}, Field::Houkoku, {}},
        {{{Field::TempLog, dir.path() + QLatin1Char(' ')}}, Field::TempLog,
         QStringLiteral("ｼｽﾃﾑ設定の添付ﾌｧｲﾙの保存先が存在しません。")},
    };
    for (const Case& c : cases) {
        std::array<QString, settings::kFieldCount> values{QStringLiteral("トルメア"), QStringLiteral("U001"),
                                                          QStringLiteral("pw"), QStringLiteral("a@b.jp")};
        std::fill(values.begin() + 4, values.end(), dir.path());
        for (const auto& [field, value] : c.values)
            values[static_cast<size_t>(field)] = value;
        const settings::CheckResult result = settings::checkValues(values);
        EXPECT_EQ(result.ok, c.message.isEmpty()) << c.message.toStdString();
        EXPECT_EQ(result.field, c.field);
        EXPECT_EQ(result.message, c.message);
    }
    QDir::setCurrent(previous);
    EXPECT_EQ(settings::iniPath(QStringLiteral("/")), QStringLiteral("/TAMBERLOX.INI"));
}

TEST(SettingsModel, StoredPasswordMustBeReadBackWhole)
{
    EXPECT_TRUE(settings::checkStoredPassword(QString(254, QLatin1Char('A'))).ok);
    const settings::CheckResult tooLong = settings::checkStoredPassword(QString(256, QLatin1Char('A')));
    EXPECT_FALSE(tooLong.ok);
    EXPECT_EQ(tooLong.field, Field::Password);
    EXPECT_EQ(tooLong.message, QStringLiteral("USER設定のパスワードが入力文字数をオーバーしています\r\n"
                                              "暗号化して保存すると256ﾊﾞｲﾄになり、上限の254ﾊﾞｲﾄを超えます。"));
}
