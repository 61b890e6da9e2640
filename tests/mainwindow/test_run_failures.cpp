#include "RunFixture.h"

#include "mainwindow/ArchiveLimits.h"
#include "platform/Folders.h"

#include <QDir>
#include <algorithm>
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

    // Too large for the formats, on sparse files: one file beyond a CAB
    // folder (65535 blocks of 32 KiB), then a total whose archive could pass
    // what the encryption counts (2^31 - 1 bytes, less the archive's own).
    m_window.entries.resize(1);
    const QString huge = addReport(QStringLiteral("huge.bin"), "");
    ASSERT_TRUE(QFile::resize(huge, 65535LL * 32768 + 1));
    m_boxes.boxes.clear();
    run().cmdSend_Click();
    EXPECT_TRUE(!m_window.entries[0].selected && m_window.entries[1].selected);
    EXPECT_EQ(boxTexts(), QStringList{"ﾌｧｲﾙが大きすぎるため出力できません。\r\n" + huge
                                      + "\r\n大きさ 2,147,450,881ﾊﾞｲﾄ、1ﾌｧｲﾙの上限 2,147,450,880ﾊﾞｲﾄ (CAB形式の制限)"});
    ASSERT_TRUE(QFile::resize(huge, 1150LL << 20));
    const QString second = addReport(QStringLiteral("second.bin"), "");
    ASSERT_TRUE(QFile::resize(second, 1150LL << 20));
    m_boxes.boxes.clear();
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{"ﾌｧｲﾙの合計が大きすぎるため出力できません。\r\n"
                                      "合計 2,411,724,801ﾊﾞｲﾄ、上限 2,145,384,190ﾊﾞｲﾄ (暗号化ﾌｧｲﾙの上限 "
                                      "2,147,483,647ﾊﾞｲﾄから書庫の管理情報を除いた大きさ)\r\nﾌｧｲﾙを分けて出力してください。"});
    EXPECT_TRUE(std::none_of(m_window.entries.begin(), m_window.entries.end(), [](const auto& e) { return e.selected; }));
    EXPECT_EQ(errorLogs() + workFolders(), QStringList());
    EXPECT_EQ(m_window.waitPointer.size(), 10u);
}

// The total's limit holds for the worst the archive can make of
// incompressible data: every block stored, every name at its longest.
TEST(ArchiveLimits, TheLimitIsAnUpperBoundOfTheArchiveAndExact)
{
    using namespace archivelimits;
    const qint64 limit = maxTotalBytes(2);
    const qint64 blocks = limit / 32768 + 2 + 1;
    EXPECT_LE(36 + 3 * (8 + 16 + 256) + 1021 + limit + blocks * (8 + 2 + 5), kMaxArchiveBytes);
    EXPECT_TRUE(check({limit - 1, 1}).ok);
    const Verdict over = check({limit, 1});
    EXPECT_TRUE(!over.ok && over.file == -1 && over.bytes == limit + 1 && over.limit == limit);
    EXPECT_TRUE(check({kMaxFileBytes}).file == -1) << "one whole folder is still over the total";
    EXPECT_EQ(check({1, kMaxFileBytes + 1, kMaxFileBytes + 2}).file, 1);
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
        const QString capicom = QString::fromLatin1(platform::kCapicom.fileName);
        QDir().mkpath(at(QStringLiteral("program")));
        QFile::copy(platform::joinPath(platform::programFolder(), capicom), at(QStringLiteral("program/") + capicom));
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
