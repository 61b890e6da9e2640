#include "common/basCommon.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::writeBytes;

namespace {

const QString kNoSuchPath = QStringLiteral("指定されたパスが存在しません。");

class DelPathTest : public ::testing::Test {
protected:
    QString at(const QString& relative) const { return m_dir.filePath(relative); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(DelPathTest, DeletesATreeThreeLevelsDeepWithHiddenEntries)
{
    for (const char* file : {"w/a.txt", "w/.hidden", "w/s1/b.txt", "w/s1/s2/c.txt", "w/s1/s2/.d"})
        ASSERT_TRUE(writeBytes(at(QString::fromLatin1(file)), "x"));
    ASSERT_TRUE(QDir().mkpath(at(QStringLiteral("w/empty"))));
    QString message;
    EXPECT_TRUE(basCommon::FncDelPath(at(QStringLiteral("w")), message));
    EXPECT_TRUE(message.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("w"))));
}

TEST_F(DelPathTest, DeletesASingleFile)
{
    ASSERT_TRUE(writeBytes(at(QStringLiteral("f.txt")), "x"));
    QString message;
    EXPECT_TRUE(basCommon::FncDelPath(at(QStringLiteral("f.txt")), message));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("f.txt"))));
}

TEST_F(DelPathTest, ReadOnlyFileInSubFolderStopsWithAccessText)
{
    ASSERT_TRUE(writeBytes(at(QStringLiteral("w/sub/locked.txt")), "keep"));
    ASSERT_TRUE(QFile::setPermissions(at(QStringLiteral("w/sub/locked.txt")), QFile::ReadOwner));
    QString message;
    EXPECT_FALSE(basCommon::FncDelPath(at(QStringLiteral("w")), message));
    EXPECT_EQ(message, QStringLiteral("Permission denied"));
    EXPECT_EQ(testsupport::readBytes(at(QStringLiteral("w/sub/locked.txt"))), "keep");
}

TEST_F(DelPathTest, LinksAreRemovedNeverFollowed)
{
    ASSERT_TRUE(writeBytes(at(QStringLiteral("outside/precious.txt")), "keep"));
    ASSERT_TRUE(QDir().mkpath(at(QStringLiteral("w"))));
    ASSERT_TRUE(QFile::link(at(QStringLiteral("outside")), at(QStringLiteral("w/link"))));
    QString message;
    EXPECT_TRUE(basCommon::FncDelPath(at(QStringLiteral("w")), message));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("w"))));
    EXPECT_EQ(testsupport::readBytes(at(QStringLiteral("outside/precious.txt"))), "keep");
}

TEST_F(DelPathTest, NothingToDeleteGivesItsMessage)
{
    ASSERT_TRUE(writeBytes(at(QStringLiteral("keep.txt")), "x"));
    // A relative name must not reach the file even from its own folder.
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    for (const QString& path : {at(QStringLiteral("missing")), QString(), QStringLiteral("keep.txt"),
                                QStringLiteral(".")}) {
        QString message;
        EXPECT_FALSE(basCommon::FncDelPath(path, message)) << path.toStdString();
        EXPECT_EQ(message, kNoSuchPath);
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("keep.txt"))));
}

TEST_F(DelPathTest, EarlierMessageWins)
{
    QString message = QStringLiteral("earlier");
    EXPECT_FALSE(basCommon::FncDelPath(at(QStringLiteral("missing")), message));
    EXPECT_EQ(message, QStringLiteral("earlier"));
}

TEST(SpecialFolder, OnlyTheDocumentsFolderIsKnown)
{
    AppContext context;
    context.documentsFolder = QStringLiteral("/home/u/Documents");
    EXPECT_EQ(basCommon::FncGetSpecialFolder(context, 5), QStringLiteral("/home/u/Documents"));
    EXPECT_TRUE(basCommon::FncGetSpecialFolder(context, 0).isEmpty());
}
