// The output run when a folder turns read-only between two of its steps,
// and when a listed file is removed or truncated while the run copies the
// list. After each: one clear message, nothing partial under a final name,
// and a work folder that is gone or that the next run passes by.
#include "test_faults_run.h"

#include "platform/SystemError.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <memory>
#include <ostream>
#include <thread>
#include <unistd.h>

namespace {

// Which folder turns read-only, and when: both read from the run as it goes.
struct LockCase {
    const char* name;
    const char* label; // the step that fails
    bool deliveredFirst; // the output was complete before the failure
    QString (*folder)(const OutputRun& run, const QString& root);
    bool (*ready)(const OutputRun& run, const QString& root);
};

QString workDir(const OutputRun& run, const QString&)
{
    return run.strWorkDir();
}

QString stagingDir(const OutputRun& run, const QString&)
{
    return run.strWorkDir() + QStringLiteral("/Temp");
}

QString outputDir(const OutputRun&, const QString& root)
{
    return root + QStringLiteral("/output");
}

QString tempLogDir(const OutputRun&, const QString& root)
{
    return root + QStringLiteral("/templog");
}

bool workSpaceMade(const OutputRun& run, const QString&)
{
    return !run.strWorkDir().isEmpty();
}

bool reportStaged(const OutputRun& run, const QString&)
{
    return QFileInfo::exists(run.strWorkDir() + QStringLiteral("/Temp/report.xls"));
}

bool encrypted(const OutputRun& run, const QString&)
{
    return !run.strOutFileName().isEmpty()
        && QFileInfo::exists(run.strWorkDir() + QLatin1Char('/') + run.strOutFileName());
}

bool delivered(const OutputRun&, const QString& root)
{
    return QFileInfo::exists(root + QStringLiteral("/output/") + kFaultOutName);
}

void PrintTo(const LockCase& lock, std::ostream* out)
{
    *out << lock.name;
}

class FolderLockTest : public RunFaultFixture, public ::testing::WithParamInterface<LockCase> { };

class ListChangeTest : public RunFaultFixture {
protected:
    void SetUp() override
    {
        RunFaultFixture::SetUp();
        writeValidSettings();
    }
};

} // namespace

TEST_P(FolderLockTest, StepAfterTheLockFailsWithOneMessage)
{
    const LockCase& lock = GetParam();
    writeValidSettings();
    addReport(QStringLiteral("report.xls"), "data");
    m_expectedFiles.insert(QStringLiteral("report.xls"), "data");
    std::unique_ptr<faults::ReadOnlyFolder> readOnly;
    QString locked;
    m_window.onKeepPainted = [&] {
        if (!readOnly && lock.ready(run(), m_root.path())) {
            locked = lock.folder(run(), m_root.path());
            readOnly = std::make_unique<faults::ReadOnlyFolder>(locked);
        }
    };

    run().cmdSend_Click();

    ASSERT_TRUE(readOnly) << "the run never reached the lock";
    if (!readOnly->active())
        GTEST_SKIP() << "cannot make a folder read-only for root here: "
                     << readOnly->reason().toStdString();
    expectOneWarning(QString::fromLatin1(lock.label), readOnly->refusal());
    expectNothingPartialIn(at(QStringLiteral("output")), testsupport::readBytes(outputFile()));
    EXPECT_EQ(QFileInfo::exists(outputFile()), lock.deliveredFirst);
    readOnly->restore();
    m_window.onKeepPainted = nullptr;

    // The work folder is gone, or it is the one the run could not remove
    // while its folder was read-only; the next run takes a fresh name.
    const QStringList left = workFolders();
    EXPECT_TRUE(left.isEmpty() || left == QStringList { QStringLiteral("WorkSpace") })
        << left.join(' ').toStdString();
    expectRunSucceedsAgain();
}

