#include "platform/Cp932.h"

#include <gtest/gtest.h>

using platform::cp932Length;
using platform::fromCp932;
using platform::toCp932;

TEST(Cp932, EncodesAsWindowsCodePage932)
{
    EXPECT_EQ(toCp932(QStringLiteral("abc")), QByteArray("abc"));
    // 0x5C stays the backslash and full-width tilde is 0x8160 (Microsoft's table).
    EXPECT_EQ(toCp932(QStringLiteral("\\")), QByteArray("\x5c"));
    EXPECT_EQ(toCp932(QStringLiteral("～")), QByteArray("\x81\x60"));
    EXPECT_EQ(toCp932(QStringLiteral("表ソ能")), QByteArray("\x95\x5c\x83\x5c\x94\x5c"));
    EXPECT_EQ(toCp932(QStringLiteral("ｱ")), QByteArray("\xb1"));
    EXPECT_EQ(toCp932(QString()), QByteArray());
}

TEST(Cp932, UnrepresentableCharacterBecomesOneQuestionMark)
{
    EXPECT_EQ(toCp932(QStringLiteral("aéb")), QByteArray("a?b"));
    // A surrogate pair is one character, so one "?".
    EXPECT_EQ(toCp932(QStringLiteral("x😀y")), QByteArray("x?y"));
    // A lone surrogate cannot be encoded either.
    EXPECT_EQ(toCp932(QString(QChar(0xD800))), QByteArray("?"));
}

TEST(Cp932, DecodesBackIncludingTrailBytes5C)
{
    const QString text = QStringLiteral("表示ソフト能力～ｱｲｳ\\x");
    EXPECT_EQ(fromCp932(toCp932(text)), text);
}

TEST(Cp932, InvalidBytesDecodeAsQuestionMark)
{
    EXPECT_EQ(fromCp932(QByteArray("a\xa0" "b")), QStringLiteral("a?b"));
    // A lead byte cut off at the end.
    EXPECT_EQ(fromCp932(QByteArray("a\x95")), QStringLiteral("a?"));
}

TEST(Cp932, LengthCountsBytes)
{
    EXPECT_EQ(cp932Length(QStringLiteral("abc")), 3);
    EXPECT_EQ(cp932Length(QStringLiteral("トルメア")), 8);
    EXPECT_EQ(cp932Length(QStringLiteral("ﾄﾙﾒｱ")), 4);
    EXPECT_EQ(cp932Length(QStringLiteral("é😀")), 2);
}
