#include "RunFixture.h"
#include "platform/Folders.h"
#include "Receiver.h"

using RunSuccessTest = RunFixture;

// Over an earlier output: the question accepted replaces it.
TEST_F(RunSuccessTest, ReceiverGetsEveryStagedFileAndTheUserTheLogs)
{
    addReport(QStringLiteral("a/月報.xls"), "first report");
    addReport(QStringLiteral("b/月報.xls"), "second, same name");
    addReport(QStringLiteral("c/月報.XLS"), "third, other case");
    addReport(QStringLiteral("d/表示ソフト能力.csv"), QByteArray(70000, 'z'));
    // Names that one CP932 spelling or Windows' caseless names make one.
    addReport(QStringLiteral("e/〜テスト〜.txt"), "wave dash");
    addReport(QStringLiteral("f/～テスト～.txt"), "fullwidth tilde");
    addReport(QStringLiteral("g/Ａ−.txt"), "fullwidth A, minus");
    addReport(QStringLiteral("h/ａ－.txt"), "fullwidth a, fullwidth hyphen-minus");
    ASSERT_TRUE(testsupport::writeBytes(outPath(), "earlier"));
    m_boxes.answers = {BoxAnswer::Yes};
    // The clock moves on: the attachment log takes its own later reading.
    int reads = 0;
    m_context.clock = [&] { return m_now.addSecs(reads++); };

    run().cmdSend_Click();

    ASSERT_EQ(boxTexts(), (QStringList{QStringLiteral("既に同じ名前の暗号化ﾌｧｲﾙが存在します。\r\n上書きしますか？"), kSuccess}));
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Confirmation);
    EXPECT_EQ(m_boxes.boxes[1].kind, BoxKind::Information);
    EXPECT_TRUE(errorLogs().isEmpty());
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
    EXPECT_TRUE(testsupport::isPrivate(outPath()));
    const QMap<QString, QByteArray> staged{{"MAIN_TEXT.txt", kHeader}, {"月報.xls", "first report"},
                                           {"月報0.xls", "second, same name"}, {"月報1.XLS", "third, other case"},
                                           {"表示ソフト能力.csv", QByteArray(70000, 'z')},
                                           {"〜テスト〜.txt", "wave dash"}, {"～テスト～0.txt", "fullwidth tilde"},
                                           {"Ａ−.txt", "fullwidth A, minus"}, {"ａ－0.txt", "fullwidth a, fullwidth hyphen-minus"}};
    // The delivered file as the receiver reads it: every file, the CP932
    // spelling of the names as Windows writes them.
    QMap<QString, QByteArray> received = staged;
    received.insert("～テスト～.txt", received.take("〜テスト〜.txt"));
    received.insert("Ａ－.txt", received.take("Ａ−.txt"));
    const QByteArray cab = receiver::decrypt(testsupport::readBytes(outPath()));
    bool extracted = false;
    EXPECT_EQ(receiver::extract(cab, m_root.path(), extracted), received);
    EXPECT_TRUE(extracted && cab.startsWith("MSCF"));
    // Run log: two CP932 lines, named from the same reading as the output.
    EXPECT_EQ(testsupport::readBytes(at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"))),
              QByteArray::fromHex("8367838b83818341cca7b2d982cd32303236944e31328c8e303693fa30338e9e"
                                  "303495aa3035956290b38fed82c98f6f97cd82b382ea82dc82b582bd81420d0a"
                                  "8f6f97cdcca7b2d996bc82cd544d504131323332303236313230363033303430"
                                  "352e74787482c582b781420d0a"));
    // Attachment log: the second, later reading; copies for the owner only.
    const QString copies = at(QStringLiteral("templog/20261206_030406/"));
    EXPECT_EQ(testsupport::entriesOf(copies), QStringList(staged.keys()));
    for (const QString& name : staged.keys()) {
        EXPECT_EQ(testsupport::readBytes(copies + name), staged[name]);
        EXPECT_TRUE(testsupport::isPrivate(copies + name));
    }
    EXPECT_TRUE(workFolders().isEmpty());
    EXPECT_TRUE(m_window.entries.empty());
    EXPECT_TRUE(m_window.addButtonFocused);
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
}

TEST_F(RunSuccessTest, MissingLogFolderFallsBackToDocumentsWithANotice)
{
    writeSetting(settings::Field::Log, at(QStringLiteral("no-such-log")));
    addReport(QStringLiteral("r.txt"), "x");
    run().cmdSend_Click();
    const QString fallback = platform::joinPath(at(QStringLiteral("documents")), QStringLiteral("TORMEA_REPORT"));
    EXPECT_EQ(boxTexts(), (QStringList{"ﾛｸﾞﾌｧｲﾙを出力するﾌｫﾙﾀﾞの指定に誤りがあります。\r\n設定ﾌｧｲﾙを確認してください。\r\n"
                                       "ﾛｸﾞﾌｧｲﾙは" + fallback + "に出力されました。", kSuccess}));
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
    EXPECT_TRUE(QFileInfo::exists(fallback + QStringLiteral("/R_MESS20261206030405.txt")));
    EXPECT_TRUE(m_window.entries.empty());
}
