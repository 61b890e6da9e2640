// The single-instance lock across processes (the start-up tests hold both
// locks in one process).
#include "platform/InstanceLock.h"

#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

// Exit code 0 when a lock in another process behaves as expected.
static int inChild(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WEXITSTATUS(status);
}

TEST(InstanceLock, SecondCopyIsRefusedAndACrashedCopysLockIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lock"));
    {
        platform::InstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        EXPECT_EQ(inChild([&] { return !platform::InstanceLock(path).tryLock(); }), 0);
    }
    // A copy that ends without releasing (never deleted: it "crashes").
    ASSERT_EQ(inChild([&] { return (new QLockFile(path))->tryLock(0); }), 0);
    ASSERT_TRUE(QFileInfo::exists(path));
    platform::InstanceLock next(path);
    EXPECT_TRUE(next.tryLock());
}
