// The whole product through its windows: an empty program folder, the
// settings created at the first start, two report files added, "出力", and
// a file the receiver can open.
#include "startup/basTamberlox_01.h"

#include "Receiver.h"
#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

TEST_F(GuiFixture, FromAnEmptyProgramFolderToADecryptableOutput)
{
    platform::InstanceLock lock(at("tamberlox.lock"));
    const basTamberlox_01::StartupServices startup { lock, [] { return basTamberlox_01::ProductVersion { 6, 0, 0, 0 }; }, services() };
    m_boxes.answers = { BoxAnswer::Yes };
    m_dialogs.scripts.push_back([](QDialog& settings) {
        for (const auto& [name, text] : { std::pair { "txtUUserId", "A123" }, { "txtUPassWord", "秘密pass" },
                 { "txtUMailAdress", "reply@example.jp" } })
            child<QLineEdit>(settings, name)->setText(text);
        QTest::mouseClick(child<QPushButton>(settings, "cmdEstablish"), Qt::LeftButton);
    });
    const auto window = basTamberlox_01::Main(m_context, startup);
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
