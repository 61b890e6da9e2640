#include "RunFixture.h"

#include "platform/Folders.h"

#include <QDir>
#include <functional>

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

// Each step that fails: its message (or the system's, checked by its end),
// its error log, no work folder, the list kept. Relative folders, though they
// exist below the current folder, are refused and nothing is made there.
TEST_F(RunFailureTest, EachStepFailsWithItsMessageAndLeavesNoWorkFolder)
{
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root.path()));
    const QString badWork = QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n設定ﾌｧｲﾙの作業フォルダを確認してください。");
    const QString readme = at(QStringLiteral("reports/README"));
    const QString goneTempLog = at(QStringLiteral("gone/templog"));
    const auto archiverMissing = [this] {
        // Only the pass-phrase component: the password is deciphered first.
        m_context.components.programFolder = at(QStringLiteral("program"));
        QFile::link(platform::joinPath(platform::programFolder(), QStringLiteral("libcapicom.so")),
                    at(QStringLiteral("program/libcapicom.so")));
    };
    const struct {
        const char* label;
        std::function<void()> setup;
        QString message;  // exact, or the end of the system's text
        bool exact;
    } steps[] = {
        {"FncCrtWorkSpace", [&] { writeSetting(settings::kKeyTemp, at(QStringLiteral("no-such-work"))); }, badWork, true},
        {"FncCrtWorkSpace", [&] { writeSetting(settings::kKeyTemp, QStringLiteral("work")); }, badWork, true},
        {"FncMoveFile", [&] { addReport(QStringLiteral("README"), "x"); },
         QStringLiteral("プロシージャの呼び出し、または引数が不正です。\r\n") + readme, true},
        {"FncCrtText", [&] { writeSetting(settings::kKeyPassword, QStringLiteral("not a stored password")); }, {}, false},
        {"FncCompress", archiverMissing, {}, false},
        {"FncTamberlox", [&] { writeSetting(settings::kKeyOutput, at(QStringLiteral("no-such-output"))); },
         QStringLiteral("暗号化ﾌｧｲﾙの出力先ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n設定ﾌｧｲﾙのﾌｧｲﾙ出力先ﾌｫﾙﾀﾞを確認してください。"), true},
        {"FncMoveLog", [&] { writeSetting(settings::kKeyTempLog, QStringLiteral("templog")); },
         QStringLiteral("No such file or directory\r\ntemplog"), true},
        {"FncMoveLog", [&] { writeSetting(settings::kKeyTempLog, goneTempLog); }, goneTempLog, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.label + step.message.toStdString());
        writeValidSettings();
        for (const QString& log : QDir(at(QStringLiteral("program"))).entryList({QStringLiteral("Err_*")}))
            QFile::remove(at(QStringLiteral("program/")) + log);
        QDir(at(QStringLiteral("output"))).removeRecursively();
        QDir().mkpath(at(QStringLiteral("output")));
        m_window.entries.resize(1);
        m_window.waitPointer.clear();
        m_boxes.boxes.clear();
        m_run.reset();
        step.setup();
        const QString text = failsAt(QString::fromLatin1(step.label), step.exact ? step.message : QString());
        EXPECT_TRUE(text.endsWith(step.message)) << text.toStdString();
        EXPECT_EQ(testsupport::entriesOf(m_root.path()),
                  (QStringList{"documents", "log", "output", "program", "reports", "templog", "work"}));
        m_context.components.programFolder = platform::programFolder();
    }
    // Delivered before the attachment log failed, and it stays.
    EXPECT_TRUE(QFileInfo::exists(at(kOutPath)));
    QDir::setCurrent(previous);
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
