#include "common/basCommon.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class DelPathTest : public ::testing::Test {
protected:
    QString at(const char* relative) const { return m_dir.filePath(QString::fromLatin1(relative)); }
    bool del(const QString& path)
    {
        m_message.clear();
        return basCommon::FncDelPath(path, m_message);
    }
    QTemporaryDir m_dir;
    QString m_message;
};

} // namespace

TEST_F(DelPathTest, DeletesATreeWithHiddenEntriesOrAFileButNeverFollowsALink)
{
    for (const char* file : {"w/a.txt", "w/.hidden", "w/s1/b.txt", "w/s1/s2/c.txt", "w/s1/s2/.d", "f.txt",
                             "outside/precious.txt"})
        ASSERT_TRUE(writeBytes(at(file), "keep"));
    ASSERT_TRUE(QDir().mkpath(at("w/empty")) && QFile::link(at("outside"), at("w/s1/link")));
    EXPECT_TRUE(del(at("w")));
    EXPECT_TRUE(m_message.isEmpty());
    EXPECT_TRUE(del(at("f.txt")));
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()), QStringList{QStringLiteral("outside")});
    EXPECT_EQ(readBytes(at("outside/precious.txt")), "keep");
}

TEST_F(DelPathTest, AReadOnlyFileDeepDownStopsWithTheSystemsText)
{
    ASSERT_TRUE(writeBytes(at("w/sub/locked.txt"), "keep"));
    ASSERT_TRUE(QFile::setPermissions(at("w/sub/locked.txt"), QFile::ReadOwner));
    EXPECT_FALSE(del(at("w")));
    EXPECT_EQ(m_message, QStringLiteral("Permission denied"));
    EXPECT_EQ(readBytes(at("w/sub/locked.txt")), "keep");
}

TEST_F(DelPathTest, NothingToDeleteGivesItsMessageAndAnEarlierMessageWins)
{
    ASSERT_TRUE(writeBytes(at("keep.txt"), "x"));
    // A relative name must not reach the file even from its own folder.
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    for (const QString& path : {at("missing"), QString(), QStringLiteral("keep.txt"), QStringLiteral(".")}) {
        EXPECT_FALSE(del(path)) << path.toStdString();
        EXPECT_EQ(m_message, QStringLiteral("指定されたパスが存在しません。"));
    }
    QDir::setCurrent(before);
    EXPECT_TRUE(QFileInfo::exists(at("keep.txt")));
    QString message = QStringLiteral("earlier");
    EXPECT_FALSE(basCommon::FncDelPath(at("missing"), message));
    EXPECT_EQ(message, QStringLiteral("earlier"));
}
