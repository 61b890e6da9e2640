#include "RunFixture.h"

#include "platform/Folders.h"

#include <QDir>

namespace {

const QString kOutName = QStringLiteral("TMPA12320261206030405.txt");

class RunFailureTest : public RunFixture {
protected:
    // The one warning box a failed step ends with, and its error log.
    void expectStepFailure(const QString& label, const QString& message)
    {
        ASSERT_FALSE(m_boxes.boxes.empty());
        EXPECT_EQ(m_boxes.boxes.back().kind, BoxKind::Warning);
        EXPECT_EQ(m_boxes.boxes.back().text, message);
        EXPECT_EQ(errorLogs(),
                  QStringList{QStringLiteral("Err_20261206030405.LOG: ") + message
                              + QLatin1Char(',') + label + QStringLiteral("\r\n")});
        EXPECT_TRUE(workFolders().isEmpty()) << workFolders().join(' ').toStdString();
        EXPECT_EQ(m_window.entries.size(), m_listed);
        EXPECT_EQ(m_window.waitPointer.back(), false);
    }
    void listOneReport()
    {
        addReport(QStringLiteral("report.xls"), "data");
        m_listed = m_window.entries.size();
    }
    size_t m_listed = 0;
};

} // namespace

TEST_F(RunFailureTest, EmptyListStopsBeforeTheSettingsFile)
{
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("暗号化するﾌｧｲﾙを指定してください。")});
    EXPECT_TRUE(errorLogs().isEmpty());
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
}

TEST_F(RunFailureTest, MissingListedFilesAreSelected)
{
    writeValidSettings();
    addReport(QStringLiteral("here.xls"), "x");
    m_window.entries.push_back({at(QStringLiteral("reports/gone1.xls")), false});
    m_window.entries.push_back({at(QStringLiteral("reports")), false}); // a folder does not count
    m_window.entries[0].selected = true;
    run().cmdSend_Click();
    EXPECT_FALSE(m_window.entries[0].selected);
    EXPECT_TRUE(m_window.entries[1].selected);
    EXPECT_TRUE(m_window.entries[2].selected);
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("存在しないﾌｧｲﾙが指定されています。\r\n"
                                                     "ﾘｽﾄで選択されているﾌｧｲﾙを確認してください。")});
    EXPECT_TRUE(errorLogs().isEmpty());
}

TEST_F(RunFailureTest, MissingSettingsFileShowsTheBoxBeforeLogging)
{
    listOneReport();
    const QString message = QStringLiteral("設定ファイルが存在しません。\r\n設定ファイルを確認してください。");
    QStringList logsWhenBoxShown;
    struct LoggingBoxes : RecordingMessageBox {
        std::function<void()> onShow;
        BoxAnswer show(BoxKind kind, const QString& text) override
        {
            onShow();
            return RecordingMessageBox::show(kind, text);
        }
    } boxes;
    boxes.onShow = [&] { logsWhenBoxShown = errorLogs(); };
    m_context.boxes = &boxes;
    run().cmdSend_Click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, message);
    EXPECT_TRUE(logsWhenBoxShown.isEmpty());
    EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + message
                                       + QStringLiteral(",INIファイル存在エラー\r\n")});
}

TEST_F(RunFailureTest, WorkFolderSettingMissing)
{
    writeValidSettings();
    writeSetting(settings::kKeyTemp, at(QStringLiteral("no-such-work")));
    listOneReport();
    run().cmdSend_Click();
    expectStepFailure(QStringLiteral("FncCrtWorkSpace"),
                      QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                     "設定ﾌｧｲﾙの作業フォルダを確認してください。"));
    EXPECT_TRUE(run().strWorkDir().isEmpty());
}

TEST_F(RunFailureTest, FileNameWithoutDotFailsTheStaging)
{
    writeValidSettings();
    listOneReport();
    const QString readme = addReport(QStringLiteral("README"), "x");
    m_listed = m_window.entries.size();
    run().cmdSend_Click();
    expectStepFailure(QStringLiteral("FncMoveFile"),
                      QStringLiteral("プロシージャの呼び出し、または引数が不正です。\r\n") + readme);
}

