#include "RunFixture.h"
#include "Receiver.h"

#include "platform/Cp932.h"

#include <QDir>

namespace {

const QString kOutName = QStringLiteral("TMPA12320261206030405.txt");
// The header line the receiver reads, in CP932.
const QByteArray kHeader = platform::toCp932(
    QStringLiteral("トルメア,A123,パス,word1,reply@example.jp\r\n"));

class RunSuccessTest : public RunFixture {};

} // namespace

TEST_F(RunSuccessTest, ReceiverGetsEveryStagedFileAndTheHeader)
{
    writeValidSettings();
    addReport(QStringLiteral("a/月報.xls"), "first report");
    addReport(QStringLiteral("b/月報.xls"), "second, same name");
    addReport(QStringLiteral("c/月報.XLS"), "third, other case");
    addReport(QStringLiteral("d/表示ソフト能力.csv"), QByteArray(70000, 'z'));
    // The clock moves on: the attachment log takes its own later reading.
    int reads = 0;
    m_context.clock = [&] { return m_now.addSecs(reads++); };

    run().cmdSend_Click();

    // The success box and nothing else.
    ASSERT_EQ(boxTexts(),
              QStringList{QStringLiteral("トルメアﾌｧｲﾙは2026年12月06日03時04分05秒正常に出力されました。\r\n"
                                         "出力ﾌｧｲﾙ名はTMPA12320261206030405.txtです。")});
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
    EXPECT_TRUE(errorLogs().isEmpty());

    // The delivered file, read as the receiver reads it.
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
    EXPECT_EQ(testsupport::fileMode(at(QStringLiteral("output/") + kOutName)), 0600u);
    const QByteArray cab =
        receiver::decrypt(testsupport::readBytes(at(QStringLiteral("output/") + kOutName)));
    ASSERT_TRUE(cab.startsWith("MSCF"));
    bool ok = false;
    const auto files = receiver::extract(cab, m_root.path(), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(files.keys(), (QStringList{QStringLiteral("MAIN_TEXT.txt"), QStringLiteral("月報.xls"),
                                         QStringLiteral("月報0.xls"), QStringLiteral("月報1.XLS"),
                                         QStringLiteral("表示ソフト能力.csv")}));
    EXPECT_EQ(files.value(QStringLiteral("MAIN_TEXT.txt")), kHeader);
    EXPECT_EQ(files.value(QStringLiteral("月報.xls")), "first report");
    EXPECT_EQ(files.value(QStringLiteral("月報0.xls")), "second, same name");
    EXPECT_EQ(files.value(QStringLiteral("月報1.XLS")), "third, other case");
    EXPECT_EQ(files.value(QStringLiteral("表示ソフト能力.csv")), QByteArray(70000, 'z'));
}

TEST_F(RunSuccessTest, LogsWorkFolderAndListAfterSuccess)
{
    writeValidSettings();
    addReport(QStringLiteral("report.xls"), "data");
    int reads = 0;
    m_context.clock = [&] { return m_now.addSecs(reads++); };

    run().cmdSend_Click();

    // Run log: two CP932 lines, named from the same reading as the output.
    const QString runLog = at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"));
    EXPECT_EQ(testsupport::readBytes(runLog),
              platform::toCp932(QStringLiteral("トルメアﾌｧｲﾙは2026年12月06日03時04分05秒正常に出力されました。\r\n"
                                               "出力ﾌｧｲﾙ名は") + kOutName + QStringLiteral("です。\r\n")));
    // Attachment log: the second, later reading; copies for the owner only.
    const QString copies = at(QStringLiteral("templog/20261206_030406"));
    EXPECT_EQ(testsupport::entriesOf(copies),
              (QStringList{QStringLiteral("MAIN_TEXT.txt"), QStringLiteral("report.xls")}));
    EXPECT_EQ(testsupport::readBytes(copies + QStringLiteral("/MAIN_TEXT.txt")), kHeader);
    EXPECT_EQ(testsupport::readBytes(copies + QStringLiteral("/report.xls")), "data");
    EXPECT_EQ(testsupport::fileMode(copies + QStringLiteral("/MAIN_TEXT.txt")), 0600u);
    EXPECT_EQ(testsupport::fileMode(copies + QStringLiteral("/report.xls")), 0600u);

    EXPECT_TRUE(workFolders().isEmpty());
    EXPECT_TRUE(m_window.entries.empty());
    EXPECT_EQ(m_window.removed, (std::vector<int>{0}));
    EXPECT_TRUE(m_window.addButtonFocused);
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
    EXPECT_EQ(run().strOutFileName(), kOutName);
}

TEST_F(RunSuccessTest, OverwriteAcceptedReplacesTheEarlierOutput)
{
    writeValidSettings();
    addReport(QStringLiteral("r.txt"), "x");
    ASSERT_TRUE(testsupport::writeBytes(at(QStringLiteral("output/") + kOutName), "earlier"));
    m_boxes.answers = {BoxAnswer::Yes};

    run().cmdSend_Click();

    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(m_boxes.boxes[0].title, QStringLiteral("Tamberlox"));
    EXPECT_EQ(m_boxes.boxes[0].text,
              QStringLiteral("既に同じ名前の暗号化ﾌｧｲﾙが存在します。\r\n上書きしますか？"));
    const QByteArray cab =
        receiver::decrypt(testsupport::readBytes(at(QStringLiteral("output/") + kOutName)));
    EXPECT_TRUE(cab.startsWith("MSCF"));
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
}

TEST_F(RunSuccessTest, MissingLogFolderFallsBackToDocumentsWithANotice)
{
    writeValidSettings();
    writeSetting(settings::kKeyLog, at(QStringLiteral("no-such-log")));
    addReport(QStringLiteral("r.txt"), "x");

    run().cmdSend_Click();

    const QString fallback = at(QStringLiteral("documents/TORMEA_REPORT"));
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
    EXPECT_EQ(m_boxes.boxes[0].text,
              QStringLiteral("ﾛｸﾞﾌｧｲﾙを出力するﾌｫﾙﾀﾞの指定に誤りがあります。\r\n"
                             "設定ﾌｧｲﾙを確認してください。\r\nﾛｸﾞﾌｧｲﾙは")
                  + fallback + QStringLiteral("に出力されました。"));
    EXPECT_TRUE(m_boxes.boxes[1].text.startsWith(QStringLiteral("トルメアﾌｧｲﾙは")));
    EXPECT_TRUE(QFileInfo::exists(fallback + QStringLiteral("/R_MESS20261206030405.txt")));
    EXPECT_TRUE(m_window.entries.empty());
}

TEST_F(RunSuccessTest, TrailingSeparatorsInFolderSettingsAreNotDoubled)
{
    writeValidSettings();
    writeSetting(settings::kKeyTemp, at(QStringLiteral("work/")));
    writeSetting(settings::kKeyOutput, at(QStringLiteral("output/")));
    writeSetting(settings::kKeyLog, at(QStringLiteral("log/")));
    addReport(QStringLiteral("r.txt"), "x");
    m_window.onKeepPainted = [this] {
        if (!run().strWorkDir().isEmpty()) {
            EXPECT_EQ(run().strWorkDir(), at(QStringLiteral("work/WorkSpace")));
        }
    };

    run().cmdSend_Click();

    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("output/") + kOutName)));
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"))));
}
