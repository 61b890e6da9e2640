// The two file copies: the synced one that replaces its target through a
// temporary file, and the unsynced one written straight under its name.
#include "platform/FileCopy.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace platform;
using testsupport::entriesOf;
using testsupport::isPrivate;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

struct CopyCase {
    const char* name;
    int (*copy)(const QString&, const QString&, int, const CopyProgress&);
    bool keepsOldTarget; // a failed copy leaves an existing target as it was
};

void PrintTo(const CopyCase& copyCase, std::ostream* out)
{
    *out << copyCase.name;
}

class CopyTest : public ::testing::TestWithParam<CopyCase> {
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    int copy(const CopyProgress& progress = {}) { return GetParam().copy(path("source"), path("target"), 0600, progress); }

    QTemporaryDir m_dir;
};

TEST_P(CopyTest, ProgressReportsEachPieceUpToTheWholeSize)
{
    for (const qsizetype size : {qsizetype{0}, qsizetype{(5 << 19) + 3}}) {
        SCOPED_TRACE(size);
        QByteArray content(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            content[i] = static_cast<char>((i * 7919) >> 3);
        ASSERT_TRUE(writeBytes(path("source"), content));
        std::vector<qint64> reported{0};
        ASSERT_EQ(copy([&](qint64 copied) { return reported.push_back(copied), true; }), 0);
        EXPECT_EQ(readBytes(path("target")), content);
        EXPECT_TRUE(isPrivate(path("target")));
        EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"source", "target"}));
        EXPECT_EQ(reported.back(), size);
        for (size_t i = 1; i < reported.size(); ++i) {
            EXPECT_GT(reported[i], reported[i - 1]);
            EXPECT_LE(reported[i] - reported[i - 1], qint64{1} << 20) << "pieces of at most 1 MiB";
        }
    }
}

// A progress call answering false cancels; a source that grows from the
// last progress call is busy (checked after the last piece). Either way the
// synced copy keeps the old target, the unsynced one removes its own.
TEST_P(CopyTest, CancelledOrBusyCopyLeavesNoPartialTarget)
{
    const qint64 size = 3 << 20;
    const std::pair<CopyProgress, int> cases[] = {
        {[](qint64 copied) { return copied < (1 << 20); }, ECANCELED},
        {[&](qint64 copied) {
             QFile source(path("source"));
             return copied < size || (source.open(QIODevice::Append) && source.write("!") == 1);
         }, EBUSY}};
    for (const auto& [progress, error] : cases) {
        SCOPED_TRACE(error);
        ASSERT_TRUE(writeBytes(path("source"), QByteArray(size, 's')) && writeBytes(path("target"), "old"));
        EXPECT_EQ(copy(progress), error);
        const bool kept = GetParam().keepsOldTarget;
        EXPECT_EQ(readBytes(path("target")), kept ? "old" : "");
        EXPECT_EQ(entriesOf(m_dir.path()), kept ? QStringList({"source", "target"}) : QStringList({"source"}));
    }
}

TEST_P(CopyTest, RefusesReadOnlyTargetsFoldersMissingSourcesAndItsOwnSource)
{
    EXPECT_EQ(copy(), ENOENT);
    ASSERT_TRUE(writeBytes(path("source"), "new"));
    ASSERT_TRUE(writeBytes(path("target"), "old") && QFile::setPermissions(path("target"), QFile::ReadOwner));
    EXPECT_EQ(copy(), EACCES);
    EXPECT_EQ(readBytes(path("target")), "old");
    // Windows deletes no read-only file.
    ASSERT_TRUE(QFile::setPermissions(path("target"), QFile::ReadOwner | QFile::WriteOwner)
                && QFile::remove(path("target")) && QDir().mkdir(path("target")));
    EXPECT_EQ(copy(), EISDIR);
    EXPECT_EQ(GetParam().copy(path("target"), path("other"), 0600, {}), EISDIR);
    // Emptying the target first would empty the source: the unsynced copy
    // refuses another name of its source.
    std::filesystem::create_hard_link(path("source").toStdWString(), path("alias").toStdWString());
    // Windows: our own read handle on the source shares it with no writer
    // that wants it alone, so the unsynced copy gets EBUSY; Wine refuses the
    // synced copy's replacement of a file that a handle holds open, although
    // that handle allows deletion (EACCES). The source is safe either way.
    const int expected = testsupport::onWindows() ? (GetParam().keepsOldTarget ? EACCES : EBUSY)
                                                  : (GetParam().keepsOldTarget ? 0 : EINVAL);
    EXPECT_EQ(GetParam().copy(path("source"), path("alias"), 0600, {}), expected);
    EXPECT_EQ(readBytes(path("source")), "new");
}

INSTANTIATE_TEST_SUITE_P(Copies, CopyTest,
                         ::testing::Values(CopyCase{"Synced", &copyFile, true},
                                           CopyCase{"Unsynced", &copyFileUnsynced, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MoveAndSync, MoveRenamesWithTheModeRefusesAReadOnlyTargetAndSyncNamesAMissingFolder)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));
    const QString target = dir.filePath(QStringLiteral("target"));
    ASSERT_TRUE(writeBytes(source, "report") && writeBytes(target, "old"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner));
    EXPECT_EQ(moveFile(source, target), EACCES);
    EXPECT_TRUE(readBytes(target) == "old" && readBytes(source) == "report");
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner) && QFile::remove(target)
                && QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadOther));
    EXPECT_EQ(moveFile(source, target), 0);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"target"});
    EXPECT_EQ(readBytes(target), "report");
    EXPECT_TRUE(isPrivate(target));
    EXPECT_EQ(moveFile(source, target), ENOENT);
    EXPECT_EQ(syncFileSystem(dir.path()), 0);
    EXPECT_EQ(syncFileSystem(dir.filePath(QStringLiteral("missing"))), ENOENT);
}

} // namespace
