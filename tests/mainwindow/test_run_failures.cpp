#include "RunFixture.h"

#include "platform/Folders.h"

#include <QDir>

namespace {

const QString kOutPath = QStringLiteral("output/TMPA12320261206030405.txt");

class RunFailureTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        writeValidSettings();
        addReport(QStringLiteral("report.xls"), "data");
    }
    // Runs; the run ends with one warning box (message, or the box's own
    // text when empty), its error log under label, no work folder and the
    // list kept. Gives the box's text.
    QString failsAt(const QString& label, const QString& message = {})
    {
        const size_t listed = m_window.entries.size();
        run().cmdSend_Click();
        EXPECT_FALSE(m_boxes.boxes.empty());
        const QString text = m_boxes.boxes.empty() ? QString() : m_boxes.boxes.back().text;
        EXPECT_EQ(m_boxes.boxes.back().kind, BoxKind::Warning);
        EXPECT_FALSE(text.isEmpty());
        if (!message.isEmpty()) {
            EXPECT_EQ(text, message);
        }
        EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + text + QLatin1Char(',')
                                           + label + QStringLiteral("\r\n")});
        EXPECT_TRUE(workFolders().isEmpty()) << workFolders().join(' ').toStdString();
        EXPECT_EQ(m_window.entries.size(), listed);
        EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
        return text;
    }
};

} // namespace

TEST_F(RunFailureTest, EmptyListOrMissingFilesStopBeforeAnyStep)
{
    m_window.entries.clear();
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("暗号化するﾌｧｲﾙを指定してください。")});

    // Every missing entry is selected, the others are not; a folder counts as missing.
    addReport(QStringLiteral("here.xls"), "x");
    m_window.entries.push_back({at(QStringLiteral("reports/gone1.xls")), false});
    m_window.entries.push_back({at(QStringLiteral("reports")), false});
    m_window.entries[0].selected = true;
    m_boxes.boxes.clear();
    run().cmdSend_Click();
    EXPECT_FALSE(m_window.entries[0].selected);
    EXPECT_TRUE(m_window.entries[1].selected && m_window.entries[2].selected);
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("存在しないﾌｧｲﾙが指定されています。\r\n"
                                                     "ﾘｽﾄで選択されているﾌｧｲﾙを確認してください。")});
    EXPECT_TRUE(errorLogs().isEmpty());
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false, true, false}));
}

TEST_F(RunFailureTest, MissingSettingsFileShowsTheBoxBeforeLogging)
{
    ASSERT_TRUE(QFile::remove(iniPath()));
    const QString message = QStringLiteral("設定ファイルが存在しません。\r\n設定ファイルを確認してください。");
    QStringList logsWhenBoxShown{QStringLiteral("<no box>")};
    m_boxes.onShow = [&](BoxKind) { logsWhenBoxShown = errorLogs(); };
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{message});
    EXPECT_TRUE(logsWhenBoxShown.isEmpty());
    EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + message
                                       + QStringLiteral(",INIファイル存在エラー\r\n")});
}

// Missing, or hand-edited to a relative path that exists below the current
// folder: refused before anything is created anywhere.
TEST_F(RunFailureTest, WorkFolderSettingMissingOrRelative)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root.path()));
    for (const QString& temp : {at(QStringLiteral("no-such-work")), QStringLiteral("work")}) {
        writeSetting(settings::kKeyTemp, temp);
        m_boxes.boxes.clear();
        QFile::remove(at(QStringLiteral("program/Err_20261206030405.LOG")));
        failsAt(QStringLiteral("FncCrtWorkSpace"), QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                                                  "設定ﾌｧｲﾙの作業フォルダを確認してください。"));
        EXPECT_TRUE(run().strWorkDir().isEmpty());
        EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("work"))).isEmpty());
        m_window.waitPointer.clear();
    }
    QDir::setCurrent(previous);
}

TEST_F(RunFailureTest, RelativeAttachmentLogFolderCreatesNothingBelowTheCurrentFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(at(QStringLiteral("reports"))));
    writeSetting(settings::kKeyTempLog, QStringLiteral("templog"));
    EXPECT_EQ(failsAt(QStringLiteral("FncMoveLog")), QStringLiteral("No such file or directory\r\ntemplog"));
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("reports"))), QStringList{QStringLiteral("report.xls")});
    QDir::setCurrent(previous);
}

