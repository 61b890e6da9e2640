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
    // Our own archive of the source folder.
    QString pack()
    {
        const QString archive = m_dir.filePath("ours.cab");
        EXPECT_EQ(cab(QString("-a -r -o \"%1\" \"%2/\" *.*").arg(archive, m_source)), CAB32_OK);
        return archive;
    }

    QTemporaryDir m_dir;
    QString m_source = m_dir.filePath("source");
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
    putFile(m_source + "/a.txt", cabtest::textBytes(100000));
    putFile(m_source + "/sub/b.bin", cabtest::randomBytes(70000, 5));
    putFile(m_source + "/sub/empty", {});
    QByteArray output;
    const QString archive = m_dir.filePath("gcab.cab");
    ASSERT_EQ(testsupport::runProgram("gcab", {"-c", "-z", archive, "a.txt", "sub/b.bin", "sub/empty"}, &output,
                                      m_source),
              0)
        << output.constData();
    EXPECT_EQ(cabtest::checkArchive(archive, 2), 1);
    ASSERT_EQ(extract(archive), CAB32_OK);
    EXPECT_EQ(treeOf(m_target), treeOf(m_source));
}

// CP932 names are decoded before they are split at "\": 0x5C trail bytes
// stay in their character.
TEST_F(Cab32Extract, RestoresOurOwnJapaneseNamesAndDatesReplacingOnlyWithO)
{
    putFile(m_source + "/表/ソ能.txt", "0x5C trail bytes");
    putFile(m_source + "/😀.txt", "UTF-8 name");
    const QString archive = pack();
    ASSERT_EQ(extract(archive), CAB32_OK);
    EXPECT_EQ(treeOf(m_target), treeOf(m_source));
    EXPECT_EQ(entriesOf(m_target), (QStringList{"表", "😀.txt"}));
    EXPECT_EQ(QFileInfo(m_target + "/表/ソ能.txt").lastModified(), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));

    putFile(m_target + "/😀.txt", "old");
    EXPECT_EQ(extract(archive), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(m_target + "/😀.txt"), QByteArray("old"));
    EXPECT_EQ(extract(archive, "-x -o -i"), CAB32_OK);
    EXPECT_EQ(treeOf(m_target), treeOf(m_source));

    ASSERT_EQ(extract(testdata("trail-byte-dotdot-name.cab")), CAB32_OK);
    EXPECT_EQ(testsupport::readBytes(m_target + "/表../ok.txt"), QByteArray("safe"));
}

TEST_F(Cab32Extract, SelectsFilesByPatternOrNameAndNeverWritesThroughALink)
{
    putFile(m_source + "/a.txt", "a");
    putFile(m_source + "/b.csv", "b");
    putFile(m_source + "/sub/c.txt", "c");
    const QString archive = pack();
    ASSERT_EQ(cab(QString("-x \"%1\" \"%2/\" *.TXT \"b.csv\"").arg(archive, m_target)), CAB32_OK);
    EXPECT_EQ(treeOf(m_target).size(), 3);
    ASSERT_EQ(cab(QString("-x -o \"%1\" \"%2/\" \"sub/c.txt\"").arg(archive, m_dir.filePath("one"))), CAB32_OK);
    EXPECT_EQ(treeOf(m_dir.filePath("one")).size(), 1);

    const QString outside = m_dir.filePath("outside");
    QDir().mkpath(outside);
    ASSERT_TRUE(QDir(m_target).removeRecursively() && QDir().mkpath(m_target));
    ASSERT_TRUE(QFile::link(outside, m_target + "/sub"));
    EXPECT_EQ(extract(archive, "-x -o"), CAB32_ERROR_UNSAFE_NAME);
    EXPECT_TRUE(entriesOf(outside).isEmpty());
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
    if (hostile.code != CAB32_ERROR_DAMAGED) {
        EXPECT_FALSE(QFileInfo::exists(m_target));
    }
}

INSTANTIATE_TEST_SUITE_P(Testdata, Cab32HostileCabinet,
                         ::testing::Values(Hostile{"dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME},
                                           Hostile{"nested-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME},
                                           Hostile{"absolute-name.cab", CAB32_ERROR_UNSAFE_NAME},
                                           Hostile{"slash-absolute-name.cab", CAB32_ERROR_UNSAFE_NAME},
                                           Hostile{"drive-letter-name.cab", CAB32_ERROR_UNSAFE_NAME},
                                           Hostile{"truncated.cab", CAB32_ERROR_DAMAGED},
                                           Hostile{"truncated-header.cab", CAB32_ERROR_DAMAGED},
                                           Hostile{"bad-checksum.cab", CAB32_ERROR_DAMAGED},
                                           Hostile{"not-a-cabinet.cab", CAB32_ERROR_NOT_ARCHIVE},
                                           Hostile{"missing.cab", CAB32_ERROR_NOT_FOUND}));

TEST(Cab32CheckArchive, TellsCabinetsFromEverythingElse)
{
    const std::pair<QString, int> cases[] = {
        {testdata("dotdot-name.cab"), 1}, {testdata("bad-checksum.cab"), 1}, {testdata("truncated-header.cab"), 0},
        {testdata("not-a-cabinet.cab"), 0}, {QStringLiteral(TAMBERLOX_TESTDATA), 0}, {testdata("missing.cab"), 0}};
    for (const auto& [path, result] : cases)
        EXPECT_EQ(cabtest::checkArchive(path, 1), result) << path.toStdString();
    // Mode 2 decompresses everything and verifies every checksum.
    EXPECT_EQ(cabtest::checkArchive(testdata("bad-checksum.cab"), 2), 0);
    EXPECT_EQ(cabtest::checkArchive(testdata("truncated.cab"), 2), 0);
    EXPECT_EQ(CabCheckArchive(nullptr, 1), 0);
}
