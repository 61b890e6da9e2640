// The single-instance lock across processes (the start-up tests hold both
// locks in one process).
#include "platform/InstanceLock.h"

#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

// True when body answered true in a child process.
template <typename Body> static bool inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(InstanceLock, SecondCopyIsRefusedAndACrashedCopysLockIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lock"));
    {
        platform::InstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        EXPECT_TRUE(inChild([&] { return !platform::InstanceLock(path).tryLock(); }));
    }
    // A copy that ends without releasing (never deleted: it "crashes").
    ASSERT_TRUE(inChild([&] { return (new QLockFile(path))->tryLock(0); }) && QFileInfo::exists(path));
    EXPECT_TRUE(platform::InstanceLock(path).tryLock());
}
