#include "platform/Profile.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <gtest/gtest.h>

using platform::getProfileString;
using platform::writeProfileString;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("test.ini")); }
    QByteArray read(const QByteArray& section, const QByteArray& key, int size = 255) const
    {
        return getProfileString(section, key, "<default>", size, path());
    }
    // Writes every key, then gives the file's bytes.
    QByteArray write(std::initializer_list<std::array<QByteArray, 3>> values)
    {
        for (const auto& [section, key, value] : values)
            EXPECT_EQ(writeProfileString(section, key, value, path()), 0) << key.constData();
        return readBytes(path());
    }
    QTemporaryDir m_dir;
};

// The line bound Profile.h gives.
constexpr qsizetype kLine = 64 * 1024;

} // namespace

// Awkward hand-edited lines, as people and other tools write them.
TEST_F(ProfileTest, ReadsHandWrittenFileAsWindowsDoes)
{
    EXPECT_EQ(read("USER", "HOUKOKU"), "<default>") << "no file";
    ASSERT_TRUE(writeBytes(path(),
        "; comment line\r\n[user]\r\n  houkoku \t=\t  value with blanks  \r\n"
        "dq=\"quoted\"\r\nsq='single'\r\nunmatched=\"open\r\nsemi=abc ; not a comment\r\n"
        "eq=b=c\r\nno equals sign here\r\ndup=first\r\nDUP=second\r\nempty=\r\n\r\n"
        "[USER]\r\nonlyinsecond=x\r\n[ spaced ]\nlf=only\n[\x95\x5c]\r\n"
        "\x83\x5c=trail 5c key\r\n[\x89\x5d]\r\nk=trail 5d section\r\nlast=no newline"));
    const std::pair<std::array<QByteArray, 2>, QByteArray> cases[] = { { { "USER", "HOUKOKU" },
                                                                           "value with blanks" },
        { { "User", "dq" }, "quoted" }, { { "user", "sq" }, "single" },
        { { "user", "unmatched" }, "\"open" }, { { "user", "semi" }, "abc ; not a comment" },
        { { "user", "eq" }, "b=c" }, { { "user", "no equals sign here" }, "<default>" },
        { { "user", "dup" }, "first" }, { { "user", "empty" }, "" },
        { { "user", "onlyinsecond" }, "<default>" }, // only the first section of a name counts
        { { "spaced", "lf" }, "only" }, { { "\x95\x5c", "\x83\x5c" }, "trail 5c key" },
        { { "\x89\x5d", "k" }, "trail 5d section" }, { { "\x89\x5d", "last" }, "no newline" },
        { { "\x89\x7d", "k" }, "<default>" }, // a trail byte is not case-folded
        { { "SYSTEM", "k" }, "<default>" }, { { "USER", "none" }, "<default>" } };
    for (const auto& [name, value] : cases)
        EXPECT_EQ(read(name[0], name[1]), value)
            << name[0].constData() << "/" << name[1].constData();
    // A folder where the file should be reads as missing.
    EXPECT_EQ(getProfileString("user", "dq", "", 255, m_dir.path()), "");
}

