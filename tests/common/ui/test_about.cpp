#include "UiTestSupport.h"

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
