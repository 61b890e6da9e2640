#include "common/basCommon.h"

#include <gtest/gtest.h>

// Each of the four messages for the input that gives it, in their order:
// the "@" count first, then double-byte characters, then the character set.
TEST(MailCheck, EachMessageForItsInput)
{
    const QString noAt = QStringLiteral("メールアドレス内に\"@\"がありません。");
    const QString manyAt = QStringLiteral("メールアドレス内に\"@\"が複数あります。");
    const QString wide = QStringLiteral("メールアドレスに全角は入力できません。");
    const QString badChar = QStringLiteral("電子メールに使用できない文字が入力されています。");
    const std::pair<const char16_t*, QString> cases[] = {
        {u"", noAt}, {u"user.example.jp", noAt}, {u"ａ b@@", manyAt}, {u"a b@ｘ.jp", wide},
        {u"山田@example.jp", wide}, {u"a@b　c", wide}, {u"a b@c", badChar}, {u"a+b@c", badChar},
        {u"ｱ@c", badChar}, {u"é@c", badChar}, {u"a@c😀", badChar},
        // The "@" is counted, not placed.
        {u"@", {}}, {u"user@", {}}, {u"First.Last-2_x@Example..JP.", {}}, {u".a@b.", {}}};
    for (const auto& [address, expected] : cases) {
        QString message = QStringLiteral("before");
        EXPECT_EQ(basCommon::FncChkMailAddress(QString::fromUtf16(address), message), expected.isEmpty());
        EXPECT_EQ(message, expected.isEmpty() ? QStringLiteral("before") : expected) << QString::fromUtf16(address).toStdString();
    }
}
