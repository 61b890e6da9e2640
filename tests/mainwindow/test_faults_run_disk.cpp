// The output run when the disk runs full: under the work folder at each
// step that writes there, and under the output folder during the delivery
// copy. Each case runs twice: on a real small tmpfs where mounts are
// allowed, and with the injected writer (the process's file-size limit,
// EFBIG) that needs no rights.
#include "test_faults_run.h"

#include "platform/SystemError.h"

#include <QDir>
#include <cerrno>
#include <optional>
#include <ostream>

namespace {

// Incompressible, so the staged copy, the archive and the encrypted file are
// each about this size.
constexpr qsizetype kReportSize = 300000;
constexpr rlim_t kSizeLimit = 64 * 1024;

struct WorkDiskCase {
    const char* name;
    const char* label; // the step that runs out of room
    const char* tmpfsSize; // a work folder that holds the steps before it
    // When the file-size limit falls: the work the steps before did is done.
    bool (*ready)(const OutputRun& run);
};

void PrintTo(const WorkDiskCase& fault, std::ostream* out)
{
    *out << fault.name;
}

bool workSpaceMade(const OutputRun& run)
{
    return !run.strWorkDir().isEmpty();
}

bool headerWritten(const OutputRun& run)
{
    return QFileInfo::exists(run.strWorkDir() + QStringLiteral("/Temp/MAIN_TEXT.txt"));
}

bool archiveWritten(const OutputRun& run)
{
    return QFileInfo::exists(run.strWorkDir() + QStringLiteral("/TEMPU_FILE.cab"));
}

class RunDiskFaultTest : public RunFaultFixture {
protected:
    void listReport()
    {
        writeValidSettings();
        const QByteArray report = noise(kReportSize);
        m_reportPath = addReport(QStringLiteral("big.bin"), report);
        m_expectedFiles.insert(QStringLiteral("big.bin"), report);
    }

    // The archiver reports its own code; the copy names the file it read;
    // the encryption gives the system's text alone.
    void expectWorkDiskFailure(const WorkDiskCase& fault, int error)
    {
        const QString label = QString::fromLatin1(fault.label);
        if (label == QStringLiteral("FncCompress"))
            expectOneWarning(
                label, QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x8005"));
        else if (label == QStringLiteral("FncMoveFile"))
            expectOneWarning(label, platform::systemErrorText(error), m_reportPath);
        else
            expectOneWarning(label, platform::systemErrorText(error));
        EXPECT_EQ(workFolders(), QStringList());
        EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList());
    }

    QString m_reportPath;
};

class FullWorkDiskTest : public RunDiskFaultTest,
                         public ::testing::WithParamInterface<WorkDiskCase> { };

class FullOutputDiskTest : public RunDiskFaultTest { };

} // namespace

TEST_P(FullWorkDiskTest, OnATmpfs)
{
    faults::Tmpfs tmpfs(at(QStringLiteral("work")), GetParam().tmpfsSize);
    if (!tmpfs.mounted())
        GTEST_SKIP() << "no tmpfs (" << tmpfs.reason().toStdString()
                     << "); the OverTheSizeLimit cases inject the failure";
    listReport();

    run().cmdSend_Click();

    expectWorkDiskFailure(GetParam(), ENOSPC);
    ASSERT_TRUE(tmpfs.resize("16m"));
    expectRunSucceedsAgain();
}

TEST_P(FullWorkDiskTest, OverTheSizeLimit)
{
    listReport();
    std::optional<faults::FileSizeLimit> limit;
    m_window.onKeepPainted = [&] {
        if (!limit && GetParam().ready(run()))
            limit.emplace(kSizeLimit);
    };

    run().cmdSend_Click();

    ASSERT_TRUE(limit.has_value());
    limit.reset();
    expectWorkDiskFailure(GetParam(), EFBIG);
    m_window.onKeepPainted = nullptr;
    expectRunSucceedsAgain();
}

INSTANTIATE_TEST_SUITE_P(Step, FullWorkDiskTest,
    ::testing::Values(WorkDiskCase { "Staging", "FncMoveFile", "64k", workSpaceMade },
        WorkDiskCase { "Archive", "FncCompress", "420k", headerWritten },
        WorkDiskCase { "Encryption", "FncEncrypt", "720k", archiveWritten }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FullOutputDiskTest, OnATmpfsTheEarlierOutputStaysWhole)
{
    faults::Tmpfs tmpfs(at(QStringLiteral("output")), "64k");
    if (!tmpfs.mounted())
        GTEST_SKIP() << "no tmpfs (" << tmpfs.reason().toStdString()
                     << "); OverTheSizeLimit injects the failure";
    listReport();
    ASSERT_TRUE(testsupport::writeBytes(outputFile(), "earlier"));
    m_boxes.answers = { BoxAnswer::Yes };

    run().cmdSend_Click();

    expectOneWarning(
        QStringLiteral("FncTamberlox"), platform::systemErrorText(ENOSPC), outputFile());
    expectNothingPartialIn(at(QStringLiteral("output")), "earlier");
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList { kFaultOutName });
    EXPECT_EQ(workFolders(), QStringList());

    ASSERT_TRUE(tmpfs.resize("16m"));
    expectRunSucceedsAgain();
}

TEST_F(FullOutputDiskTest, OverTheSizeLimitTheEarlierOutputStaysWhole)
{
    listReport();
    ASSERT_TRUE(testsupport::writeBytes(outputFile(), "earlier"));
    m_boxes.answers = { BoxAnswer::Yes };
    // The limit falls once the encrypted file is complete, and goes again
    // after the delivery step, before the error log is written.
    std::optional<faults::FileSizeLimit> limit;
    bool limited = false;
    m_window.onKeepPainted = [&] {
        const bool encrypted = !run().strOutFileName().isEmpty()
            && QFileInfo::exists(run().strWorkDir() + QLatin1Char('/') + run().strOutFileName());
        if (encrypted && !limited) {
            limit.emplace(4096);
            limited = true;
        } else {
            limit.reset();
        }
    };

    run().cmdSend_Click();

    ASSERT_TRUE(limited);
    expectOneWarning(
        QStringLiteral("FncTamberlox"), platform::systemErrorText(EFBIG), outputFile());
    expectNothingPartialIn(at(QStringLiteral("output")), "earlier");
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList { kFaultOutName });
    EXPECT_EQ(workFolders(), QStringList());
    m_window.onKeepPainted = nullptr;
    expectRunSucceedsAgain();
}

TEST_F(FullOutputDiskTest, FullAttachmentLogAfterTheDeliveryKeepsTheOutputWhole)
{
    faults::Tmpfs tmpfs(at(QStringLiteral("templog")), "64k");
    if (!tmpfs.mounted())
        GTEST_SKIP() << "no tmpfs (" << tmpfs.reason().toStdString() << ")";
    listReport();

    run().cmdSend_Click();

    const QString copy = at(QStringLiteral("templog/20261206_030405/big.bin"));
    expectOneWarning(QStringLiteral("FncMoveLog"), platform::systemErrorText(ENOSPC), copy);
    // Delivered before the log step, and whole.
    EXPECT_EQ(testsupport::entriesOf(at(QStringLiteral("output"))), QStringList{kFaultOutName});
    expectNothingPartialIn(at(QStringLiteral("templog/20261206_030405")));
    EXPECT_EQ(workFolders(), QStringList());

    ASSERT_TRUE(tmpfs.resize("16m"));
    expectRunSucceedsAgain();
}
