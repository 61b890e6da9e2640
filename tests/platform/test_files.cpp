#include "platform/ComponentLookup.h"
#include "platform/FileTests.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using testsupport::writeBytes;

// Hidden entries are never seen (Linux: a leading "."; Windows: the hidden
// or system attribute), folders are no files, names compare by the host's
// rule (Windows: without case), and a relative path names nothing.
TEST(FileTests, HiddenEntriesAndRelativePathsAreNotSeenAndFoldersAreNoFiles)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.txt"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(writeBytes(file, "x") && QDir().mkdir(folder));
    EXPECT_TRUE(fileExists(file) && entryExists(file) && !folderExists(file));
    QStringList hidden;
    if (testsupport::onWindows()) {
        for (const char* attribute : {"+h", "+s"}) {
            hidden << dir.filePath(QStringLiteral("secret") + QLatin1String(attribute));
            ASSERT_TRUE(writeBytes(hidden.back(), "x"));
            ASSERT_EQ(testsupport::runProgram(QStringLiteral("attrib"),
                          {QLatin1String(attribute), QDir::toNativeSeparators(hidden.back())}), 0);
        }
    } else {
        hidden << dir.filePath(QStringLiteral(".secret"));
        ASSERT_TRUE(writeBytes(hidden.back(), "x"));
    }
    for (const QString& entry : hidden) {
        SCOPED_TRACE(entry.toStdString());
        EXPECT_FALSE(fileExists(entry) || entryExists(entry) || folderExists(entry));
    }
    EXPECT_TRUE(!fileExists(folder) && entryExists(folder + QLatin1Char('/')) && folderExists(folder));
    EXPECT_FALSE(entryExists(dir.filePath(QStringLiteral("missing"))) || entryExists(QString()));
    EXPECT_EQ(fileExists(dir.filePath(QStringLiteral("REPORT.TXT"))), testsupport::onWindows());
    const testsupport::CurrentFolder inside(dir.path());
    EXPECT_FALSE(fileExists(QStringLiteral("report.txt")) || entryExists(QStringLiteral("folder"))
                 || folderExists(QStringLiteral("folder")));
}

TEST(ComponentLookup, ProgramFolderFirstThenTheSystemsSearch)
{
    QTemporaryDir dir;
    EXPECT_TRUE(ComponentLookup({dir.path(), false}).find(kCab32).isEmpty());
    const QString library = QString::fromLatin1(kCab32.fileName);
    ASSERT_TRUE(writeBytes(dir.filePath(library), "x"));
    EXPECT_EQ(QDir::fromNativeSeparators(ComponentLookup({dir.path(), false}).find(kCab32)), dir.filePath(library));
    EXPECT_TRUE(ComponentLookup({QString(), true}).find({"NOPE.DLL", "libtamberlox-none.so"}).isEmpty());
    // The system's search: the loader's bare name on Linux, SearchPath's full path on Windows.
    if (testsupport::onWindows())
        EXPECT_EQ(ComponentLookup({QString(), true}).find({"KERNEL32.DLL", "kernel32.dll"}).toLower(),
                  QStringLiteral("c:\\windows\\system32\\kernel32.dll"));
    else
        EXPECT_EQ(ComponentLookup({QString(), true}).find({"C.DLL", "libc.so.6"}), QStringLiteral("libc.so.6"));

    // A component lying only in the folder the program was started from is
    // not one: that folder is the starter's, not the system's.
    if (testsupport::onWindows()) {
        QTemporaryDir current;
        ASSERT_TRUE(writeBytes(QDir(current.path()).filePath(QStringLiteral("CAB32.DLL")), "x"));
        const testsupport::CurrentFolder inside(current.path());
        EXPECT_EQ(ComponentLookup({QString(), true}).find(kCab32), QString());
    }
}
