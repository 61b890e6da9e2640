// Opening and filling the settings window, and its folder rows.
#include "SettingsWindowFixture.h"

#include "settings/clsIniFile.h"

#include <QFileInfo>

TEST_F(SettingsWindow, WithoutAFileShowsTheDefaultsEscKeepsItOpenEndOrTheCloseBoxNeverSave)
{
    for (const bool closeBox : { false, true }) {
        open();
        EXPECT_EQ(texts(), (QStringList { "トルメア", {}, {}, {}, at("documents"), at("documents"), at("program"),
                               at("program") }));
        // A stray Esc loses nothing.
        setText(Field::UserId, "typed");
        QTest::keyClick(box(Field::UserId), Qt::Key_Escape);
        EXPECT_TRUE(m_window->isVisible());
        EXPECT_EQ(box(Field::UserId)->text(), QStringLiteral("typed"));
        closeBox ? void(m_window->close()) : press("cmdEnd");
        EXPECT_TRUE(!m_window->isVisible() && m_window->result() == QDialog::Rejected);
    }
    EXPECT_TRUE(!QFileInfo::exists(iniPath()) && m_boxes.boxes.empty());
}

// Filled at the first activation only, so typing survives a switch of
// windows; the password shows as stars, typing stops at 255 characters.
TEST_F(SettingsWindow, FillsFromTheFileAtTheFirstActivationOnly)
{
    writeValidSettings();
    open();
    EXPECT_EQ(texts().mid(0, 4), (QStringList { "トルメア", "A123", "pass,word1", "reply@example.jp" }));
    EXPECT_EQ(box(Field::Password)->displayText(), QStringLiteral("**********"));
    QTest::keyClicks(box(Field::Houkoku), QString(260, QLatin1Char('h')));
    QWidget other;
    activate(other);
    activate(*m_window);
    EXPECT_EQ(box(Field::Houkoku)->text(), QStringLiteral("トルメア") + QString(251, QLatin1Char('h')));
}

TEST_F(SettingsWindow, AnUndecipherablePasswordStopsTheFillingAfterTheUserId)
{
    writeValidSettings();
    ASSERT_TRUE(clsIniFile().WriteIniValue("not*base64", settings::kSectionUser, settings::kKeyPassword, iniPath()));
    open();
    EXPECT_EQ(boxTexts(), QStringList { "INIﾌｧｲﾙを取得中にｴﾗｰが発生しました。" });
    EXPECT_EQ(texts(), (QStringList { "トルメア", "A123", {}, {}, {}, {}, {}, {} }));
}

// Each "…" fills its own row; a cancel ("2", also NUL-padded as the
// picker's buffer comes) keeps the text, an empty answer empties it.
TEST_F(SettingsWindow, BrowseButtonsFillTheirOwnRow)
{
    open();
    m_dialogs.answers = { "/a", "/b", "/c", "/d" };
    for (const char* button : { "cmdDialog_0", "cmdDialog_1", "cmdDialog_2", "cmdDialog_3" })
        press(button);
    EXPECT_EQ(texts().mid(4), (QStringList { "/a", "/b", "/c", "/d" }));
    m_dialogs.answers = { "2", QStringLiteral("/data") + QString(3, QChar()), QStringLiteral("2") + QChar(), QString() };
    for (const QString expected : { "/b", "/data", "/data", "" }) {
        press("cmdDialog_1");
        EXPECT_EQ(box(Field::Log)->text(), expected);
    }
}
