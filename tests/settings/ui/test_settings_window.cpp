// Opening, layout and filling of the settings window, and its folder rows.
#include "SettingsWindowFixture.h"

#include "settings/clsIniFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

class SettingsWindow : public SettingsWindowFixture { };

TEST_F(SettingsWindow, WithoutAFileShowsTheDefaultsAndEndOrTheCloseBoxNeverSave)
{
    for (const bool closeBox : { false, true }) {
        open();
        EXPECT_EQ(texts(),
            (QStringList { QStringLiteral("トルメア"), {}, {}, {}, at(QStringLiteral("documents")),
                at(QStringLiteral("documents")), at(QStringLiteral("program")), at(QStringLiteral("program")) }));
        fillValid();
        if (closeBox)
            m_window->close();
        else
            press("cmdEnd");
        EXPECT_FALSE(m_window->isVisible());
        EXPECT_EQ(m_window->result(), QDialog::Rejected);
        EXPECT_FALSE(QFileInfo::exists(iniPath()));
    }
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SettingsWindow, FillsFromTheFileWithThePasswordDecipheredOnlyAtTheFirstActivation)
{
    writeValidSettings();
    open();
    EXPECT_EQ(texts(),
        (QStringList { QStringLiteral("トルメア"), QStringLiteral("A123"), QStringLiteral("pass,word1"),
            QStringLiteral("reply@example.jp"), at(QStringLiteral("output")), at(QStringLiteral("log")),
            at(QStringLiteral("templog")), at(QStringLiteral("work")) }));
    setText("txtUHoukoku", QStringLiteral("typed"));
    QWidget other;
    uitest::activate(other);
    ASSERT_FALSE(m_window->isActiveWindow());
    uitest::activate(*m_window);
    ASSERT_TRUE(m_window->isActiveWindow());
    EXPECT_EQ(textOf("txtUHoukoku"), QStringLiteral("typed"));
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SettingsWindow, AnUndecipherablePasswordStopsTheFillingAfterTheUserId)
{
    writeValidSettings();
    ASSERT_TRUE(clsIniFile().WriteIniValue(
        QStringLiteral("not*base64"), settings::kSectionUser, settings::kKeyPassword, iniPath()));
    open();
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("INIﾌｧｲﾙを取得中にｴﾗｰが発生しました。") });
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_EQ(texts(), (QStringList { QStringLiteral("トルメア"), QStringLiteral("A123"), {}, {}, {}, {}, {}, {} }));
    // Saving from there writes a fresh, readable file.
    fillValid();
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(decryptedPassword(), QStringLiteral("secret"));
}

TEST_F(SettingsWindow, IsAFixedWindowWithItsRowsAndTabOrderFromTopToBottom)
{
    open();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("トルメアﾌｧｲﾙ出力設定"));
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(m_window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    int previousTop = -1;
    for (const char* name : kBoxNames) {
        const int top = box(name)->mapTo(m_window.get(), QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop) << name;
        previousTop = top;
    }
    EXPECT_EQ(box("txtUHoukoku")->parentWidget()->objectName(), QStringLiteral("fraUser"));
    EXPECT_EQ(box("txtSTemp")->parentWidget()->objectName(), QStringLiteral("fraSystem"));
    EXPECT_EQ(uitest::child<QPushButton>(*m_window, QStringLiteral("cmdDialog_3"))->text(), QStringLiteral("\u2026"));

    ASSERT_TRUE(focusIn("txtUHoukoku"));
    for (const char* expected : { "txtUUserId", "txtUPassWord", "txtUMailAdress", "txtSOutPut", "cmdDialog_0",
             "txtSLog", "cmdDialog_1", "txtSTempLog", "cmdDialog_2", "txtSTemp", "cmdDialog_3", "cmdEstablish",
             "cmdEnd", "txtUHoukoku" }) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(expected));
    }
}

TEST_F(SettingsWindow, ThePasswordShowsStarsAndRefusesInputMethods)
{
    open();
    QLineEdit* password = box("txtUPassWord");
    QTest::keyClicks(password, QStringLiteral("abc1"));
    EXPECT_EQ(password->text(), QStringLiteral("abc1"));
    EXPECT_EQ(password->displayText(), QStringLiteral("****"));
    EXPECT_FALSE(password->inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_TRUE(box("txtUUserId")->inputMethodQuery(Qt::ImEnabled).toBool());
    // Typing stops at 255 characters; a chosen folder is kept whole.
    QTest::keyClicks(box("txtUUserId"), QString(260, QLatin1Char('a')));
    EXPECT_EQ(textOf("txtUUserId").size(), 255);
}

// Each "…" fills its own row; a cancel ("2", also NUL-padded as the
// picker's buffer comes) keeps the text, an empty answer empties it.
TEST_F(SettingsWindow, BrowseButtonsFillTheirOwnRow)
{
    open();
    const char* rows[] = { "txtSOutPut", "txtSLog", "txtSTempLog", "txtSTemp" };
    const QString longFolder = QLatin1Char('/') + QString(299, QLatin1Char('f'));
    for (int index = 0; index < 4; ++index) {
        m_folderPicker.answers = { longFolder + QString::number(index) };
        press(QStringLiteral("cmdDialog_%1").arg(index).toLatin1().constData());
        EXPECT_EQ(textOf(rows[index]), longFolder + QString::number(index));
    }
    EXPECT_EQ(m_folderPicker.owners.at(0), m_window.get());
    m_folderPicker.answers = { QStringLiteral("2"), QStringLiteral("/data") + QString(3, QChar(u'\0')),
        QString(QChar(u'2')) + QChar(u'\0'), QString() };
    for (const QString& expected : QStringList { longFolder + "1", "/data", "/data", QString() }) {
        press("cmdDialog_1");
        EXPECT_EQ(textOf("txtSLog"), expected);
    }
    EXPECT_TRUE(m_boxes.boxes.empty());
}
