#include "common/basCommon.h"

#include "TestSupport.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using basCommon::FncDelPath;

class DelPathTest : public ::testing::Test {
protected:
    QString at(const char* relative) const { return m_dir.filePath(QString::fromLatin1(relative)); }
    QTemporaryDir m_dir;
    QString m_message;
};

// A link is removed, never followed; a read-only file deep down stops the
// deletion with the system's text, and that text is not overwritten later.
TEST_F(DelPathTest, DeletesAnAbsolutePathOnlyNeverFollowsALinkAndStopsAtAReadOnlyFile)
{
    const QString precious = at("outside/deep/precious.txt");
    for (const char* file : {"w/a.txt", "w/.hidden", "w/s1/b.txt", "w/s1/s2/c.txt", "w/s1/s2/.d", "f.txt"})
        ASSERT_TRUE(testsupport::writeBytes(at(file), "keep"));
    ASSERT_TRUE(testsupport::writeBytes(precious, "keep") && QDir().mkpath(at("w/empty"))
                && testsupport::makeLink(at("outside"), at("w/s1/link")));
    if (testsupport::onWindows()) {
        // Wine opens a Linux link only through it: the link is refused
        // (ELOOP), what it points to stays. Linux then removes the link.
        EXPECT_FALSE(FncDelPath(at("w"), m_message));
        EXPECT_EQ(m_message, platform::systemErrorText(ELOOP));
        EXPECT_EQ(testsupport::readBytes(precious), "keep");
        ASSERT_EQ(testsupport::runLinuxTool(QStringLiteral("rm"), { at("w/s1/link") }), 0);
        m_message.clear();
    }
    EXPECT_TRUE(FncDelPath(at("w"), m_message) && FncDelPath(at("f.txt"), m_message));
    EXPECT_TRUE(m_message.isEmpty());
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()), QStringList{QStringLiteral("outside")});
    EXPECT_EQ(testsupport::readBytes(precious), "keep");

    ASSERT_TRUE(QFile::setPermissions(precious, QFile::ReadOwner));
    EXPECT_FALSE(FncDelPath(at("outside"), m_message));
    EXPECT_EQ(m_message, QStringLiteral("Permission denied"));
    EXPECT_FALSE(FncDelPath(at("missing"), m_message));
    EXPECT_EQ(m_message, QStringLiteral("Permission denied"));

    // A relative name must not reach an entry even from its own folder.
    const testsupport::CurrentFolder inside(m_dir.path());
    for (const QString& path : {at("missing"), QString(), QStringLiteral("outside"), QStringLiteral(".")}) {
        QString message;
        EXPECT_FALSE(FncDelPath(path, message)) << path.toStdString();
        EXPECT_EQ(message, QStringLiteral("指定されたパスが存在しません。"));
    }
    EXPECT_EQ(testsupport::readBytes(precious), "keep");
}
