// The whole product through its windows: an empty program folder, the
// settings created at the first start, report files added by the dialog and
// by a drop, "出力", and a file the receiver can open.
#include "startup/basTamberlox_01.h"

#include "Receiver.h"
#include "UiTestSupport.h"

#include "mainwindow/ui/WindowMenu.h"
#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/Cp932.h"
#include "platform/InstanceLock.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

class CompleteRunTest : public GuiFixture { };

TEST_F(CompleteRunTest, FromAnEmptyProgramFolderToADecryptableOutput)
{
    ASSERT_TRUE(QDir(m_context.programFolder).isEmpty());
    platform::InstanceLock lock(at(QStringLiteral("tamberlox.lock")));
    const basTamberlox_01::StartupServices startup { lock,
        [] { return basTamberlox_01::ProductVersion { 6, 0, 0, 0 }; }, services() };
    m_boxes.answers = { BoxAnswer::Yes };
    bool mainShownMeanwhile = false;
    m_modal.scripts.push_back([&](QDialog& settings) {
        for (QWidget* each : QApplication::topLevelWidgets())
            mainShownMeanwhile |= each->objectName() == QStringLiteral("frmTamberlox_01") && each->isVisible();
        fillAndSaveSettings(settings, QStringLiteral("秘密pass"));
    });

    // The question, then the settings window, then the main window.
    const auto window = basTamberlox_01::Main(m_context, startup);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(boxTexts(), QStringList { QStringLiteral("設定ファイルを作成しますか？") });
    EXPECT_EQ(m_modal.shown, QStringList { QStringLiteral("frmIniFile") });
    EXPECT_FALSE(mainShownMeanwhile);
    ASSERT_TRUE(QFileInfo(iniPath()).isFile());
    uitest::activate(*window);
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowMenu().isInstalled());

    m_fileOpen.answers.push_back(writeReport(QStringLiteral("月報.xls")));
    QTest::mouseClick(uitest::child<QPushButton>(*window, QStringLiteral("cmdAdd")), Qt::LeftButton);
    auto* send = uitest::child<QPushButton>(*window, QStringLiteral("cmdSend"));
    ASSERT_TRUE(uitest::dropFiles(send, { writeReport(QStringLiteral("表示ソフト.csv")) }));
    auto* list = uitest::child<QListWidget>(*window, QStringLiteral("lstFile"));
    ASSERT_EQ(list->count(), 2);
    QTest::mouseClick(send, Qt::LeftButton);

    // The defaults put the output into the documents folder.
    const QStringList outputs
        = QDir(at(QStringLiteral("documents"))).entryList({ QStringLiteral("TMPA123*.txt") }, QDir::Files);
    ASSERT_EQ(outputs.size(), 1) << boxTexts().join('|').toStdString();
    EXPECT_EQ(m_boxes.boxes.back().kind, BoxKind::Information);
    EXPECT_TRUE(m_boxes.boxes.back().text.endsWith(QStringLiteral("出力ﾌｧｲﾙ名は") + outputs[0] + QStringLiteral("です。")));
    EXPECT_EQ(list->count(), 0);

    bool ok = false;
    const auto files = receiver::extract(
        receiver::decrypt(testsupport::readBytes(at(QStringLiteral("documents/")) + outputs[0])), m_root.path(), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(files.keys(),
        (QStringList { QStringLiteral("MAIN_TEXT.txt"), QStringLiteral("月報.xls"), QStringLiteral("表示ソフト.csv") }));
    EXPECT_EQ(files.value(QStringLiteral("MAIN_TEXT.txt")),
        platform::toCp932(QStringLiteral("トルメア,A123,秘密pass,reply@example.jp\r\n")));
    EXPECT_EQ(files.value(QStringLiteral("月報.xls")), "report");
}
