// The run's progress and the user's stop: before the delivery a stop leaves
// nothing behind and keeps the list; from the delivery on the run completes.
#include "RunFixture.h"
#include "Receiver.h"

namespace {

const QString kOutput = QStringLiteral("output/TMPA12320261206030405.txt");

class RunProgressTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        writeValidSettings();
        // Three pieces of a copy, so a stop lands inside one.
        addReport(QStringLiteral("large.bin"), QByteArray(3 << 20, 'L'));
        addReport(QStringLiteral("small.csv"), "a,b\r\n");
    }
};

} // namespace

TEST_F(RunProgressTest, AStopBeforeTheDeliveryLeavesNoWorkFolderNoOutputAndTheList)
{
    for (const RunStage stage : {RunStage::Preparing, RunStage::Compressing, RunStage::Encrypting}) {
        SCOPED_TRACE(stageText(stage).toStdString());
        m_run.reset();
        m_boxes.boxes.clear();
        m_window.reports.clear();
        m_window.waitPointer.clear();
        m_window.stopIn = stage;
        run().cmdSend_Click();
        ASSERT_EQ(boxTexts(), QStringList{QStringLiteral("出力を中止しました。")});
        EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
        EXPECT_TRUE(errorLogs().isEmpty()) << "a stop is no failure";
        EXPECT_TRUE(workFolders().isEmpty());
        EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("output"))).isEmpty());
        EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
        EXPECT_EQ(m_window.entries.size(), 2u);
        EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
        EXPECT_FALSE(m_window.deliveryBegun);
        EXPECT_EQ(m_window.reports.back().stage, stage) << "nothing after the stage it stopped in";
        if (stage == RunStage::Preparing) {
            EXPECT_EQ(m_window.reports.size(), 1u) << "stopped after the first piece of the large file";
        }
    }
}

TEST_F(RunProgressTest, AStopAskedDuringTheDeliveryIsNotTakenAndTheOutputIsWhole)
{
    m_window.stopIn = RunStage::Delivering;
    run().cmdSend_Click();
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.boxes[0].text.endsWith(QStringLiteral("出力ﾌｧｲﾙ名はTMPA12320261206030405.txtです。")));
    EXPECT_TRUE(m_window.deliveryBegun);
    bool extracted = false;
    const auto files = receiver::extract(receiver::decrypt(testsupport::readBytes(at(kOutput))), m_root.path(), extracted);
    ASSERT_TRUE(extracted);
    EXPECT_TRUE(files.value(QStringLiteral("large.bin")) == QByteArray(3 << 20, 'L'));
    EXPECT_TRUE(m_window.entries.empty());
}

// Stages in order, never past the whole, and the whole exactly once: at the end.
TEST_F(RunProgressTest, ProgressReachesTheWholeExactlyOnceAtTheEnd)
{
    run().cmdSend_Click();
    ASSERT_EQ(boxTexts().size(), 1);
    const auto& reports = m_window.reports;
    ASSERT_FALSE(reports.empty());
    int whole = 0;
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_LE(reports[i].done, reports[i].total);
        whole += reports[i].done == reports[i].total ? 1 : 0;
        if (i > 0) {
            EXPECT_GE(static_cast<int>(reports[i].stage), static_cast<int>(reports[i - 1].stage));
        }
    }
    EXPECT_EQ(whole, 1);
    EXPECT_EQ(reports.back().done, reports.back().total);
    EXPECT_EQ(reports.back().stage, RunStage::Logging);
    EXPECT_EQ(reports.front().stage, RunStage::Preparing);
}
