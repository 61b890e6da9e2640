#include "platform/ComponentLookup.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::writeBytes;

TEST(FileTests, HiddenEntriesAreNotSeenAndFoldersAreNoFiles)
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
    EXPECT_FALSE(fileExists(dir.filePath(QStringLiteral("REPORT.TXT")))) << "the host's rule for names";
}

TEST(Folders, ProgramAndDocumentsFoldersExistWithoutTrailingSlash)
{
    for (const QString& folder : {programFolder(), documentsFolder()}) {
        EXPECT_TRUE(QFileInfo(folder).isDir()) << folder.toStdString();
        EXPECT_FALSE(folder.endsWith(QLatin1Char('/')));
    }
    EXPECT_TRUE(QFileInfo::exists(programFolder() + QStringLiteral("/test_platform")));
}

TEST(ComponentLookup, ProgramFolderFirstThenTheSystemsSearch)
{
    QTemporaryDir dir;
    ComponentLookup lookup{dir.path(), false};
    EXPECT_TRUE(lookup.find(kCab32).isEmpty());
    ASSERT_TRUE(writeBytes(dir.filePath(QStringLiteral("libcab32.so")), "x"));
    EXPECT_EQ(lookup.find(kCab32), dir.filePath(QStringLiteral("libcab32.so")));
    ComponentLookup system{QString(), true};
    EXPECT_TRUE(system.find({"NOPE.DLL", "libtamberlox-none.so"}).isEmpty());
    EXPECT_EQ(system.find({"C.DLL", "libc.so.6"}), QStringLiteral("libc.so.6"));
}
