// The value rules without the window; the window's tests show the passes in
// order with the focus.
#include "settings/SettingsModel.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <vector>
#include <gtest/gtest.h>

using settings::Field;

TEST(SettingsModel, ValueRulesAtTheirEdges)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file.txt"));
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    const QString bytes255 = QString(127, QChar(0x30C8)) + QLatin1Char('a');
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
        // Length in CP932 bytes: 255 pass, 256 do not.
        {{{Field::Password, bytes255}}, Field::Houkoku, {}},
        {{{Field::Password, bytes255 + QLatin1Char('a')}}, Field::Password,
         QStringLiteral("USER設定のパスワードが入力文字数をオーバーしています")},
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
    EXPECT_EQ(settings::iniPath(QStringLiteral("/")), QStringLiteral("/TAMBERLOX.INI"));
}
