#include "platform/ComponentLookup.h"
#include "platform/FileTests.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::writeBytes;

// Hidden entries are never seen, folders are no files, names compare by
// the host's rule, and a relative path names nothing.
TEST(FileTests, HiddenEntriesAndRelativePathsAreNotSeenAndFoldersAreNoFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.txt"));
    const QString hidden = dir.filePath(QStringLiteral(".secret"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(writeBytes(file, "x") && writeBytes(hidden, "x") && QDir().mkdir(folder));
    EXPECT_TRUE(fileExists(file) && entryExists(file) && !folderExists(file));
    EXPECT_FALSE(fileExists(hidden) || entryExists(hidden) || folderExists(hidden));
    EXPECT_TRUE(!fileExists(folder) && entryExists(folder + QLatin1Char('/')) && folderExists(folder));
    EXPECT_FALSE(entryExists(dir.filePath(QStringLiteral("missing"))) || entryExists(QString()));
    EXPECT_FALSE(fileExists(dir.filePath(QStringLiteral("REPORT.TXT"))));
    const testsupport::CurrentFolder inside(dir.path());
    EXPECT_FALSE(fileExists(QStringLiteral("report.txt")) || entryExists(QStringLiteral("folder"))
                 || folderExists(QStringLiteral("folder")));
}

TEST(ComponentLookup, ProgramFolderFirstThenTheSystemsSearch)
{
    QTemporaryDir dir;
    EXPECT_TRUE(ComponentLookup({dir.path(), false}).find(kCab32).isEmpty());
    ASSERT_TRUE(writeBytes(dir.filePath(QStringLiteral("libcab32.so")), "x"));
    EXPECT_EQ(ComponentLookup({dir.path(), false}).find(kCab32), dir.filePath(QStringLiteral("libcab32.so")));
    EXPECT_TRUE(ComponentLookup({QString(), true}).find({"NOPE.DLL", "libtamberlox-none.so"}).isEmpty());
    EXPECT_EQ(ComponentLookup({QString(), true}).find({"C.DLL", "libc.so.6"}), QStringLiteral("libc.so.6"));
}
