// Faults a user meets during a run: the machine changes under it, a folder
// turns read-only, the output folder's disk is full.
#include "RunFixture.h"

#include <QDir>
#include <sys/mount.h>

namespace {

const QString kOutName = QStringLiteral("TMPA12320261206030405.txt");

class RunFaultTest : public RunFixture {
protected:
    void expectOneFailure(const QString& label)
    {
        ASSERT_EQ(m_boxes.boxes.size(), 1u);
        EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Warning);
        ASSERT_EQ(errorLogs().size(), 1);
        EXPECT_TRUE(errorLogs()[0].endsWith(QLatin1Char(',') + label + QStringLiteral("\r\n")));
        EXPECT_TRUE(workFolders().isEmpty());
    }
};

} // namespace

// The listed file is removed, or replaced by a folder, between the check
// and its copy.
TEST_F(RunFaultTest, ListedFileGoneOrAFolderAfterTheCheck)
{
    writeValidSettings();
    for (const bool folder : {false, true}) {
        m_boxes.boxes.clear();
        m_run.reset();
        QFile::remove(at(QStringLiteral("program/Err_20261206030405.LOG")));
        const QString report = addReport(QStringLiteral("report.xls"), "x");
        m_window.entries.erase(m_window.entries.begin(), m_window.entries.end() - 1);
        m_window.onKeepPainted = [&] {
            if (QFileInfo(report).isFile() && QFile::remove(report) && folder)
                QDir().mkdir(report);
        };
        run().cmdSend_Click();
        expectOneFailure(QStringLiteral("FncMoveFile"));
        EXPECT_EQ(m_boxes.boxes[0].text,
                  (folder ? QStringLiteral("Is a directory\r\n") : QStringLiteral("No such file or directory\r\n")) + report);
        QDir().rmdir(report);
    }
}

TEST_F(RunFaultTest, ReadOnlyTargetIsNotReplacedEvenOnYes)
{
    writeValidSettings();
    addReport(QStringLiteral("report.xls"), "x");
    const QString target = at(QStringLiteral("output/") + kOutName);
    ASSERT_TRUE(testsupport::writeBytes(target, "earlier"));
    QFile::setPermissions(target, QFile::ReadOwner);
    m_boxes.answers = {BoxAnswer::Yes};
    run().cmdSend_Click();
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    EXPECT_EQ(m_boxes.boxes[1].text, QStringLiteral("Permission denied\r\n") + target);
    EXPECT_EQ(testsupport::readBytes(target), "earlier");
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kOutName});
}

TEST_F(RunFaultTest, FullOutputFolderLeavesNoPartialFile)
{
    const QString output = at(QStringLiteral("small-output"));
    QDir().mkpath(output);
    if (::mount("tmpfs", QFile::encodeName(output).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "a small tmpfs needs mount rights";
    writeValidSettings();
    writeSetting(settings::kKeyOutput, output);
    // Incompressible, so the archive cannot fit in 64 KiB.
    QByteArray noise(300000, '\0');
    quint32 state = 12345;
    for (char& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    addReport(QStringLiteral("big.bin"), noise);
    run().cmdSend_Click();
    const QStringList left = testsupport::entriesOf(output);
    ::umount(QFile::encodeName(output).constData());
    expectOneFailure(QStringLiteral("FncTamberlox"));
    EXPECT_TRUE(m_boxes.boxes[0].text.startsWith(QStringLiteral("No space left on device")));
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
}

// A share turning read-only during a run, made exact by a read-only bind
// mount placed right after the delivery step: one warning with the system's
// text, and the delivered output stays whole.
TEST_F(RunFaultTest, AttachmentLogFolderTurningReadOnlyAfterTheDelivery)
{
    writeValidSettings();
    addReport(QStringLiteral("report.xls"), "x");
    const QByteArray tempLog = QFile::encodeName(at(QStringLiteral("templog")));
    const QString delivered = at(QStringLiteral("output/") + kOutName);
    bool tried = false;
    bool locked = false;
    m_window.onKeepPainted = [&] {
        if (tried || !QFileInfo::exists(delivered))
            return;
        tried = true;
        locked = ::mount(tempLog.constData(), tempLog.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (locked && ::mount(nullptr, tempLog.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            ::umount(tempLog.constData());
            locked = false;
        }
    };
    run().cmdSend_Click();
    if (locked)
        ::umount(tempLog.constData());
    ASSERT_TRUE(tried) << "the run never delivered";
    if (!locked)
        GTEST_SKIP() << "a read-only bind mount needs mount rights";
    expectOneFailure(QStringLiteral("FncMoveLog"));
    EXPECT_TRUE(m_boxes.boxes[0].text.startsWith(QStringLiteral("Read-only file system"))) << m_boxes.boxes[0].text.toStdString();
    EXPECT_GT(QFileInfo(delivered).size(), 0);
    EXPECT_TRUE(testsupport::entriesOf(at(QStringLiteral("templog"))).isEmpty());
}
