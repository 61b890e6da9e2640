#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Cp932, EncodesDecodesAndCountsAsWindowsCodePage932)
{
    // 0x5C stays the backslash, full-width tilde is 0x8160 (Microsoft's table),
    // and trail bytes 0x5C come back as part of their character.
    EXPECT_EQ(toCp932(QStringLiteral("a\\～表ソ能ｱ")), QByteArray("a\x5c\x81\x60\x95\x5c\x83\x5c\x94\x5c\xb1"));
    const QString text = QStringLiteral("表示ソフト能力～ｱｲｳ\\x");
    EXPECT_EQ(fromCp932(toCp932(text)), text);
    // One "?" per unrepresentable character, a surrogate pair or a lone one.
    EXPECT_EQ(toCp932(QStringLiteral("aéx😀y")), QByteArray("a?x?y"));
    EXPECT_EQ(toCp932(QString(QChar(0xD800))), QByteArray("?"));
    EXPECT_EQ(fromCp932(QByteArray("a\xa0" "b\x95")), QStringLiteral("a?b?"));
    EXPECT_EQ(cp932Length(QStringLiteral("abcトルメアﾄﾙﾒｱé😀")), 3 + 8 + 4 + 2);
}

// What "?" would replace: the first such character whole (a surrogate pair
// too); the seven twins count as held only where Windows' spelling will do.
TEST(Cp932, FindsTheFirstCharacterTheCodePageCannotGiveBack)
{
    EXPECT_EQ(firstCharOutsideCp932(QStringLiteral("表ソ～ｱ\\~"), false), QString());
    EXPECT_EQ(firstCharOutsideCp932(QStringLiteral("報告😀é.txt"), true), QStringLiteral("😀"));
    EXPECT_EQ(firstCharOutsideCp932(QStringLiteral("a¥b"), true), QStringLiteral("¥"));
    EXPECT_EQ(firstCharOutsideCp932(QStringLiteral("〜−‖—¢£¬"), true), QString());
    EXPECT_EQ(firstCharOutsideCp932(QStringLiteral("ab〜"), false), QStringLiteral("〜"));
    EXPECT_EQ(windowsSpelling(QStringLiteral("〜a−")), QStringLiteral("～a－"));
}
