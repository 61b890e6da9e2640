#include "common/basCommon.h"

#include <gtest/gtest.h>

namespace {

const QString kNoAt = QStringLiteral("メールアドレス内に\"@\"がありません。");
const QString kManyAt = QStringLiteral("メールアドレス内に\"@\"が複数あります。");
const QString kWide = QStringLiteral("メールアドレスに全角は入力できません。");
const QString kBadChar = QStringLiteral("電子メールに使用できない文字が入力されています。");

// The message for an address, or "OK" when it passes.
QString check(const QString& address)
{
    QString message;
    return basCommon::FncChkMailAddress(address, message) ? QStringLiteral("OK") : message;
}

} // namespace

TEST(MailCheck, AtSignIsCountedNotPlaced)
{
    EXPECT_EQ(check(QString()), kNoAt);
    EXPECT_EQ(check(QStringLiteral("user.example.jp")), kNoAt);
    EXPECT_EQ(check(QStringLiteral("@")), QStringLiteral("OK"));
    EXPECT_EQ(check(QStringLiteral("@example.jp")), QStringLiteral("OK"));
    EXPECT_EQ(check(QStringLiteral("user@")), QStringLiteral("OK"));
    // Two at signs win over every other fault.
    EXPECT_EQ(check(QStringLiteral("ａ b@@")), kManyAt);
}

TEST(MailCheck, DoubleByteRuleComesBeforeTheCharacterRule)
{
    EXPECT_EQ(check(QStringLiteral("a b@ｘ.jp")), kWide);
    EXPECT_EQ(check(QStringLiteral("山田@example.jp")), kWide);
    EXPECT_EQ(check(QStringLiteral("a@b　c")), kWide); // U+3000 is double-byte
}

TEST(MailCheck, OnlyLettersDigitsAndFourMarks)
{
    EXPECT_EQ(check(QStringLiteral("First.Last-2_x@Example..JP.")), QStringLiteral("OK"));
    EXPECT_EQ(check(QStringLiteral(".a@b.")), QStringLiteral("OK"));
    EXPECT_EQ(check(QStringLiteral("a b@c")), kBadChar);
    EXPECT_EQ(check(QStringLiteral("a+b@c")), kBadChar);
    EXPECT_EQ(check(QStringLiteral("ｱ@c")), kBadChar);    // half-width kana: one byte
    EXPECT_EQ(check(QStringLiteral("é@c")), kBadChar);    // not in the code page: "?"
    EXPECT_EQ(check(QStringLiteral("a@c😀")), kBadChar);
}

TEST(MailCheck, MessageIsLeftAloneOnSuccess)
{
    QString message = QStringLiteral("before");
    EXPECT_TRUE(basCommon::FncChkMailAddress(QStringLiteral("a@b"), message));
    EXPECT_EQ(message, QStringLiteral("before"));
}
