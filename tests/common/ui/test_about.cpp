#include "UiTestSupport.h"

#include "common/ui/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

TEST(AboutVersionText, ReservesASignPositionBeforeEveryNumber)
{
    EXPECT_EQ(aboutVersionText(1, 1, 0), QStringLiteral(" 1. 1 0"));
    EXPECT_EQ(aboutVersionText(2, 3, 4), QStringLiteral(" 2. 3 4"));
    EXPECT_EQ(aboutVersionText(1, 12, 0), QStringLiteral(" 1. 12 0"));
    EXPECT_EQ(aboutVersionText(-1, 0, -20), QStringLiteral("-1. 0-20"));
}

class AboutWindow : public ::testing::Test {
protected:
    QIcon icon() const
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
};

TEST_F(AboutWindow, IsAFixedDialogWithTitleVersionAndTheMainWindowsIcon)
{
    frmAbout about(icon());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(uitest::child<QLabel>(about, QStringLiteral("lblTitle"))->text(),
        QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    EXPECT_EQ(uitest::child<QLabel>(about, QStringLiteral("lblVersion"))->text(),
        QStringLiteral(" 1. 1 0"));
    EXPECT_EQ(uitest::child<QLabel>(about, QStringLiteral("Label2"))->text(),
        QStringLiteral("アプリケーション"));
    EXPECT_EQ(uitest::child<QLabel>(about, QStringLiteral("Label3"))->text(),
        QStringLiteral("バージョン"));
    const QPixmap shown = uitest::child<QLabel>(about, QStringLiteral("picIcon"))->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.toImage().pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(
        about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
}

TEST_F(AboutWindow, OkEnterAndEscapeEachCloseIt)
{
    for (const int key : { 0, int(Qt::Key_Return), int(Qt::Key_Escape) }) {
        frmAbout about(icon());
        uitest::activate(about);
        ASSERT_TRUE(about.isVisible());
        auto* ok = uitest::child<QPushButton>(about, QStringLiteral("cmdOK"));
        EXPECT_TRUE(ok->isDefault());
        if (key == 0)
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            QTest::keyClick(&about, static_cast<Qt::Key>(key));
        EXPECT_FALSE(about.isVisible()) << key;
    }
}