TEST_F(RunFailureTest, FileNameWithoutDotFailsTheStaging)
{
    const QString readme = addReport(QStringLiteral("README"), "x");
    failsAt(QStringLiteral("FncMoveFile"), QStringLiteral("プロシージャの呼び出し、または引数が不正です。\r\n") + readme);
}

TEST_F(RunFailureTest, PasswordThatCannotBeDecipheredWritesNoHeader)
{
    writeSetting(settings::kKeyPassword, QStringLiteral("not a stored password"));
    failsAt(QStringLiteral("FncCrtText"));
}

TEST_F(RunFailureTest, ArchiverFailureIsTheCompressStep)
{
    // Only the pass-phrase component where the components are looked for:
    // the password is deciphered before the archiver is needed.
    m_context.components.programFolder = at(QStringLiteral("program"));
    QFile::link(platform::joinPath(platform::programFolder(), QStringLiteral("libcapicom.so")),
                at(QStringLiteral("program/libcapicom.so")));
    failsAt(QStringLiteral("FncCompress"));
}

TEST_F(RunFailureTest, OutputFolderMissing)
{
    writeSetting(settings::kKeyOutput, at(QStringLiteral("no-such-output")));
    failsAt(QStringLiteral("FncTamberlox"), QStringLiteral("暗号化ﾌｧｲﾙの出力先ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                                           "設定ﾌｧｲﾙのﾌｧｲﾙ出力先ﾌｫﾙﾀﾞを確認してください。"));
}

TEST_F(RunFailureTest, OverwriteRefusedLeavesTheExistingFile)
{
    ASSERT_TRUE(testsupport::writeBytes(at(kOutPath), "earlier"));
    m_boxes.answers = {BoxAnswer::No};
    failsAt(QStringLiteral("FncTamberlox"), QStringLiteral("暗号化ﾌｧｲﾙの出力はﾕｰｻﾞｰにより中止されました。"));
    EXPECT_EQ(testsupport::readBytes(at(kOutPath)), "earlier");
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("log/TORMEA_REPORT"))));
}

TEST_F(RunFailureTest, AttachmentLogParentMissingFailsAfterDelivery)
{
    const QString tempLog = at(QStringLiteral("gone/templog"));
    writeSetting(settings::kKeyTempLog, tempLog);
    EXPECT_TRUE(failsAt(QStringLiteral("FncMoveLog")).endsWith(tempLog));
    EXPECT_TRUE(QFileInfo::exists(at(kOutPath))) << "delivered before the failure, and it stays";
}

TEST_F(RunFailureTest, RunLogThatCannotBeWrittenKeepsTheList)
{
    // A file where the run log's folder should be created.
    ASSERT_TRUE(testsupport::writeBytes(at(QStringLiteral("log/TORMEA_REPORT")), "in the way"));
    run().cmdSend_Click();
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + m_boxes.boxes[0].text
                                       + QStringLiteral(",FncCrtLogFile\r\n")});
    EXPECT_EQ(m_window.entries.size(), 1u);
    EXPECT_FALSE(m_window.addButtonFocused);
    EXPECT_TRUE(QFileInfo::exists(at(kOutPath)));
}

// A list made before names were checked: the run refuses it up front.
TEST_F(RunFailureTest, NameWindowsCannotHoldIsRefusedBeforeAnyStep)
{
    const QString colon = addReport(QStringLiteral("a:b.xls"), "x");
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("ﾌｧｲﾙ名にWindowsで使えない文字「:」が含まれています。\r\n")
                                      + colon + QStringLiteral("\r\nﾌｧｲﾙ名を変更して再度指定してください。")});
    EXPECT_FALSE(m_window.entries[0].selected);
    EXPECT_TRUE(m_window.entries[1].selected);
    EXPECT_TRUE(errorLogs().isEmpty());
    EXPECT_TRUE(workFolders().isEmpty());
}
