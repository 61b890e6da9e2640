// The run's progress and the user's stop: before the delivery a stop leaves
// nothing behind and keeps the list; from the delivery on the run completes.
#include "RunFixture.h"
#include "Receiver.h"

using RunProgressTest = RunFixture;

TEST_F(RunProgressTest, AStopBeforeTheDeliveryLeavesNoWorkFolderNoOutputAndTheList)
{
    // Three pieces of a copy, so a stop lands inside one.
    addReport(QStringLiteral("large.bin"), QByteArray(3 << 20, 'L'));
    addReport(QStringLiteral("small.csv"), "a,b\r\n");
    for (const RunStage stage : {RunStage::Preparing, RunStage::Compressing, RunStage::Encrypting}) {
        SCOPED_TRACE(stageText(stage).toStdString());
        resetRun();
        m_window.stopIn = stage;
        // A stop inside the archiving or the encryption ends it there: no
        // archive at all, or an encryption cut after its first chunk.
        qint64 archived = -1, encrypted = -1;
        m_window.onKeepPainted = [&] {
            const QString work = run().strWorkDir() + QLatin1Char('/');
            if (QFileInfo::exists(work + "TEMPU_FILE.cab"))
                archived = QFileInfo(work + "TEMPU_FILE.cab").size();
            if (QFileInfo::exists(work + kOutName))
                encrypted = QFileInfo(work + kOutName).size();
        };
        run().cmdSend_Click();
        EXPECT_EQ(archived > 1002, stage == RunStage::Encrypting) << archived;
        EXPECT_EQ(encrypted, stage == RunStage::Encrypting ? 1002 : -1);
        ASSERT_EQ(boxTexts(), QStringList{QStringLiteral("出力を中止しました。")});
        EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Information);
        // A stop is no failure: no error log.
        EXPECT_EQ(errorLogs() + workFolders() + testsupport::entriesOf(at(QStringLiteral("output")))
                      + testsupport::entriesOf(at(QStringLiteral("templog"))),
                  QStringList());
        EXPECT_EQ(m_window.entries.size(), 2u);
        EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
        EXPECT_FALSE(m_window.deliveryBegun);
        EXPECT_EQ(m_window.reports.back().stage, stage) << "nothing after the stage it stopped in";
        // Preparing stops after the first piece of the large file.
        EXPECT_TRUE(stage != RunStage::Preparing || m_window.reports.size() == 1u);
    }
}

// A stop asked for during the delivery is not taken. The stages come in
// order, never past the whole, and the whole exactly once: at the end.
TEST_F(RunProgressTest, AStopDuringTheDeliveryIsNotTakenAndTheWholeIsReportedOnceAtTheEnd)
{
    addReport(QStringLiteral("large.bin"), QByteArray(3 << 20, 'L'));
    m_window.stopIn = RunStage::Delivering;
    run().cmdSend_Click();
    ASSERT_EQ(boxTexts(), QStringList{kSuccess});
    EXPECT_TRUE(m_window.deliveryBegun && m_window.entries.empty());
    bool extracted = false;
    const auto files = receiver::extract(receiver::decrypt(testsupport::readBytes(outPath())), m_root.path(), extracted);
    ASSERT_TRUE(extracted);
    EXPECT_TRUE(files.value(QStringLiteral("large.bin")) == QByteArray(3 << 20, 'L'));

    const auto& reports = m_window.reports;
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().stage, RunStage::Preparing);
    EXPECT_EQ(reports.back().stage, RunStage::Logging);
    EXPECT_EQ(reports.back().done, reports.back().total);
    for (size_t i = 0; i < reports.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(reports[i].done <= reports[i].total && (i == 0 || reports[i].stage >= reports[i - 1].stage));
        EXPECT_TRUE(i + 1 == reports.size() || reports[i].done < reports[i].total);
    }
}
