// Faults a user meets during a run: a report still being written, the
// output folder's disk is full, a folder turns read-only.
#include "RunFixture.h"

#include <QDir>
#include <sys/mount.h>

using RunFaultTest = RunFixture;

TEST_F(RunFaultTest, FullOutputFolderLeavesNoPartialFile)
{
    const QString output = at(QStringLiteral("small-output"));
    QDir().mkpath(output);
    if (::mount("tmpfs", QFile::encodeName(output).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a small tmpfs needs mount rights";
    writeSetting(settings::Field::Output, output);
    // Incompressible, so the archive cannot fit in 64 KiB.
    QByteArray noise(300000, '\0');
    quint32 state = 12345;
    for (char& byte : noise)
        byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    addReport(QStringLiteral("big.bin"), noise);
    run().cmdSend_Click();
    const QStringList left = testsupport::entriesOf(output);
    ::umount(QFile::encodeName(output).constData());
    EXPECT_TRUE(failed(QStringLiteral("FncTamberlox")).startsWith(QStringLiteral("No space left on device")));
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

// A share turning read-only during a run, made exact by a bind mount made
// read-only right after the delivery step: one warning with the system's
// text, and the delivered output stays whole.
TEST_F(RunFaultTest, AttachmentLogFolderTurningReadOnlyAfterTheDelivery)
{
    addReport(QStringLiteral("report.xls"), "x");
    const QByteArray tempLog = QFile::encodeName(at(QStringLiteral("templog")));
    if (::mount(tempLog.constData(), tempLog.constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "a read-only bind mount needs mount rights";
    bool locked = false;
    m_window.onKeepPainted = [&] {
        if (!locked && QFileInfo::exists(outPath()))
            locked = ::mount(nullptr, tempLog.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    };
    run().cmdSend_Click();
    ::umount(tempLog.constData());
    ASSERT_TRUE(locked) << "never delivered, or the remount failed";
    EXPECT_TRUE(failed(QStringLiteral("FncMoveLog")).startsWith(QStringLiteral("Read-only file system")));
    EXPECT_GT(QFileInfo(outPath()).size(), 0);
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
}

// Another program still writes the report while it is staged: the copy sees
// it change after its last piece and the user is told in words.
TEST_F(RunFaultTest, AReportStillBeingWrittenIsNamedAndNotArchived)
{
    const QString report = addReport(QStringLiteral("report.xls"), QByteArray(1 << 20, 'r'));
    m_window.onProgress = [&](const FakeOutputWindow::Report& seen) {
        if (seen.stage == RunStage::Preparing && seen.done > 0) {
            QFile file(report);
            ASSERT_TRUE(file.open(QIODevice::Append) && file.write("more") == 4);
        }
    };
    run().cmdSend_Click();
    EXPECT_EQ(failed(QStringLiteral("FncMoveFile")), "ﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが書き込み中です。\r\n" + report
                                                         + "\r\n書き込みが終わってから、もう一度出力してください。");
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("output"))).isEmpty());
}

// Links another user planted at the names a run will make: a dangling one
// takes the work folder's name away; at the attachment-log folder, the
// run-log folder and the run log they are never followed, so the password
// never lands in their target.
TEST_F(RunFaultTest, LinksPlantedAtTheRunsNamesAreNeverFollowed)
{
    addReport(QStringLiteral("report.xls"), "data");
    const QString trap = at(QStringLiteral("trap"));
    ASSERT_TRUE(QDir().mkpath(trap));
    ASSERT_TRUE(QFile::link(at(QStringLiteral("gone")), at(QStringLiteral("work/WorkSpace"))));
    ASSERT_TRUE(QFile::link(trap, at(QStringLiteral("templog/20261206_030405"))));
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("File exists\r\n") + at(QStringLiteral("templog/20261206_030405"))});
    EXPECT_EQ(run().strWorkDir(), at(QStringLiteral("work/WorkSpace0")));
    EXPECT_EQ(workFolders(), QStringList{"WorkSpace"}) << "only the link stays";
    EXPECT_TRUE(QFileInfo::exists(outPath())) << "delivered before";

    QFile::remove(outPath());
    QFile::remove(at(QStringLiteral("templog/20261206_030405")));
    ASSERT_TRUE(QFile::link(trap, at(QStringLiteral("log/TORMEA_REPORT"))));
    resetRun();
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("File exists\r\n") + at(QStringLiteral("log/TORMEA_REPORT"))});

    // A link at the run log's own name is replaced, its target untouched.
    QFile::remove(outPath());
    QFile::remove(at(QStringLiteral("log/TORMEA_REPORT")));
    QDir().mkpath(at(QStringLiteral("log/TORMEA_REPORT")));
    ASSERT_TRUE(testsupport::writeBytes(trap + QStringLiteral("/kept"), "kept"));
    ASSERT_TRUE(QFile::link(trap + QStringLiteral("/kept"), at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"))));
    resetRun();
    run().cmdSend_Click();
    EXPECT_EQ(boxTexts(), QStringList{kSuccess});
    EXPECT_FALSE(QFileInfo(at(QStringLiteral("log/TORMEA_REPORT/R_MESS20261206030405.txt"))).isSymLink());
    EXPECT_EQ(testsupport::entriesOf(trap), QStringList{"kept"});
    EXPECT_EQ(testsupport::readBytes(trap + QStringLiteral("/kept")), "kept");
}
