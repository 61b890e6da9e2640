// A run killed (SIGKILL) in the middle of the delivery copy: the output
// folder never shows a partial file under the output's name, and the next
// run succeeds beside the work folder the killed one left.
#include "test_faults_run.h"

#include <QFileInfo>
#include <csignal>

namespace {

class KilledRunTest : public RunFaultFixture { };

} // namespace

TEST_F(KilledRunTest, KilledDuringTheDeliveryCopyLeavesNoPartialOutput)
{
    writeValidSettings();
    // Incompressible and large, so the copy into the output folder lasts.
    const QByteArray report = noise(24 * 1024 * 1024, 99);
    addReport(QStringLiteral("big.bin"), report);
    m_expectedFiles.insert(QStringLiteral("big.bin"), report);

    faults::CreationWatch watch(at(QStringLiteral("output")));
    ASSERT_TRUE(watch.valid());
    faults::Child child([this] { run().cmdSend_Click(); });
    ASSERT_TRUE(child.started());
    // The copy writes beside its target under a hidden name first.
    const QString temp = watch.next(QLatin1Char('.') + kFaultOutName);
    child.stop();
    ASSERT_FALSE(temp.isEmpty()) << "the run never began the delivery copy";
    const bool insideTheCopy = QFileInfo::exists(at(QStringLiteral("output/")) + temp);
    ASSERT_EQ(child.kill(), SIGKILL);

    // The killed run's work folder still holds the encrypted file it copied.
    ASSERT_EQ(workFolders(), QStringList { QStringLiteral("WorkSpace") });
    const QByteArray encrypted
        = testsupport::readBytes(at(QStringLiteral("work/WorkSpace/")) + kFaultOutName);
    ASSERT_FALSE(encrypted.isEmpty());
    expectNothingPartialIn(at(QStringLiteral("output")), encrypted);
    if (insideTheCopy) {
        EXPECT_FALSE(QFileInfo::exists(outputFile()));
    }
    EXPECT_TRUE(m_boxes.boxes.empty());

    // The next run takes WorkSpace0 and leaves the stale folder alone.
    expectRunSucceedsAgain();
    EXPECT_EQ(workFolders(), QStringList { QStringLiteral("WorkSpace") });
    expectNothingPartialIn(at(QStringLiteral("output")), testsupport::readBytes(outputFile()));
}
