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
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Boxes that can act while a box is open, as a second start does.
class HookedBoxes : public RecordingMessageBox {
public:
    BoxAnswer show(BoxKind kind, const QString& text) override
    {
        if (kind == BoxKind::Question && whileAsking)
            whileAsking();
        return RecordingMessageBox::show(kind, text);
    }
    std::function<void()> whileAsking;
};

bool mainWindowVisible()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("frmTamberlox_01") && window->isVisible())
            return true;
    return false;
}

const QString kQuestion = QStringLiteral("設定ファイルを作成しますか？");

} // namespace

class StartupTest : public GuiFixture {
protected:
    void SetUp() override
    {
        GuiFixture::SetUp();
        m_context.boxes = &m_hookedBoxes;
    }

    std::unique_ptr<frmTamberlox_01> runMain(
        platform::InstanceLock& lock, const AppContext& context)
    {
        const basTamberlox_01::StartupServices services { lock, [this] { return m_version; },
            this->services() };
        return basTamberlox_01::Main(context, services);
    }
    std::unique_ptr<frmTamberlox_01> runMain() { return runMain(m_lock, m_context); }

    const std::vector<RecordingMessageBox::Box>& shownBoxes() const { return m_hookedBoxes.boxes; }
    void answer(BoxAnswer answer) { m_hookedBoxes.answers.push_back(answer); }
    QString lockPath() const { return at(QStringLiteral("tamberlox.lock")); }

    // Fills the settings window with values that pass and saves.
    static void saveSettings(QDialog& window);

    HookedBoxes m_hookedBoxes;
    std::optional<basTamberlox_01::ProductVersion> m_version
        = basTamberlox_01::ProductVersion { 6, 0, 0, 0 };
    platform::InstanceLock m_lock { lockPath() };
};

void StartupTest::saveSettings(QDialog& window)
{
    const auto set = [&window](const char* name, const QString& text) {
        uitest::child<QLineEdit>(window, QString::fromLatin1(name))->setText(text);
    };
    set("txtUUserId", QStringLiteral("A123"));
    set("txtUPassWord", QStringLiteral("secret"));
    set("txtUMailAdress", QStringLiteral("reply@example.jp"));
    QTest::mouseClick(
        uitest::child<QPushButton>(window, QStringLiteral("cmdEstablish")), Qt::LeftButton);
}

TEST_F(StartupTest, WithASettingsFileTheMainWindowShowsAtOnce)
{
    writeValidSettings();
    const auto window = runMain();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    EXPECT_TRUE(window->windowMenu().isInstalled());
    EXPECT_TRUE(shownBoxes().empty());
    EXPECT_TRUE(m_modal.shown.isEmpty());
    uitest::activate(*window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupTest, ASecondCopyIsRefusedBeforeAnythingElse)
{
    platform::InstanceLock first(lockPath());
    ASSERT_TRUE(first.tryLock());
    hideComponents();
    EXPECT_EQ(runMain(), nullptr);
    ASSERT_EQ(shownBoxes().size(), 1u);
    EXPECT_EQ(shownBoxes().at(0).kind, BoxKind::Warning);
    EXPECT_EQ(shownBoxes().at(0).title, QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力"));
    EXPECT_EQ(shownBoxes().at(0).text, QStringLiteral("二重起動はできません。"));
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
    m_hookedBoxes.boxes.clear();
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
    EXPECT_EQ(shownBoxes().at(0).text, kQuestion);
    EXPECT_TRUE(m_modal.shown.isEmpty());
    EXPECT_TRUE(testsupport::entriesOf(m_context.programFolder).isEmpty());
    EXPECT_FALSE(mainWindowVisible());
}

TEST_F(StartupTest, WithoutSettingsYesCreatesThemInTheSettingsWindowFirst)
{
    answer(BoxAnswer::Yes);
    bool mainShownMeanwhile = true;
    m_modal.scripts.push_back([&](QDialog& settings) {
        mainShownMeanwhile = mainWindowVisible();
        saveSettings(settings);
    });
    const auto window = runMain();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_modal.shown, QStringList { QStringLiteral("frmIniFile") });
    EXPECT_FALSE(mainShownMeanwhile);
    EXPECT_TRUE(QFileInfo(iniPath()).isFile());
    uitest::activate(*window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowMenu().isInstalled());
}

TEST_F(StartupTest, WithoutSettingsYesThenEndClosesAtTheFirstActivation)
{
    answer(BoxAnswer::Yes);
    m_modal.scripts.push_back([](QDialog& settings) {
        QTest::mouseClick(
            uitest::child<QPushButton>(settings, QStringLiteral("cmdEnd")), Qt::LeftButton);
    });
    const auto window = runMain();
    ASSERT_NE(window, nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(shownBoxes().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(iniPath()));
}

TEST_F(StartupTest, ASecondStartWhileTheFirstAsksIsRefused)
{
    RecordingMessageBox secondBoxes;
    AppContext second = m_context;
    second.boxes = &secondBoxes;
    std::unique_ptr<frmTamberlox_01> secondWindow;
    m_hookedBoxes.whileAsking = [&] {
        platform::InstanceLock secondLock(lockPath());
        secondWindow = runMain(secondLock, second);
    };
    answer(BoxAnswer::No);
    EXPECT_EQ(runMain(), nullptr);
    EXPECT_EQ(secondWindow, nullptr);
    ASSERT_EQ(secondBoxes.boxes.size(), 1u);
    EXPECT_EQ(secondBoxes.boxes.at(0).text, QStringLiteral("二重起動はできません。"));
}
