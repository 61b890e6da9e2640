#include "platform/DateTimeText.h"
#include "platform/InstanceLock.h"
#include "platform/SystemError.h"

#include <QLockFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::DateTimePattern;
using platform::formatDateTime;

TEST(DateTimeText, PatternsAreZeroPaddedOn24HourClock)
{
    const QDateTime morning(QDate(2005, 2, 3), QTime(9, 5, 7));
    EXPECT_EQ(formatDateTime(morning, DateTimePattern::Compact), QStringLiteral("20050203090507"));
    EXPECT_EQ(formatDateTime(morning, DateTimePattern::Dated), QStringLiteral("20050203_090507"));
    EXPECT_EQ(formatDateTime(morning, DateTimePattern::Japanese),
              QStringLiteral("2005年02月03日09時05分07秒"));
    const QDateTime evening(QDate(2026, 12, 31), QTime(23, 59, 58));
    EXPECT_EQ(formatDateTime(evening, DateTimePattern::Compact), QStringLiteral("20261231235958"));
}

TEST(SystemError, KnownNumbersHaveTextUnknownHaveNone)
{
    EXPECT_FALSE(platform::systemErrorText(EACCES).isEmpty());
    EXPECT_FALSE(platform::systemErrorText(ENOSPC).isEmpty());
    EXPECT_TRUE(platform::systemErrorText(0).isEmpty());
    EXPECT_TRUE(platform::systemErrorText(99999).isEmpty());
}

TEST(InstanceLock, SecondCopyIsRefusedUntilTheFirstEnds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lock"));
    {
        platform::InstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        EXPECT_TRUE(first.tryLock());
        // Another process holding the lock is what a second copy meets.
        const pid_t child = ::fork();
        if (child == 0) {
            platform::InstanceLock second(path);
            ::_exit(second.tryLock() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    platform::InstanceLock later(path);
    EXPECT_TRUE(later.tryLock());
}

TEST(InstanceLock, LockOfACrashedCopyIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lock"));
    const pid_t child = ::fork();
    if (child == 0) {
        auto* lock = new QLockFile(path); // never released: the copy "crashes"
        ::_exit(lock->tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(QFileInfo::exists(path));
    platform::InstanceLock next(path);
    EXPECT_TRUE(next.tryLock());
}
