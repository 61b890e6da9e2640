// Main from the first check to the shown main window, with the real windows.
#include "startup/basTamberlox_01.h"

#include "UiTestSupport.h"

#include "mainwindow/ui/WindowMenu.h"
#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/Folders.h"
#include "platform/InstanceLock.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>

namespace {

bool mainWindowVisible()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("frmTamberlox_01") && window->isVisible())
            return true;
    return false;
}

} // namespace

class StartupTest : public GuiFixture {
protected:
    std::unique_ptr<frmTamberlox_01> runMain(
        platform::InstanceLock& lock, const AppContext& context)
    {
        const basTamberlox_01::StartupServices services { lock, [this] { return m_version; },
            this->services() };
        return basTamberlox_01::Main(context, services);
    }
    std::unique_ptr<frmTamberlox_01> runMain() { return runMain(m_lock, m_context); }

    const std::vector<RecordingMessageBox::Box>& shownBoxes() const { return m_boxes.boxes; }
    void answer(BoxAnswer answer) { m_boxes.answers.push_back(answer); }
    QString lockPath() const { return at(QStringLiteral("tamberlox.lock")); }

    std::optional<basTamberlox_01::ProductVersion> m_version
        = basTamberlox_01::ProductVersion { 6, 0, 0, 0 };
    platform::InstanceLock m_lock { lockPath() };
};

TEST_F(StartupTest, WithASettingsFileTheMainWindowShowsAtOnce)
{
    writeValidSettings();
    const auto window = runMain();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    EXPECT_TRUE(window->windowMenu().isInstalled());
    EXPECT_TRUE(shownBoxes().empty() && m_modal.shown.isEmpty());
    uitest::activate(*window);
    EXPECT_TRUE(window->isVisible());
}

// The lock is the first check, also against a start while the first one
// still asks its question.
TEST_F(StartupTest, ASecondCopyIsRefusedBeforeAnythingElse)
{
    RecordingMessageBox secondBoxes;
    AppContext second = m_context;
    second.boxes = &secondBoxes;
    second.components.programFolder = at(QStringLiteral("program")); // no components there
    std::unique_ptr<frmTamberlox_01> secondWindow;
    m_boxes.onShow = [&](BoxKind kind) {
        platform::InstanceLock secondLock(lockPath());
        if (kind == BoxKind::Question)
            secondWindow = runMain(secondLock, second);
    };
    answer(BoxAnswer::No);
    EXPECT_EQ(runMain(), nullptr);
    EXPECT_EQ(secondWindow, nullptr);
    ASSERT_EQ(secondBoxes.boxes.size(), 1u);
    EXPECT_EQ(secondBoxes.boxes.at(0).kind, BoxKind::Warning);
    EXPECT_EQ(secondBoxes.boxes.at(0).title, QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    EXPECT_EQ(secondBoxes.boxes.at(0).text, QStringLiteral("二重起動はできません。"));
}

TEST_F(StartupTest, AFailedCheckEndsTheStartWithItsOwnBoxOrNone)
{
    // A missing component is reported before the version is looked at.
    hideComponents();
    m_version.reset();
    EXPECT_EQ(runMain(), nullptr);
    ASSERT_EQ(shownBoxes().size(), 1u);
    EXPECT_EQ(shownBoxes().at(0).text, QStringLiteral("CAB32.DLLが見つかりません!!"));

    m_context.components.programFolder = platform::programFolder();
    m_boxes.boxes.clear();
    EXPECT_EQ(runMain(), nullptr) << "no readable version";
    EXPECT_TRUE(shownBoxes().empty());

    m_version = basTamberlox_01::ProductVersion { 4, 0, 949, 1 };
    EXPECT_EQ(runMain(), nullptr);
    ASSERT_EQ(shownBoxes().size(), 1u);
    EXPECT_EQ(shownBoxes().at(0).kind, BoxKind::Error);
    EXPECT_TRUE(shownBoxes().at(0).text.contains(QStringLiteral("4.0.949.1です。\r\n")));
    EXPECT_FALSE(mainWindowVisible());
}

TEST_F(StartupTest, WithoutSettingsNoEndsTheProgramWithNothingWritten)
{
    answer(BoxAnswer::No);
    EXPECT_EQ(runMain(), nullptr);
    ASSERT_EQ(shownBoxes().size(), 1u);
    EXPECT_EQ(shownBoxes().at(0).kind, BoxKind::Question);
    EXPECT_EQ(shownBoxes().at(0).text, QStringLiteral("設定ファイルを作成しますか？"));
    EXPECT_TRUE(m_modal.shown.isEmpty());
    EXPECT_TRUE(testsupport::entriesOf(m_context.programFolder).isEmpty());
    EXPECT_FALSE(mainWindowVisible());
}

// Yes and a saved settings window: see the complete run.
