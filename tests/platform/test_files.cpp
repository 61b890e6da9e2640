#include "platform/AtomicFile.h"
#include "platform/ComponentLookup.h"
#include "platform/FileCopy.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

TEST(FileTests, HiddenEntriesAreNotSeen)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.txt"));
    const QString hidden = dir.filePath(QStringLiteral(".secret"));
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(writeBytes(file, "x"));
    ASSERT_TRUE(writeBytes(hidden, "x"));
    ASSERT_TRUE(QDir().mkdir(folder));

    EXPECT_TRUE(platform::fileExists(file));
    EXPECT_TRUE(platform::entryExists(file));
    EXPECT_FALSE(platform::folderExists(file));
    EXPECT_FALSE(platform::fileExists(hidden));
    EXPECT_FALSE(platform::entryExists(hidden));
    EXPECT_FALSE(platform::fileExists(folder));
    EXPECT_TRUE(platform::entryExists(folder));
    EXPECT_TRUE(platform::entryExists(folder + QLatin1Char('/')));
    EXPECT_TRUE(platform::folderExists(folder));
    EXPECT_FALSE(platform::entryExists(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(platform::entryExists(QString()));
    // Names compare by the host's rule.
    EXPECT_FALSE(platform::fileExists(dir.filePath(QStringLiteral("REPORT.TXT"))));
}

TEST(FileTests, ReadOnlyMeansNoWriteBitAtAll)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f"));
    ASSERT_TRUE(writeBytes(file, "x"));
    EXPECT_FALSE(platform::isReadOnly(file));
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
    EXPECT_TRUE(platform::isReadOnly(file));
    EXPECT_FALSE(platform::isReadOnly(dir.filePath(QStringLiteral("missing"))));
}

TEST(Folders, JoinPathNeverDoublesTheSeparator)
{
    EXPECT_EQ(platform::joinPath(QStringLiteral("/opt/t"), QStringLiteral("TAMBERLOX.INI")),
              QStringLiteral("/opt/t/TAMBERLOX.INI"));
    EXPECT_EQ(platform::joinPath(QStringLiteral("/"), QStringLiteral("TAMBERLOX.INI")),
              QStringLiteral("/TAMBERLOX.INI"));
}

TEST(Folders, ProgramAndDocumentsFoldersExistWithoutTrailingSlash)
{
    const QString program = platform::programFolder();
    EXPECT_TRUE(QFileInfo(program).isDir());
    EXPECT_FALSE(program.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo::exists(program + QStringLiteral("/test_platform")));
    const QString documents = platform::documentsFolder();
    EXPECT_TRUE(QFileInfo(documents).isDir());
    EXPECT_FALSE(documents.endsWith(QLatin1Char('/')));
}

TEST(AtomicFile, ReplacesWholeAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_EQ(platform::writeFileAtomically(file, "first"), 0);
    ASSERT_EQ(platform::writeFileAtomically(file, "second, longer"), 0);
    EXPECT_EQ(readBytes(file), "second, longer");
    ASSERT_EQ(platform::writeFileAtomically(file, QByteArray()), 0);
    EXPECT_EQ(readBytes(file), QByteArray());
    EXPECT_EQ(testsupport::entriesOf(dir.path()), QStringList{QStringLiteral("a.txt")});
}

TEST(AtomicFile, FailuresGiveTheirErrorNumber)
{
    QTemporaryDir dir;
    EXPECT_EQ(platform::writeFileAtomically(dir.filePath(QStringLiteral("x/a")), "d"), ENOENT);
    EXPECT_EQ(platform::writeFileAtomically(dir.path(), "d"), EISDIR);
    // An unwritable folder: as root only a test without privileges shows it.
    if (!testsupport::runningAsRoot()) {
        const QString locked = dir.filePath(QStringLiteral("locked"));
        ASSERT_TRUE(QDir().mkdir(locked));
        ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        EXPECT_EQ(platform::writeFileAtomically(locked + QStringLiteral("/a"), "d"), EACCES);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

TEST(ComponentLookup, ProgramFolderFirstAndMissingWhenNowhere)
{
    QTemporaryDir dir;
    platform::ComponentLookup lookup{dir.path(), false};
    EXPECT_TRUE(lookup.find(platform::kCab32).isEmpty());
    ASSERT_TRUE(writeBytes(dir.filePath(QStringLiteral("libcab32.so")), "x"));
    EXPECT_EQ(lookup.find(platform::kCab32), dir.filePath(QStringLiteral("libcab32.so")));
    // The system search does not invent a library that is not installed.
    platform::ComponentLookup system{QString(), true};
    EXPECT_TRUE(system.find({"NOPE.DLL", "libtamberlox-none.so"}).isEmpty());
    EXPECT_EQ(system.find({"C.DLL", "libc.so.6"}), QStringLiteral("libc.so.6"));
}

TEST(FileCopy, CopiesWholeWithPrivateModeAndReplaces)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("src.bin"));
    const QString target = dir.filePath(QStringLiteral("out/t.bin"));
    QByteArray data(200000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(writeBytes(source, data));
    ASSERT_TRUE(writeBytes(target, "old"));
    ASSERT_EQ(platform::copyFile(source, target), 0);
    EXPECT_EQ(readBytes(target), data);
    EXPECT_EQ(testsupport::fileMode(target), 0600u);
    EXPECT_EQ(testsupport::entriesOf(dir.filePath(QStringLiteral("out"))),
              QStringList{QStringLiteral("t.bin")});
}

TEST(FileCopy, FailuresLeaveTargetAndFolderAsTheyWere)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("src"));
    const QString target = dir.filePath(QStringLiteral("t"));
    ASSERT_TRUE(writeBytes(target, "keep"));
    EXPECT_EQ(platform::copyFile(source, target), ENOENT);
    ASSERT_TRUE(writeBytes(source, "new"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    EXPECT_EQ(platform::copyFile(source, target), EACCES);
    EXPECT_EQ(readBytes(target), "keep");
    EXPECT_EQ(platform::copyFile(dir.path(), dir.filePath(QStringLiteral("x"))), EISDIR);
    EXPECT_EQ(platform::copyFile(source, dir.path()), EISDIR);
    EXPECT_EQ(testsupport::entriesOf(dir.path()), (QStringList{QStringLiteral("src"), QStringLiteral("t")}));
}
