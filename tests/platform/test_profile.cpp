#include "platform/Profile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using platform::getProfileInt;
using platform::getProfileString;
using platform::writeProfileString;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("test.ini")) const
    {
        return m_dir.filePath(name);
    }
    QByteArray read(const QByteArray& section, const QByteArray& key, int size = 255) const
    {
        return getProfileString(section, key, "<default>", size, path());
    }
    QTemporaryDir m_dir;
};

// Awkward hand-edited lines, as people and other tools write them.
const QByteArray kHandWritten =
    "; comment line\r\n"
    "[user]\r\n"
    "  houkoku \t=\t  value with blanks  \r\n"
    "dq=\"quoted\"\r\n"
    "sq='single'\r\n"
    "unmatched=\"open\r\n"
    "semi=abc ; not a comment\r\n"
    "eq=b=c\r\n"
    "no equals sign here\r\n"
    "dup=first\r\n"
    "DUP=second\r\n"
    "empty=\r\n"
    "\r\n"
    "[USER]\r\n"
    "onlyinsecond=x\r\n"
    "[ spaced ]\n"
    "lf=only\n"
    "[\x95\x5c]\r\n"
    "\x83\x5c=trail 5c key\r\n"
    "[\x89\x5d]\r\n"
    "k=trail 5d section\r\n"
    "last=no newline";

} // namespace

TEST_F(ProfileTest, ReadsHandWrittenFileAsWindowsDoes)
{
    ASSERT_TRUE(writeBytes(path(), kHandWritten));
    EXPECT_EQ(read("USER", "HOUKOKU"), "value with blanks");
    EXPECT_EQ(read("User", "dq"), "quoted");
    EXPECT_EQ(read("user", "sq"), "single");
    EXPECT_EQ(read("user", "unmatched"), "\"open");
    EXPECT_EQ(read("user", "semi"), "abc ; not a comment");
    EXPECT_EQ(read("user", "eq"), "b=c");
    EXPECT_EQ(read("user", "no equals sign here"), "<default>");
    EXPECT_EQ(read("user", "dup"), "first");
    EXPECT_EQ(read("user", "empty"), "");
    // Only the first section of a name is searched.
    EXPECT_EQ(read("user", "onlyinsecond"), "<default>");
    EXPECT_EQ(read("spaced", "lf"), "only");
    EXPECT_EQ(read("\x95\x5c", "\x83\x5c"), "trail 5c key");
    EXPECT_EQ(read("\x89\x5d", "k"), "trail 5d section");
    EXPECT_EQ(read("\x89\x5d", "last"), "no newline");
    // A trail byte that looks like a letter is not folded.
    EXPECT_EQ(read("\x89\x7d", "k"), "<default>");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesDefault)
{
    EXPECT_EQ(read("USER", "HOUKOKU"), "<default>");
    EXPECT_EQ(getProfileInt("USER", "X", 7, path()), 7);
    ASSERT_TRUE(writeBytes(path(), "[USER]\r\nA=1\r\n"));
    EXPECT_EQ(read("SYSTEM", "A"), "<default>");
    EXPECT_EQ(read("USER", "B"), "<default>");
    // A folder where the file should be reads as missing too.
    QDir(m_dir.path()).mkdir(QStringLiteral("dir.ini"));
    EXPECT_EQ(getProfileString("USER", "A", "", 255, path(QStringLiteral("dir.ini"))), "");
}

TEST_F(ProfileTest, IntegerReadTakesLeadingDigits)
{
    ASSERT_TRUE(writeBytes(path(), "[N]\r\na=  42abc\r\nb=0x1A\r\nc=abc\r\nd=-5\r\ne=\"17\"\r\n"));
    EXPECT_EQ(getProfileInt("N", "a", 0, path()), 42);
    EXPECT_EQ(getProfileInt("N", "b", 0, path()), 26);
    EXPECT_EQ(getProfileInt("N", "c", 9, path()), 0);
    EXPECT_EQ(getProfileInt("N", "d", 0, path()), -5);
    EXPECT_EQ(getProfileInt("N", "e", 0, path()), 17);
}

TEST_F(ProfileTest, LongValueIsCutWithoutBreakingACharacter)
{
    const QByteArray ascii(300, 'x');
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=" + ascii + "\r\n"));
    EXPECT_EQ(read("S", "k").size(), 254);
    EXPECT_EQ(read("S", "k", 11), QByteArray(10, 'x'));
    // 253 single bytes then a double-byte character: its half is dropped.
    const QByteArray mixed = QByteArray(253, 'a') + "\x95\x5c" + "zz";
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=" + mixed + "\r\n"));
    EXPECT_EQ(read("S", "k"), QByteArray(253, 'a'));
}

