#include "RunFixture.h"

#include "platform/Folders.h"

#include <QDir>
#include <functional>

using RunFailureTest = RunFixture;

// The list's checks: the empty list; then the missing entries (a folder
// counts as missing), and in a list made before names were checked the
// names Windows cannot hold, are selected, the others not. Nothing is
// logged or made.
TEST_F(RunFailureTest, ListChecksStopBeforeAnyStepAndSelectTheEntriesAtFault)
{
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("暗号化するﾌｧｲﾙを指定してください。")});

    addReport(QStringLiteral("here.xls"), "x");
    m_window.entries.push_back({at(QStringLiteral("reports/gone1.xls")), false});
    m_window.entries.push_back({at(QStringLiteral("reports")), false});
    m_window.entries[0].selected = true;
    m_boxes.boxes.clear();
    run().cmdSend_Click();
    EXPECT_TRUE(!m_window.entries[0].selected && m_window.entries[1].selected && m_window.entries[2].selected);
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("存在しないﾌｧｲﾙが指定されています。\r\n"
                                                     "ﾘｽﾄで選択されているﾌｧｲﾙを確認してください。")});

    m_window.entries.resize(1);
    const QString colon = addReport(QStringLiteral("a:b.xls"), "x");
    m_boxes.boxes.clear();
    run().cmdSend_Click();
    EXPECT_TRUE(!m_window.entries[0].selected && m_window.entries[1].selected);
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("ﾌｧｲﾙ名にWindowsで使えない文字「:」が含まれています。\r\n")
                                      + colon + QStringLiteral("\r\nﾌｧｲﾙ名を変更して再度指定してください。")});
    EXPECT_EQ(errorLogs() + workFolders(), QStringList());
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false, true, false, true, false}));
}

// Each step that fails (the settings file gone first): its message (or the
// system's own), its error log, no work folder, the list kept; an output only
// from a failure after the delivery. Relative folders, though they exist
// below the current folder, are refused and nothing is made there.
TEST_F(RunFailureTest, EachStepFailsWithItsMessageAndLeavesNoWorkFolder)
{
    addReport(QStringLiteral("report.xls"), "data");
    const testsupport::CurrentFolder inside(m_root.path());
    const QString badWork = QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n設定ﾌｧｲﾙの作業フォルダを確認してください。");
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
        QString message; // exact; none for a system text of its own
    } steps[] = {
        {"INIファイル存在エラー", [&] { QFile::remove(iniPath()); },
         QStringLiteral("設定ファイルが存在しません。\r\n設定ファイルを確認してください。")},
        {"FncCrtWorkSpace", [&] { writeSetting(settings::Field::Temp, at(QStringLiteral("no-such-work"))); }, badWork},
        {"FncCrtWorkSpace", [&] { writeSetting(settings::Field::Temp, QStringLiteral("work")); }, badWork},
        {"FncMoveFile", [&] { addReport(QStringLiteral("README"), "x"); },
         QStringLiteral("プロシージャの呼び出し、または引数が不正です。\r\n") + at(QStringLiteral("reports/README"))},
        {"FncCrtText", [&] { writeSetting(settings::Field::Password, QStringLiteral("not a stored password")); }, {}},
        {"FncCompress", archiverMissing, {}},
        {"FncTamberlox", [&] { writeSetting(settings::Field::Output, at(QStringLiteral("no-such-output"))); },
         QStringLiteral("暗号化ﾌｧｲﾙの出力先ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n設定ﾌｧｲﾙのﾌｧｲﾙ出力先ﾌｫﾙﾀﾞを確認してください。")},
        {"FncMoveLog", [&] { writeSetting(settings::Field::TempLog, QStringLiteral("templog")); },
         QStringLiteral("No such file or directory\r\ntemplog")},
        {"FncMoveLog", [&] { writeSetting(settings::Field::TempLog, goneTempLog); },
         QStringLiteral("No such file or directory\r\n") + goneTempLog},
        // A file where the run log's folder should be made.
        {"FncCrtLogFile", [&] { testsupport::writeBytes(at(QStringLiteral("log/TORMEA_REPORT")), "in the way"); }, {}},
    };
    for (const auto& step : steps) {
        const QString label = QString::fromUtf8(step.label);
        SCOPED_TRACE(label.toStdString() + step.message.toStdString());
        writeValidSettings();
        QFile::remove(outPath());
        m_window.entries.resize(1);
        resetRun();
        step.setup();
        run().cmdSend_Click();
        const QString text = failed(label);
        EXPECT_TRUE(step.message.isEmpty() || text == step.message) << text.toStdString();
        EXPECT_EQ(testsupport::entriesOf(m_root.path()),
                  (QStringList{"documents", "log", "output", "program", "reports", "templog", "work"}));
        EXPECT_EQ(QFileInfo::exists(outPath()), label == "FncMoveLog" || label == "FncCrtLogFile");
        m_context.components.programFolder = platform::programFolder();
    }
}

TEST_F(RunFailureTest, OverwriteRefusedLeavesTheExistingFile)
{
    addReport(QStringLiteral("report.xls"), "data");
    ASSERT_TRUE(testsupport::writeBytes(outPath(), "earlier"));
    m_boxes.answers = {BoxAnswer::No};
    run().cmdSend_Click();
    EXPECT_EQ(failed(QStringLiteral("FncTamberlox"), 2), QStringLiteral("暗号化ﾌｧｲﾙの出力はﾕｰｻﾞｰにより中止されました。"));
    EXPECT_EQ(testsupport::readBytes(outPath()), "earlier");
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("log/TORMEA_REPORT"))));
}
