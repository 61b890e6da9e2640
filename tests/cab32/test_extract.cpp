// Extraction with -x: archives from gcab and from our writer, and hostile
// cabinets that must fail with their own code and write nothing outside.
#include "CabTestKit.h"
#include "TestSupport.h"
#include "cab32.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using cabtest::cab;
using cabtest::putFile;
using cabtest::treeOf;
using testsupport::entriesOf;

namespace {

QString testdata(const char* name)
{
    return QStringLiteral(TAMBERLOX_TESTDATA "/") + QLatin1String(name);
}

class Cab32Extract : public ::testing::Test {
protected:
    int extract(const QString& archive, const QString& switches = "-x -i")
    {
        return cab(QString("%1 \"%2\" \"%3/\" *.*").arg(switches, archive, m_target));
    }

    QTemporaryDir m_dir;
    QString m_target = m_dir.filePath("target");
};

struct Hostile {
    const char* file;
    int code;
};

class Cab32HostileCabinet : public Cab32Extract, public ::testing::WithParamInterface<Hostile> {};

} // namespace

TEST_F(Cab32Extract, ReadsWhatGcabWrites)
{
    const QString source = m_dir.filePath("source");
    putFile(source + "/a.txt", cabtest::textBytes(100000));
    putFile(source + "/sub/b.bin", cabtest::randomBytes(70000, 5));
    putFile(source + "/sub/empty", {});
    QByteArray output;
    const QString archive = m_dir.filePath("gcab.cab");
    ASSERT_EQ(testsupport::runProgram("gcab", {"-c", "-z", archive, "a.txt", "sub/b.bin", "sub/empty"}, &output,
                                      source),
              0)
        << output.constData();
    EXPECT_EQ(cabtest::checkArchive(archive, 2), 1);
    ASSERT_EQ(extract(archive), CAB32_OK);
    EXPECT_EQ(treeOf(m_target), treeOf(source));
}

TEST_F(Cab32Extract, RestoresOurOwnJapaneseNamesAndDates)
{
    const QString source = m_dir.filePath("source");
    putFile(source + "/表/ソ能.txt", "0x5C trail bytes");
    putFile(source + "/😀.txt", "UTF-8 name");
    const QString archive = m_dir.filePath("ours.cab");
    ASSERT_EQ(cab(QString("-a -r \"%1\" \"%2/\" *.*").arg(archive, source)), CAB32_OK);
    ASSERT_EQ(extract(archive), CAB32_OK);
    EXPECT_EQ(treeOf(m_target), treeOf(source));
    EXPECT_EQ(entriesOf(m_target), (QStringList{"表", "😀.txt"}));
    EXPECT_EQ(QFileInfo(m_target + "/表/ソ能.txt").lastModified(), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));
}

TEST_F(Cab32Extract, ReplacesExistingFilesOnlyWithOverwrite)
{
    const QString source = m_dir.filePath("source");
    putFile(source + "/a.txt", "new");
    const QString archive = m_dir.filePath("a.cab");
    ASSERT_EQ(cab(QString("-a \"%1\" \"%2/\" *.*").arg(archive, source)), CAB32_OK);
    putFile(m_target + "/a.txt", "old");
    EXPECT_EQ(extract(archive), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(m_target + "/a.txt"), QByteArray("old"));
    EXPECT_EQ(extract(archive, "-x -o -i"), CAB32_OK);
    EXPECT_EQ(testsupport::readBytes(m_target + "/a.txt"), QByteArray("new"));
    EXPECT_EQ(entriesOf(m_target), QStringList{"a.txt"});
}

TEST_F(Cab32Extract, NeverWritesThroughALinkInsideTheTarget)
{
    const QString source = m_dir.filePath("source");
    putFile(source + "/sub/a.txt", "x");
    const QString archive = m_dir.filePath("a.cab");
    ASSERT_EQ(cab(QString("-a -r \"%1\" \"%2/\" *.*").arg(archive, source)), CAB32_OK);
    const QString outside = m_dir.filePath("outside");
    QDir().mkpath(outside);
    QDir().mkpath(m_target);
    ASSERT_TRUE(QFile::link(outside, m_target + "/sub"));
    EXPECT_EQ(extract(archive, "-x -o"), CAB32_ERROR_UNSAFE_NAME);
    EXPECT_TRUE(entriesOf(outside).isEmpty());
}