TEST_F(ProfileTest, WriteCreatesFileWithCrLfAndPrivateMode)
{
    ASSERT_EQ(writeProfileString("USER", "HOUKOKU", "\x83\x67\x83\x8b", path()), 0);
    ASSERT_EQ(writeProfileString("USER", "USERID", "u1", path()), 0);
    ASSERT_EQ(writeProfileString("SYSTEM", "TEMP", "/tmp", path()), 0);
    EXPECT_EQ(readBytes(path()),
              "[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\r\nUSERID=u1\r\n[SYSTEM]\r\nTEMP=/tmp\r\n");
    EXPECT_EQ(testsupport::fileMode(path()), 0600u);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()), QStringList{QStringLiteral("test.ini")});
}

TEST_F(ProfileTest, WriteKeepsEveryOtherLineAsItWas)
{
    const QByteArray before = "; keep me\r\n[user]\r\nhoukoku=old\r\nunknown=1\n\r\n"
                              "[OTHER]\r\nx=y\r\n";
    ASSERT_TRUE(writeBytes(path(), before));
    ASSERT_EQ(writeProfileString("USER", "HOUKOKU", "new", path()), 0);
    ASSERT_EQ(writeProfileString("USER", "ADDED", "a", path()), 0);
    ASSERT_EQ(writeProfileString("OTHER", "z", "w", path()), 0);
    EXPECT_EQ(readBytes(path()), "; keep me\r\n[user]\r\nHOUKOKU=new\r\nunknown=1\nADDED=a\r\n\r\n"
                                 "[OTHER]\r\nx=y\r\nz=w\r\n");
}

TEST_F(ProfileTest, WriteAfterLastLineWithoutLineEnd)
{
    ASSERT_TRUE(writeBytes(path(), "[A]\r\nk=v"));
    ASSERT_EQ(writeProfileString("A", "k2", "v2", path()), 0);
    ASSERT_EQ(writeProfileString("B", "k", "v", path()), 0);
    EXPECT_EQ(readBytes(path()), "[A]\r\nk=v\r\nk2=v2\r\n[B]\r\nk=v\r\n");
}

TEST_F(ProfileTest, WrittenValueReadsBackTheWayWindowsReadsIt)
{
    ASSERT_EQ(writeProfileString("USER", "USERID", " lead", path()), 0);
    EXPECT_EQ(readBytes(path()), "[USER]\r\nUSERID= lead\r\n");
    EXPECT_EQ(read("USER", "USERID"), "lead");
}

TEST_F(ProfileTest, WriteFailuresReportTheErrorAndTouchNothing)
{
    EXPECT_EQ(writeProfileString("S", "k", "v", m_dir.filePath(QStringLiteral("no/such.ini"))),
              ENOENT);
    QDir(m_dir.path()).mkdir(QStringLiteral("dir.ini"));
    EXPECT_EQ(writeProfileString("S", "k", "v", path(QStringLiteral("dir.ini"))), EISDIR);

    // Read-only is refused before anything is replaced, also for root.
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n"));
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_EQ(writeProfileString("S", "k", "new", path()), EACCES);
    EXPECT_EQ(readBytes(path()), "[S]\r\nk=old\r\n");
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()).size(), 2);
}

TEST_F(ProfileTest, RefusesTextThatWouldBreakTheFile)
{
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n"));
    EXPECT_EQ(writeProfileString("S", "k", "a\r\n[X]\r\ny=z", path()), EINVAL);
    EXPECT_EQ(writeProfileString("S", "a=b", "v", path()), EINVAL);
    EXPECT_EQ(writeProfileString("S]", "k", "v", path()), EINVAL);
    EXPECT_EQ(writeProfileString("", "k", "v", path()), EINVAL);
    EXPECT_EQ(readBytes(path()), "[S]\r\nk=old\r\n");
}

TEST_F(ProfileTest, ExistingFileKeepsItsMode)
{
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n"));
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner
                                                  | QFile::ReadGroup));
    ASSERT_EQ(writeProfileString("S", "k", "new", path()), 0);
    EXPECT_EQ(testsupport::fileMode(path()), 0640u);
}