INSTANTIATE_TEST_SUITE_P(Lock, FolderLockTest,
    ::testing::Values(
        LockCase { "WorkFolderAfterItIsMade", "FncMoveFile", false, workDir, workSpaceMade },
        LockCase { "StagingAfterTheCopies", "FncCrtText", false, stagingDir, reportStaged },
        LockCase { "OutputAfterTheEncryption", "FncTamberlox", false, outputDir, encrypted },
        LockCase { "AttachmentLogAfterTheDelivery", "FncMoveLog", true, tempLogDir, delivered }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListChangeTest, FileRemovedAfterTheOneBeforeItWasCopied)
{
    addReport(QStringLiteral("first.xls"), "first");
    const QString second = addReport(QStringLiteral("second.xls"), "second");
    m_window.onKeepPainted = [&] {
        if (QFileInfo::exists(run().strWorkDir() + QStringLiteral("/Temp/first.xls")))
            QFile::remove(second);
    };

    run().cmdSend_Click();

    expectOneWarning(QStringLiteral("FncMoveFile"), platform::systemErrorText(ENOENT), second);
    EXPECT_EQ(workFolders(), QStringList());
    m_window.onKeepPainted = nullptr;
    ASSERT_TRUE(testsupport::writeBytes(second, "second"));
    m_expectedFiles
        = { { QStringLiteral("first.xls"), "first" }, { QStringLiteral("second.xls"), "second" } };
    expectRunSucceedsAgain();
}

TEST_F(ListChangeTest, FileTruncatedBeforeItsCopyIsDeliveredAsItThenWas)
{
    addReport(QStringLiteral("first.xls"), "first");
    const QString second = addReport(QStringLiteral("second.xls"), "second, soon empty");
    m_window.onKeepPainted = [&] {
        if (QFileInfo::exists(run().strWorkDir() + QStringLiteral("/Temp/first.xls")))
            QFile::resize(second, 0);
    };
    m_expectedFiles
        = { { QStringLiteral("first.xls"), "first" }, { QStringLiteral("second.xls"), "" } };
    // The whole run is the success case here: the copy took the file as it was.
    expectRunSucceedsAgain();
}

TEST_F(ListChangeTest, FileTruncatedDuringItsCopyIsNeverDeliveredCut)
{
    // Large enough that the copy is still running when the truncation comes.
    const QByteArray whole = noise(32 * 1024 * 1024, 777);
    addReport(QStringLiteral("first.xls"), "first");
    const QString big = addReport(QStringLiteral("big.bin"), whole);
    std::unique_ptr<faults::CreationWatch> watch;
    std::thread truncator;
    m_window.onKeepPainted = [&] {
        // Once the staging folder exists, the copy of big.bin is next.
        if (!watch && QFileInfo::exists(run().strWorkDir() + QStringLiteral("/Temp/first.xls"))) {
            watch = std::make_unique<faults::CreationWatch>(
                run().strWorkDir() + QStringLiteral("/Temp"));
            truncator = std::thread([&] {
                if (!watch->next(QStringLiteral(".big.bin.")).isEmpty())
                    ::truncate(QFile::encodeName(big).constData(), 4096);
            });
        }
    };

    run().cmdSend_Click();
    if (truncator.joinable())
        truncator.join();

    ASSERT_TRUE(watch && watch->valid());
    const QByteArray truncated = whole.left(4096);
    ASSERT_EQ(QFileInfo(big).size(), truncated.size()) << "the truncation never came";
    if (m_boxes.boxes.back().kind == BoxKind::Warning) {
        // Refused: the file changed while it was read.
        expectOneWarning(QStringLiteral("FncMoveFile"), platform::systemErrorText(EBUSY), big);
        EXPECT_EQ(workFolders(), QStringList());
        EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList());
        return;
    }
    // Delivered: then as the file was before or after, never a cut copy.
    const QString copies = at(QStringLiteral("templog/20261206_030405/big.bin"));
    const QByteArray staged = testsupport::readBytes(copies);
    EXPECT_TRUE(staged == whole || staged == truncated)
        << "delivered " << staged.size() << " bytes";
}

TEST_F(ListChangeTest, FileGrowingDuringItsCopyIsNeverDeliveredTorn)
{
    const QByteArray whole = noise(32 * 1024 * 1024, 778);
    addReport(QStringLiteral("first.xls"), "first");
    const QString big = addReport(QStringLiteral("big.bin"), whole);
    std::unique_ptr<faults::CreationWatch> watch;
    std::thread writer;
    const QByteArray tail(1 << 20, 't');
    m_window.onKeepPainted = [&] {
        if (!watch && QFileInfo::exists(run().strWorkDir() + QStringLiteral("/Temp/first.xls"))) {
            watch = std::make_unique<faults::CreationWatch>(
                run().strWorkDir() + QStringLiteral("/Temp"));
            writer = std::thread([&] {
                if (watch->next(QStringLiteral(".big.bin.")).isEmpty())
                    return;
                QFile file(big);
                if (file.open(QIODevice::Append))
                    file.write(tail);
            });
        }
    };

    run().cmdSend_Click();
    if (writer.joinable())
        writer.join();

    ASSERT_TRUE(watch && watch->valid());
    if (m_boxes.boxes.back().kind == BoxKind::Warning) {
        expectOneWarning(QStringLiteral("FncMoveFile"), platform::systemErrorText(EBUSY), big);
        EXPECT_EQ(workFolders(), QStringList());
        return;
    }
    const QByteArray staged
        = testsupport::readBytes(at(QStringLiteral("templog/20261206_030405/big.bin")));
    EXPECT_TRUE(staged == whole || staged == whole + tail)
        << "delivered " << staged.size() << " bytes";
}