TEST_F(RunFailureTest, PasswordThatCannotBeDecipheredWritesNoHeader)
{
    writeValidSettings();
    writeSetting(settings::kKeyPassword, QStringLiteral("not a stored password"));
    listOneReport();
    run().cmdSend_Click();
    ASSERT_FALSE(m_boxes.boxes.empty());
    const QString message = m_boxes.boxes.back().text;
    EXPECT_FALSE(message.isEmpty());
    expectStepFailure(QStringLiteral("FncCrtText"), message);
}

TEST_F(RunFailureTest, ArchiverFailureIsTheCompressStep)
{
    writeValidSettings();
    listOneReport();
    m_context.components.programFolder = at(QStringLiteral("program")); // no archiver there
    // The password is deciphered before the archiver is needed.
    m_context.components.searchSystem = false;
    QDir().mkpath(at(QStringLiteral("program")));
    QFile::link(platform::joinPath(platform::programFolder(), QStringLiteral("libcapicom.so")),
                at(QStringLiteral("program/libcapicom.so")));
    run().cmdSend_Click();
    ASSERT_FALSE(m_boxes.boxes.empty());
    expectStepFailure(QStringLiteral("FncCompress"), m_boxes.boxes.back().text);
    EXPECT_FALSE(m_boxes.boxes.back().text.isEmpty());
}

TEST_F(RunFailureTest, OutputFolderMissing)
{
    writeValidSettings();
    writeSetting(settings::kKeyOutput, at(QStringLiteral("no-such-output")));
    listOneReport();
    run().cmdSend_Click();
    expectStepFailure(QStringLiteral("FncTamberlox"),
                      QStringLiteral("暗号化ﾌｧｲﾙの出力先ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                     "設定ﾌｧｲﾙのﾌｧｲﾙ出力先ﾌｫﾙﾀﾞを確認してください。"));
}

TEST_F(RunFailureTest, OverwriteRefusedLeavesTheExistingFile)
{
    writeValidSettings();
    listOneReport();
    ASSERT_TRUE(testsupport::writeBytes(at(QStringLiteral("output/") + kOutName), "earlier"));
    m_boxes.answers = {BoxAnswer::No};
    run().cmdSend_Click();
    expectStepFailure(QStringLiteral("FncTamberlox"),
                      QStringLiteral("暗号化ﾌｧｲﾙの出力はﾕｰｻﾞｰにより中止されました。"));
    EXPECT_EQ(testsupport::readBytes(at(QStringLiteral("output/") + kOutName)), "earlier");
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("log/TORMEA_REPORT"))));
}

TEST_F(RunFailureTest, AttachmentLogParentMissingFailsAfterDelivery)
{
    writeValidSettings();
    const QString tempLog = at(QStringLiteral("gone/templog"));
    writeSetting(settings::kKeyTempLog, tempLog);
    listOneReport();
    run().cmdSend_Click();
    ASSERT_FALSE(m_boxes.boxes.empty());
    expectStepFailure(QStringLiteral("FncMoveLog"), m_boxes.boxes.back().text);
    EXPECT_TRUE(m_boxes.boxes.back().text.endsWith(tempLog));
    // Delivered before the failure, and it stays.
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("output/") + kOutName)));
}

TEST_F(RunFailureTest, RunLogThatCannotBeWrittenKeepsTheList)
{
    writeValidSettings();
    listOneReport();
    // A folder where the run log's folder should be created is a file.
    ASSERT_TRUE(testsupport::writeBytes(at(QStringLiteral("log/TORMEA_REPORT")), "in the way"));
    run().cmdSend_Click();
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    const QString message = m_boxes.boxes[0].text;
    EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + message
                                       + QStringLiteral(",FncCrtLogFile\r\n")});
    EXPECT_EQ(m_window.entries.size(), 1u);
    EXPECT_FALSE(m_window.addButtonFocused);
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("output/") + kOutName)));
}
