// The two file copies: the synced one that replaces its target through a
// temporary file, and the unsynced one written straight under its name.
#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using testsupport::entriesOf;
using testsupport::fileMode;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

using CopyFunction = int (*)(const QString&, const QString&, mode_t, const CopyProgress&);

struct CopyCase {
    const char* name;
    CopyFunction copy;
    bool keepsOldTarget; // a failed copy leaves an existing target as it was
};

const CopyCase kCopies[] = {{"Synced", &copyFile, true}, {"Unsynced", &copyFileUnsynced, false}};

QByteArray patterned(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

class CopyTest : public ::testing::TestWithParam<CopyCase> {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    int copy(const CopyProgress& progress = {})
    {
        return GetParam().copy(path("source"), path("target"), 0600, progress);
    }
    // After a failure: the old target or none, and never a temporary file.
    void expectTargetAsBefore(const QByteArray& old)
    {
        if (GetParam().keepsOldTarget) {
            EXPECT_EQ(readBytes(path("target")), old);
            EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"source", "target"}));
        } else {
            EXPECT_EQ(entriesOf(m_dir.path()), QStringList{"source"});
        }
    }

    QTemporaryDir m_dir;
};

TEST_P(CopyTest, ProgressReportsEachPieceUpToTheWholeSize)
{
    for (const qsizetype size : {qsizetype{0}, qsizetype{(5 << 19) + 3}}) {
        const QByteArray content = patterned(size);
        ASSERT_TRUE(writeBytes(path("source"), content));
        std::vector<qint64> reported;
        ASSERT_EQ(copy([&](qint64 copied) { return reported.push_back(copied), true; }), 0);
        EXPECT_EQ(readBytes(path("target")), content);
        EXPECT_EQ(fileMode(path("target")), 0600u);
        EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"source", "target"}));
        EXPECT_EQ(reported.empty() ? 0 : reported.back(), size);
        for (size_t i = 0; i < reported.size(); ++i) {
            const qint64 before = i == 0 ? 0 : reported[i - 1];
            EXPECT_GT(reported[i], before);
            EXPECT_LE(reported[i] - before, qint64{1} << 20) << "pieces of at most 1 MiB";
        }
        ASSERT_TRUE(QFile::remove(path("source")) && QFile::remove(path("target")));
    }
}

TEST_P(CopyTest, ProgressAnsweringFalseCancels)
{
    ASSERT_TRUE(writeBytes(path("source"), patterned(3 << 20)));
    ASSERT_TRUE(writeBytes(path("target"), "old"));
    int calls = 0;
    EXPECT_EQ(copy([&](qint64) { return ++calls < 2; }), ECANCELED);
    EXPECT_EQ(calls, 2);
    expectTargetAsBefore("old");
}

// Checked after the last piece: a change made from its progress call counts.
TEST_P(CopyTest, SourceGrownAfterTheLastPieceIsBusy)
{
    const QByteArray content = patterned(100000);
    ASSERT_TRUE(writeBytes(path("source"), content));
    ASSERT_TRUE(writeBytes(path("target"), "old"));
    const auto grow = [&](qint64 copied) {
        if (copied == content.size()) {
            QFile source(path("source"));
            EXPECT_TRUE(source.open(QIODevice::Append) && source.write("!") == 1);
        }
        return true;
    };
    EXPECT_EQ(copy(grow), EBUSY);
    expectTargetAsBefore("old");
}

TEST_P(CopyTest, RefusesReadOnlyTargetsFoldersAndMissingSources)
{
    EXPECT_EQ(copy(), ENOENT);
    ASSERT_TRUE(writeBytes(path("source"), "new"));
    ASSERT_TRUE(writeBytes(path("target"), "old") && QFile::setPermissions(path("target"), QFile::ReadOwner));
    EXPECT_EQ(copy(), EACCES);
    EXPECT_EQ(readBytes(path("target")), "old");
    ASSERT_TRUE(QFile::remove(path("target")) && QDir().mkdir(path("target")));
    EXPECT_EQ(copy(), EISDIR);
    EXPECT_EQ(GetParam().copy(path("target"), path("other"), 0600, {}), EISDIR);
}

INSTANTIATE_TEST_SUITE_P(Copies, CopyTest, ::testing::ValuesIn(kCopies),
                         [](const auto& info) { return std::string(info.param.name); });

// Emptying the target first would empty the source: another name of the
// same file is refused.
TEST(UnsyncedCopy, OntoAnotherNameOfItsSourceIsRefusedAndTheSourceKept)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString alias = dir.filePath(QStringLiteral("alias"));
    ASSERT_TRUE(writeBytes(source, "report"));
    ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(alias).constData()), 0);
    EXPECT_EQ(copyFileUnsynced(source, alias), EINVAL);
    EXPECT_EQ(readBytes(source), "report");
}

TEST(MoveFile, RenamesWithTheModeAndRefusesAReadOnlyTarget)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString target = dir.filePath(QStringLiteral("target"));
    ASSERT_TRUE(writeBytes(source, "report") && QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    ASSERT_TRUE(writeBytes(target, "old") && QFile::setPermissions(target, QFile::ReadOwner));
    EXPECT_EQ(moveFile(source, target), EACCES);
    EXPECT_EQ(readBytes(source), "report");
    EXPECT_EQ(readBytes(target), "old");
    ASSERT_TRUE(QFile::remove(target));
    EXPECT_EQ(moveFile(source, target), 0);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"target"});
    EXPECT_EQ(readBytes(target), "report");
    EXPECT_EQ(fileMode(target), 0600u);
    EXPECT_EQ(moveFile(source, target), ENOENT);
}

TEST(SyncFileSystem, SyncsAFolderAndNamesAMissingOne)
{
    QTemporaryDir dir;
    EXPECT_EQ(syncFileSystem(dir.path()), 0);
    EXPECT_EQ(syncFileSystem(dir.filePath(QStringLiteral("missing"))), ENOENT);
}

} // namespace
