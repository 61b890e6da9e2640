#include "common/ui/Twips.h"
#include "common/ui/UiFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <gtest/gtest.h>

TEST(Twips, ScaleWithTheDpiAndNeighboursKeepTheirGapWhenSizesRound)
{
    EXPECT_EQ(twips::toPixels(6255, 96), 417);
    EXPECT_EQ(twips::toPixels(6255, 192), 834);
    // At 120 DPI a 2775-twip button rounds to 231 px; converting the edges
    // keeps its right edge where the next control's gap begins.
    const QRect add = twips::toRect(120, 720, 2775, 495, 120);
    const QRect del = twips::toRect(3000, 720, 2895, 495, 120);
    EXPECT_EQ(add.left() + add.width(), twips::toPixels(2895, 120));
    EXPECT_LT(add.left() + add.width(), del.left());
}

// Debian has no "ＭＳ ゴシック": IPAGothic (exactly that face) is next, then
// Noto Sans CJK JP.
TEST(WindowFont, PrefersMsGothicThenIpaThenNotoAtNinePoints)
{
    const QString ipa = QStringLiteral("IPAGothic");
    const QString noto = QStringLiteral("Noto Sans CJK JP");
    EXPECT_EQ(uifont::chooseFamily({ noto, ipa, QStringLiteral("ＭＳ ゴシック") }), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(uifont::chooseFamily({ noto, ipa }), ipa);
    EXPECT_EQ(uifont::chooseFamily({ QStringLiteral("DejaVu Sans"), noto }), noto);
    EXPECT_EQ(uifont::chooseFamily({ QStringLiteral("IPAPGothic") }), QString());
    const QFont font = uifont::windowFont();
    EXPECT_EQ(font.pointSize(), 9);
    const QString chosen = uifont::chooseFamily(QFontDatabase::families());
    if (!chosen.isEmpty()) {
        EXPECT_EQ(QFontInfo(font).family(), chosen);
    }
}
