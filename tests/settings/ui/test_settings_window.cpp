// Opening, layout and filling of the settings window, and its folder rows.
#include "SettingsWindowFixture.h"

#include "settings/clsIniFile.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTest>

using settings::Field;

class SettingsWindow : public SettingsWindowFixture { };

TEST_F(SettingsWindow, WithoutASettingsFileShowsTheDefaults)
{
    open();
    EXPECT_EQ(textOf("txtUHoukoku"), QStringLiteral("トルメア"));
    EXPECT_EQ(textOf("txtUUserId"), QString());
    EXPECT_EQ(textOf("txtUPassWord"), QString());
    EXPECT_EQ(textOf("txtUMailAdress"), QString());
    EXPECT_EQ(textOf("txtSOutPut"), at(QStringLiteral("documents")));
    EXPECT_EQ(textOf("txtSLog"), at(QStringLiteral("documents")));
    EXPECT_EQ(textOf("txtSTempLog"), at(QStringLiteral("program")));
    EXPECT_EQ(textOf("txtSTemp"), at(QStringLiteral("program")));
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SettingsWindow, EndAndTheCloseBoxNeverSave)
{
    for (const bool closeBox : { false, true }) {
        open();
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

TEST_F(SettingsWindow, FillsEveryFieldFromTheFileWithThePasswordDeciphered)
{
    writeValidSettings();
    open();
    EXPECT_EQ(textOf("txtUHoukoku"), QStringLiteral("トルメア"));
    EXPECT_EQ(textOf("txtUUserId"), QStringLiteral("A123"));
    EXPECT_EQ(textOf("txtUPassWord"), QStringLiteral("pass,word1"));
    EXPECT_EQ(textOf("txtUMailAdress"), QStringLiteral("reply@example.jp"));
    EXPECT_EQ(textOf("txtSOutPut"), at(QStringLiteral("output")));
    EXPECT_EQ(textOf("txtSLog"), at(QStringLiteral("log")));
    EXPECT_EQ(textOf("txtSTempLog"), at(QStringLiteral("templog")));
    EXPECT_EQ(textOf("txtSTemp"), at(QStringLiteral("work")));
    EXPECT_TRUE(m_boxes.boxes.empty());
}

TEST_F(SettingsWindow, AnUndecipherablePasswordStopsTheFillingAfterTheUserId)
{
    writeValidSettings();
    clsIniFile ini;
    ASSERT_TRUE(ini.WriteIniValue(
        QStringLiteral("not*base64"), settings::kSectionUser, settings::kKeyPassword, iniPath()));
    open();
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("INIﾌｧｲﾙを取得中にｴﾗｰが発生しました。") });
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_EQ(textOf("txtUHoukoku"), QStringLiteral("トルメア"));
    EXPECT_EQ(textOf("txtUUserId"), QStringLiteral("A123"));
    for (const char* name :
        { "txtUPassWord", "txtUMailAdress", "txtSOutPut", "txtSLog", "txtSTempLog", "txtSTemp" })
        EXPECT_EQ(textOf(name), QString()) << name;
    EXPECT_TRUE(m_window->isVisible());

    // Saving from there writes a fresh, readable file.
    fillValid();
    press("cmdEstablish");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(decryptedPassword(), QStringLiteral("secret"));
}

TEST_F(SettingsWindow, ALaterActivationDoesNotFillAgain)
{
    open();
    setText("txtUHoukoku", QStringLiteral("typed"));
    QWidget other;
    uitest::activate(other);
    ASSERT_FALSE(m_window->isActiveWindow());
    uitest::activate(*m_window);
    ASSERT_TRUE(m_window->isActiveWindow());
    EXPECT_EQ(textOf("txtUHoukoku"), QStringLiteral("typed"));
}

