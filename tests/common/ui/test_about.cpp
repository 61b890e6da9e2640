#include "UiTestSupport.h"

#include "common/ui/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

TEST(AboutVersionText, ReservesASignPositionBeforeEveryNumber)
{
    EXPECT_EQ(aboutVersionText(1, 12, 0), QStringLiteral(" 1. 12 0"));
    EXPECT_EQ(aboutVersionText(-1, 0, -20), QStringLiteral("-1. 0-20"));
}

TEST(AboutWindow, IsAFixedDialogWithTitleVersionIconThatOkEnterAndEscapeClose)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    for (const int key : { 0, int(Qt::Key_Return), int(Qt::Key_Escape) }) {
        frmAbout about { QIcon(red) };
        EXPECT_EQ(about.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        const std::pair<const char*, QString> labels[] = { { "lblTitle", QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力") },
            { "lblVersion", QStringLiteral(" 1. 1 0") }, { "Label2", QStringLiteral("アプリケーション") },
            { "Label3", QStringLiteral("バージョン") } };
        for (const auto& [name, text] : labels)
            EXPECT_EQ(uitest::child<QLabel>(about, QString::fromLatin1(name))->text(), text);
        const QPixmap shown = uitest::child<QLabel>(about, QStringLiteral("picIcon"))->pixmap();
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(shown.toImage().pixelColor(8, 8), QColor(Qt::red));
        EXPECT_EQ(about.minimumSize(), about.maximumSize());
        EXPECT_FALSE(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

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
