// Main from the first check to the shown main window, with the real windows.
#include "startup/basTamberlox_01.h"

#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"

class StartupTest : public GuiFixture {
protected:
    std::unique_ptr<frmTamberlox_01> runMain(platform::InstanceLock& lock, const AppContext& context)
    {
        return basTamberlox_01::Main(context, { lock, [this] { return m_version; }, services() });
    }

    std::optional<basTamberlox_01::ProductVersion> m_version = basTamberlox_01::ProductVersion { 6, 0, 0, 0 };
    platform::InstanceLock m_lock { at("tamberlox.lock") };
};

// The lock is the first check, also against a start while the first one
// still asks whether to create the settings. No to that ends the program
// with nothing written; Yes is in the complete run.
TEST_F(StartupTest, ASecondCopyIsRefusedAndNoToTheFirstQuestionEndsWithNothingWritten)
{
    RecordingMessageBox secondBoxes;
    AppContext second = m_context;
    second.boxes = &secondBoxes;
    second.components.programFolder = at("program"); // no components there
    std::unique_ptr<frmTamberlox_01> secondWindow;
    m_boxes.onShow = [&](BoxKind) {
        platform::InstanceLock secondLock(at("tamberlox.lock"));
        secondWindow = runMain(secondLock, second);
    };
    EXPECT_EQ(runMain(m_lock, m_context), nullptr);
    EXPECT_EQ(secondWindow, nullptr);
    EXPECT_TRUE(secondBoxes.boxes.size() == 1u && secondBoxes.boxes[0].kind == BoxKind::Warning && secondBoxes.boxes[0].text == "二重起動はできません。");
    ASSERT_EQ(boxTexts(), QStringList { "設定ファイルを作成しますか？" });
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Question);
    EXPECT_TRUE(m_dialogs.shown.isEmpty() && testsupport::entriesOf(m_context.programFolder).isEmpty());
}

// A version that cannot be read ends the start without a box, one too old
// with its message (the components: FncChkDllExist).
TEST_F(StartupTest, AFailedVersionCheckEndsTheStartWithItsOwnBoxOrNone)
{
    writeValidSettings();
    m_version.reset();
    EXPECT_EQ(runMain(m_lock, m_context), nullptr);
    m_version = basTamberlox_01::ProductVersion { 4, 0, 949, 1 };
    EXPECT_EQ(runMain(m_lock, m_context), nullptr);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(m_boxes.boxes[0].text.startsWith("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.949.1です。\r\n"));

    m_version = basTamberlox_01::kRequiredVersion;
    const auto window = runMain(m_lock, m_context);
    ASSERT_NE(window, nullptr) << "with a settings file the window shows at once";
    EXPECT_TRUE(window->isVisible() && m_boxes.boxes.size() == 1u && m_dialogs.shown.isEmpty());
}
