// A copy killed part-way: nothing partial ever carries the target's name.
#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

using testsupport::entriesOf;
using testsupport::readBytes;
using testsupport::writeBytes;

TEST(KilledCopy, LeavesTheOldTargetAndOnlyAHiddenTemporaryFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("report.bin"));
    const QString target = dir.filePath(QStringLiteral("out.txt"));
    ASSERT_TRUE(writeBytes(source, QByteArray(3 << 20, 'r')));
    ASSERT_TRUE(writeBytes(target, "earlier output"));
    // Killed right after the first piece reached the temporary file.
    const int status = testsupport::statusOfChild(
        [&] { return platform::copyFile(source, target, 0600, [](qint64) { return ::raise(SIGKILL) == 0; }) == 0; });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    EXPECT_EQ(readBytes(target), "earlier output");
    const QStringList left = entriesOf(dir.path());
    ASSERT_EQ(left.size(), 3) << left.join(' ').toStdString();
    EXPECT_TRUE(left[0].startsWith(QStringLiteral(".out.txt."))) << left[0].toStdString();
}
