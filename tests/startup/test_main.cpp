// Main from the first check to the shown main window, with the real windows.
#include "startup/basTamberlox_01.h"

#include "Receiver.h"
#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    ASSERT_EQ(boxTexts(), QStringList { "ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.949.1です。\r\n"
                                        "ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.950.0より新しいﾊﾞｰｼﾞｮﾝを使用してください。" });
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Error);

    m_version = basTamberlox_01::kRequiredVersion;
    const auto window = runMain(m_lock, m_context);
    ASSERT_NE(window, nullptr) << "with a settings file the window shows at once";
    EXPECT_TRUE(window->isVisible() && m_boxes.boxes.size() == 1u && m_dialogs.shown.isEmpty());
}

// The whole product through its windows: an empty program folder, the
// settings created at the first start, two report files added, "出力", and
// a file the receiver can open.
TEST_F(StartupTest, FromAnEmptyProgramFolderToADecryptableOutput)
{
    m_boxes.answers = { BoxAnswer::Yes };
    m_dialogs.scripts.push_back([](QDialog& settings) {
        for (const auto& [name, text] : { std::pair { "txtUUserId", "A123" }, { "txtUPassWord", "秘密pass" },
                 { "txtUMailAdress", "reply@example.jp" } })
            child<QLineEdit>(settings, name)->setText(text);
        QTest::mouseClick(child<QPushButton>(settings, "cmdEstablish"), Qt::LeftButton);
    });
    const auto window = runMain(m_lock, m_context);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(boxTexts(), QStringList { "設定ファイルを作成しますか？" });
    EXPECT_EQ(m_dialogs.shown, QStringList { "frmIniFile" });

    for (const char* name : { "月報.xls", "表示ソフト.csv" }) {
        m_dialogs.answers.push_back(at(name));
        ASSERT_TRUE(testsupport::writeBytes(at(name), name));
        QTest::mouseClick(child<QPushButton>(*window, "cmdAdd"), Qt::LeftButton);
    }
    QTest::mouseClick(child<QPushButton>(*window, "cmdSend"), Qt::LeftButton);
    // The defaults put the output into the documents folder.
    const QStringList outputs = QDir(at("documents")).entryList({ "TMPA123*.txt" }, QDir::Files);
    ASSERT_EQ(outputs.size(), 1) << boxTexts().join('|').toStdString();
    EXPECT_TRUE(boxTexts().last().endsWith("出力ﾌｧｲﾙ名は" + outputs[0] + "です。"));

    bool ok = false;
    const auto files = receiver::extract(
        receiver::decrypt(testsupport::readBytes(at("documents/" + outputs[0]))), m_root.path(), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(files.keys(), (QStringList { "MAIN_TEXT.txt", "月報.xls", "表示ソフト.csv" }));
    EXPECT_EQ(files.value("MAIN_TEXT.txt"), "\x83\x67\x83\x8b\x83\x81\x83\x41,A123,\x94\xe9\x96\xa7pass,reply@example.jp\r\n");
    EXPECT_EQ(files.value("月報.xls"), "月報.xls");
}
