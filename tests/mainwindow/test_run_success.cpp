#include "RunFixture.h"
#include "Receiver.h"


#include <QDir>

namespace {

const QString kOutName = QStringLiteral("TMPA12320261206030405.txt");
const QString kOutPath = QStringLiteral("output/") + kOutName;
// The header line the receiver reads, in CP932: トルメア,A123,パス,word1,reply@example.jp
const QByteArray kHeader
    = QByteArray::fromHex("8367838b83818341") + ",A123," + QByteArray::fromHex("83708358") + ",word1,reply@example.jp\r\n";
const QString kSuccess = QStringLiteral("トルメアﾌｧｲﾙは2026年12月06日03時04分05秒正常に出力されました。\r\n"
                                        "出力ﾌｧｲﾙ名はTMPA12320261206030405.txtです。");

class RunSuccessTest : public RunFixture {
protected:
    // The delivered file as the receiver reads it: file name -> content.
    QMap<QString, QByteArray> received()
    {
        const QByteArray cab = receiver::decrypt(testsupport::readBytes(at(kOutPath)));
        bool ok = false;
        const auto files = receiver::extract(cab, m_root.path(), ok);
        EXPECT_TRUE(ok && cab.startsWith("MSCF"));
        return files;
    }
};

} // namespace

TEST_F(RunSuccessTest, ReceiverGetsEveryStagedFileAndTheUserTheLogs)
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

    ASSERT_EQ(boxTexts(), QStringList{kSuccess});
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
    EXPECT_TRUE(errorLogs().isEmpty());
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
    EXPECT_EQ(testsupport::fileMode(at(kOutPath)), 0600u);
    const QMap<QString, QByteArray> staged{{QStringLiteral("MAIN_TEXT.txt"), kHeader},
                                           {QStringLiteral("月報.xls"), "first report"},
                                           {QStringLiteral("月報0.xls"), "second, same name"},
                                           {QStringLiteral("月報1.XLS"), "third, other case"},
                                           {QStringLiteral("表示ソフト能力.csv"), QByteArray(70000, 'z')}};
    EXPECT_EQ(received(), staged);

    // Run log: two CP932 lines, named from the same reading as the output.
    EXPECT_EQ(testsupport::readBytes(at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"))),
              QByteArray::fromHex(
                                     "8367838b83818341cca7b2d982cd32303236944e31328c8e303693fa30338e9e"
                                     "303495aa3035956290b38fed82c98f6f97cd82b382ea82dc82b582bd81420d0a"
                                     "8f6f97cdcca7b2d996bc82cd544d504131323332303236313230363033303430"
                                     "352e74787482c582b781420d0a"));
    // Attachment log: the second, later reading; copies for the owner only.
    const QString copies = at(QStringLiteral("templog/20261206_030406/"));
    EXPECT_EQ(testsupport::entriesOf(copies), QStringList(staged.keys()));
    for (const QString& name : staged.keys()) {
        EXPECT_EQ(testsupport::readBytes(copies + name), staged[name]);
        EXPECT_EQ(testsupport::fileMode(copies + name), 0600u);
    }
    EXPECT_TRUE(workFolders().isEmpty());
    EXPECT_TRUE(m_window.entries.empty());
    EXPECT_EQ(m_window.removed, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_TRUE(m_window.addButtonFocused);
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
    EXPECT_EQ(run().strOutFileName(), kOutName);
}

TEST_F(RunSuccessTest, OverwriteAcceptedReplacesTheEarlierOutput)
{
    writeValidSettings();
    addReport(QStringLiteral("r.txt"), "x");
    ASSERT_TRUE(testsupport::writeBytes(at(kOutPath), "earlier"));
    m_boxes.answers = {BoxAnswer::Yes};
    run().cmdSend_Click();
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(m_boxes.boxes[0].title, QStringLiteral("Tamberlox"));
    EXPECT_EQ(m_boxes.boxes[0].text, QStringLiteral("既に同じ名前の暗号化ﾌｧｲﾙが存在します。\r\n上書きしますか？"));
    EXPECT_EQ(received().value(QStringLiteral("r.txt")), "x");
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
}

TEST_F(RunSuccessTest, MissingLogFolderFallsBackToDocumentsWithANotice)
{
    writeValidSettings();
    writeSetting(settings::kKeyLog, at(QStringLiteral("no-such-log")));
    addReport(QStringLiteral("r.txt"), "x");
    run().cmdSend_Click();
    const QString fallback = at(QStringLiteral("documents/TORMEA_REPORT"));
    EXPECT_EQ(boxTexts(), (QStringList{QStringLiteral("ﾛｸﾞﾌｧｲﾙを出力するﾌｫﾙﾀﾞの指定に誤りがあります。\r\n"
                                                      "設定ﾌｧｲﾙを確認してください。\r\nﾛｸﾞﾌｧｲﾙは")
                                           + fallback + QStringLiteral("に出力されました。"),
                                       kSuccess}));
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
    EXPECT_TRUE(QFileInfo::exists(fallback + QStringLiteral("/R_MESS20261206030405.txt")));
    EXPECT_TRUE(m_window.entries.empty());
}