// 254 bytes at most (size - 1 for a smaller buffer); a double-byte
// character that does not fit whole is dropped.
TEST_F(ProfileTest, LongValueIsCutWithoutBreakingACharacter)
{
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=" + QByteArray(300, 'x') + "\r\n"));
    EXPECT_EQ(read("S", "k"), QByteArray(254, 'x'));
    EXPECT_EQ(read("S", "k", 11), QByteArray(10, 'x'));
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=" + QByteArray(253, 'a') + "\x95\x5czz\r\n"));
    EXPECT_EQ(read("S", "k"), QByteArray(253, 'a'));

    // A line past the bound reads as if it ended there: {line, key, value}.
    // Wine has no line bound: it reads each line whole.
    const bool wine = testsupport::onWindows();
    const std::array<QByteArray, 3> rows[] = { { "n=" + QByteArray(kLine - 2, 'n'), "n",
                                                   QByteArray(kLine - 2, 'n') },
        { "o=" + QByteArray(kLine - 1, 'o'), "o", QByteArray(kLine - (wine ? 1 : 2), 'o') },
        { "w=" + QByteArray(kLine - 3, 'w') + "\x95\x5d=x", "w",
            QByteArray(kLine - 3, 'w') + (wine ? "\x95\x5d=x" : "") },
        { "q=\"" + QByteArray(kLine, 'q') + '"', "q",
            wine ? QByteArray(kLine, 'q') : '"' + QByteArray(kLine - 3, 'q') },
        { "t=" + QByteArray(kLine - 4, 't') + "  tail", "t",
            QByteArray(kLine - 4, 't') + (wine ? "  tail" : "") },
        { QByteArray(kLine, ' ') + "h=hidden", "h", wine ? "hidden" : "<default>" } };
    QByteArray file = "[S]\r\n";
    for (const auto& row : rows)
        file += row[0] + "\r\n";
    ASSERT_TRUE(writeBytes(path(), file));
    for (const auto& [line, key, value] : rows)
        EXPECT_EQ(read("S", key, 1 << 20), value) << key.constData();
}

TEST_F(ProfileTest, WriteMakesAPrivateCrLfFileThenKeepsEveryOtherLineAndTheFilesMode)
{
    // Wine drops the blanks that lead a value it writes.
    const bool wine = testsupport::onWindows();
    EXPECT_EQ(write({ { "USER", "HOUKOKU", "\x83\x67\x83\x8b" }, { "USER", "USERID", " lead" } }),
        wine ? "[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\r\nUSERID=lead\r\n"
             : "[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\r\nUSERID= lead\r\n");
    EXPECT_EQ(read("USER", "USERID"), "lead");
    EXPECT_TRUE(testsupport::isPrivate(path()));
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()), QStringList { QStringLiteral("test.ini") })
        << "no temporary file";

    ASSERT_TRUE(
        writeBytes(path(), "; keep me\r\n[user]\r\nhoukoku=old\r\nunknown=1\n\r\n[OTHER]\r\nx=y"));
    ASSERT_TRUE(
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    EXPECT_EQ(write({ { "USER", "HOUKOKU", "new" }, { "USER", "ADDED", "a" }, { "OTHER", "z", "w" },
                  { "NEW", "k", "v" } }),
        // Wine rewrites the whole file from what it parsed: the key keeps the
        // file's spelling, every line ends in CR LF, blank lines go.
        wine ? "; keep me\r\n[user]\r\nhoukoku=new\r\nunknown=1\r\nADDED=a\r\n"
               "[OTHER]\r\nx=y\r\nz=w\r\n[NEW]\r\nk=v\r\n"
             : "; keep me\r\n[user]\r\nHOUKOKU=new\r\nunknown=1\nADDED=a\r\n\r\n"
               "[OTHER]\r\nx=y\r\nz=w\r\n[NEW]\r\nk=v\r\n");
    // Linux keeps the file's mode through the rewrite. A Windows file has no
    // mode to keep: the new copy takes the same folder's ACL as the old one.
    if (!testsupport::onWindows()) {
        EXPECT_EQ(testsupport::fileMode(path()), 0640u);
    }
}

TEST_F(ProfileTest, RefusesTextThatWouldBreakTheFile)
{
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n"));
    for (const auto& [section, key, value] :
        { std::array<QByteArray, 3> { "S", "k", "a\r\n[X]\r\ny=z" }, { "S", "k", "a\nb" },
            { "S", "a=b", "v" }, { "S]", "k", "v" }, { "", "k", "v" } })
        EXPECT_EQ(writeProfileString(section, key, value, path()), EINVAL)
            << section.constData() << key.constData();
    EXPECT_EQ(readBytes(path()), "[S]\r\nk=old\r\n");
}