TEST_F(Cab32Extract, SelectsFilesBySpec)
{
    const QString source = m_dir.filePath("source");
    putFile(source + "/a.txt", "a");
    putFile(source + "/b.csv", "b");
    putFile(source + "/sub/c.txt", "c");
    const QString archive = m_dir.filePath("s.cab");
    ASSERT_EQ(cab(QString("-a -r \"%1\" \"%2/\" *.*").arg(archive, source)), CAB32_OK);
    ASSERT_EQ(cab(QString("-x \"%1\" \"%2/\" *.TXT \"b.csv\"").arg(archive, m_target)), CAB32_OK);
    EXPECT_EQ(treeOf(m_target).size(), 3u);
    ASSERT_EQ(cab(QString("-x -o \"%1\" \"%2/\" \"sub/c.txt\"").arg(archive, m_dir.filePath("one"))), CAB32_OK);
    EXPECT_EQ(entriesOf(m_dir.filePath("one")), QStringList{"sub"});
}

TEST_F(Cab32Extract, DecodesATrailByteBeforeLookingForDotDot)
{
    ASSERT_EQ(extract(testdata("trail-byte-dotdot-name.cab")), CAB32_OK);
    EXPECT_EQ(testsupport::readBytes(m_target + "/表../ok.txt"), QByteArray("safe"));
}

TEST_F(Cab32Extract, ReportsMissingArchivesAndNonCabinets)
{
    EXPECT_EQ(extract(m_dir.filePath("missing.cab")), CAB32_ERROR_NOT_FOUND);
    EXPECT_EQ(extract(testdata("not-a-cabinet.cab")), CAB32_ERROR_NOT_ARCHIVE);
    EXPECT_FALSE(QFileInfo::exists(m_target));
}

TEST_P(Cab32HostileCabinet, FailsWithItsCodeAndWritesNothingOutside)
{
    const Hostile hostile = GetParam();
    const QStringList before = entriesOf(m_dir.path());
    EXPECT_EQ(extract(testdata(hostile.file), "-x -o -i"), hostile.code);
    QStringList after = entriesOf(m_dir.path());
    after.removeAll("target");
    EXPECT_EQ(after, before);
    EXPECT_FALSE(QFileInfo::exists("/tmp/evil.txt"));
    // Names are checked before anything is written.
    if (hostile.code == CAB32_ERROR_UNSAFE_NAME) {
        EXPECT_FALSE(QFileInfo::exists(m_target));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Testdata, Cab32HostileCabinet,
    ::testing::Values(Hostile{"dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME},
                      Hostile{"nested-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME},
                      Hostile{"absolute-name.cab", CAB32_ERROR_UNSAFE_NAME},
                      Hostile{"slash-absolute-name.cab", CAB32_ERROR_UNSAFE_NAME},
                      Hostile{"drive-letter-name.cab", CAB32_ERROR_UNSAFE_NAME},
                      Hostile{"truncated.cab", CAB32_ERROR_DAMAGED},
                      Hostile{"truncated-header.cab", CAB32_ERROR_DAMAGED},
                      Hostile{"bad-checksum.cab", CAB32_ERROR_DAMAGED}));

TEST(Cab32CheckArchive, TellsCabinetsFromEverythingElse)
{
    EXPECT_EQ(cabtest::checkArchive(testdata("dotdot-name.cab"), 1), 1);
    EXPECT_EQ(cabtest::checkArchive(testdata("bad-checksum.cab"), 1), 1);
    EXPECT_EQ(cabtest::checkArchive(testdata("bad-checksum.cab"), 2), 0);
    EXPECT_EQ(cabtest::checkArchive(testdata("truncated.cab"), 2), 0);
    EXPECT_EQ(cabtest::checkArchive(testdata("truncated-header.cab"), 1), 0);
    EXPECT_EQ(cabtest::checkArchive(testdata("not-a-cabinet.cab"), 1), 0);
    EXPECT_EQ(cabtest::checkArchive(QStringLiteral(TAMBERLOX_TESTDATA), 1), 0);
    EXPECT_EQ(cabtest::checkArchive(testdata("missing.cab"), 1), 0);
    EXPECT_EQ(CabCheckArchive(nullptr, 1), 0);
}