TEST_F(SettingsWindow, IsAFixedWindowWithItsRowsFromTopToBottom)
{
    open();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("トルメアﾌｧｲﾙ出力設定"));
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(
        m_window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // The user frame above the system frame, each row below the one before.
    int previousTop = -1;
    for (const char* name : kBoxNames) {
        const int top = box(name)->mapTo(m_window.get(), QPoint(0, 0)).y();
        EXPECT_GT(top, previousTop) << name;
        previousTop = top;
    }
    EXPECT_EQ(box("txtUHoukoku")->parentWidget()->objectName(), QStringLiteral("fraUser"));
    EXPECT_EQ(box("txtSTemp")->parentWidget()->objectName(), QStringLiteral("fraSystem"));
    EXPECT_EQ(uitest::child<QPushButton>(*m_window, QStringLiteral("cmdDialog_3"))->text(),
        QStringLiteral("\u2026"));
}

TEST_F(SettingsWindow, TabGoesThroughTheBoxesAndBrowseButtonsFromTheReportId)
{
    open();
    ASSERT_TRUE(focusIn("txtUHoukoku"));
    const QStringList order { "txtUUserId", "txtUPassWord", "txtUMailAdress", "txtSOutPut",
        "cmdDialog_0", "txtSLog", "cmdDialog_1", "txtSTempLog", "cmdDialog_2", "txtSTemp",
        "cmdDialog_3", "cmdEstablish", "cmdEnd", "txtUHoukoku" };
    for (const QString& expected : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), expected);
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
    EXPECT_FALSE(password->testAttribute(Qt::WA_InputMethodEnabled));
    // The other boxes take input methods.
    EXPECT_TRUE(box("txtUUserId")->inputMethodQuery(Qt::ImEnabled).toBool());
}

TEST_F(SettingsWindow, TypingStopsAt255CharactersButAChosenFolderIsKeptWhole)
{
    open();
    QLineEdit* userId = box("txtUUserId");
    userId->clear();
    QTest::keyClicks(userId, QString(260, QLatin1Char('a')));
    EXPECT_EQ(userId->text().size(), 255);
    const QString longFolder = QLatin1Char('/') + QString(299, QLatin1Char('f'));
    m_folderPicker.answers = { longFolder };
    press("cmdDialog_0");
    EXPECT_EQ(textOf("txtSOutPut"), longFolder);
}

TEST_F(SettingsWindow, EachBrowseButtonFillsItsOwnRow)
{
    open();
    const char* rows[] = { "txtSOutPut", "txtSLog", "txtSTempLog", "txtSTemp" };
    for (int index = 0; index < 4; ++index) {
        const QString chosen = QStringLiteral("/chosen/%1").arg(index);
        m_folderPicker.answers = { chosen };
        press(QStringLiteral("cmdDialog_%1").arg(index).toLatin1().constData());
        EXPECT_EQ(textOf(rows[index]), chosen);
    }
    ASSERT_EQ(m_folderPicker.owners.size(), 4u);
    EXPECT_EQ(m_folderPicker.owners.at(0), m_window.get());
}

TEST_F(SettingsWindow, CancelKeepsTheRowNulsAreDroppedAndEmptyEmptiesIt)
{
    open();
    const QString before = textOf("txtSLog");
    m_folderPicker.answers = { QStringLiteral("2") };
    press("cmdDialog_1");
    EXPECT_EQ(textOf("txtSLog"), before);

    // The picker's buffer came padded with NULs; without them "2" is a cancel.
    m_folderPicker.answers = { QStringLiteral("/data") + QString(3, QChar(u'\0')),
        QString(QChar(u'2')) + QChar(u'\0'), QString() };
    press("cmdDialog_1");
    EXPECT_EQ(textOf("txtSLog"), QStringLiteral("/data"));
    press("cmdDialog_1");
    EXPECT_EQ(textOf("txtSLog"), QStringLiteral("/data"));
    press("cmdDialog_1");
    EXPECT_EQ(textOf("txtSLog"), QString());
    EXPECT_TRUE(m_boxes.boxes.empty());
}
