// The single-instance lock across processes (the start-up tests hold both
// locks in one process).
#include "platform/InstanceLock.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InstanceLock, SecondCopyIsRefusedAndACrashedCopysLockIsTakenOver)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.lock"));
    {
        platform::InstanceLock first(path);
        ASSERT_TRUE(first.tryLock());
        EXPECT_EQ(testsupport::statusOfChild([&] { return !platform::InstanceLock(path).tryLock(); }), 0);
    }
    // A copy that ends without releasing (never deleted: it "crashes").
    ASSERT_EQ(testsupport::statusOfChild([&] { return (new QLockFile(path))->tryLock(0); }), 0);
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_TRUE(platform::InstanceLock(path).tryLock());
}
