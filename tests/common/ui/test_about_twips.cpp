#include "UiTestSupport.h"

#include "common/ui/Twips.h"
#include "common/ui/frmAbout.h"

#include <QLabel>
#include <QTest>

TEST(AboutWindow, ShowsTitleAndVersionAndEnterOrEscapeCloseIt)
{
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Escape }) {
        SCOPED_TRACE(key);
        frmAbout about { QIcon() };
        EXPECT_EQ(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        EXPECT_EQ(child<QLabel>(about, QStringLiteral("lblTitle"))->text(), QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
        // A sign position before every number.
        EXPECT_EQ(child<QLabel>(about, QStringLiteral("lblVersion"))->text(), QStringLiteral(" 1. 1 0"));
        activate(about);
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible());
    }
}

// Edges are converted, not sizes, so rounding never opens or closes a gap
// between neighbours (22 twips are 1.47 px at 96 DPI).
TEST(Twips, AnInchIsTheDpiAndNeighboursStayFlushWhenSizesRound)
{
    EXPECT_EQ(twips::toPixels(1440, 120), 120);
    const QRect first = twips::toRect(22, 0, 22, 22, 96);
    EXPECT_EQ(first.x() + first.width(), twips::toRect(44, 0, 22, 22, 96).x());
}
