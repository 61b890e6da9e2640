// Extraction with -x: a cabinet gcab wrote, our own Japanese names, and every
// hostile cabinet of testdata/, which must fail with its own code and write
// nothing outside the target folder.
#include "CabTestKit.h"
#include "TestSupport.h"
#include "cab32.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using cabtest::putFile;
using cabtest::treeOf;
using testsupport::entriesOf;

namespace {

QString testdata(const char* name)
{
    return QStringLiteral(TAMBERLOX_TESTDATA "/") + QLatin1String(name);
}

int extract(const QString& archive, const QString& target, const char* switches = "-x -i")
{
    return cabtest::cab(QString("%1 \"%2\" \"%3/\" *.*").arg(switches, archive, target));
}

} // namespace

TEST(Cab32Extract, ReadsWhatGcabWrites)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source"), archive = dir.filePath("gcab.cab");
    putFile(source + "/a.txt", cabtest::textBytes(100000));
    putFile(source + "/sub/b.bin", cabtest::randomBytes(70000, 5));
    putFile(source + "/sub/empty", {});
    QByteArray output;
    ASSERT_EQ(testsupport::runProgram("gcab", {"-c", "-z", archive, "a.txt", "sub/b.bin", "sub/empty"}, &output,
                                      source),
              0)
        << output.constData();
    EXPECT_EQ(CabCheckArchive(QFile::encodeName(archive).constData(), 2), 1);
    ASSERT_EQ(extract(archive, dir.filePath("target")), CAB32_OK);
    EXPECT_EQ(treeOf(dir.filePath("target")), treeOf(source));
}

// CP932 names are decoded before they are split at "\": 0x5C trail bytes
// stay in their character.
TEST(Cab32Extract, RestoresJapaneseNamesAndDatesAndWritesOnlyUnderTheTarget)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source"), target = dir.filePath("target"), archive = dir.filePath("o.cab");
    putFile(source + "/表/ソ能.txt", "0x5C trail bytes");
    putFile(source + "/😀.txt", "UTF-8 name");
    putFile(source + "/b.csv", "b");
    ASSERT_EQ(cabtest::cab(QString(R"(-a -r "%1" "%2/")").arg(archive, source)), CAB32_OK);
    EXPECT_TRUE(testsupport::readBytes(archive).contains("\x95\x5c\\\x83\x5c\x94\x5c.txt"));
    ASSERT_EQ(extract(archive, target), CAB32_OK);
    EXPECT_EQ(treeOf(target), treeOf(source));
    EXPECT_EQ(QFileInfo(target + "/表/ソ能.txt").lastModified(), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));
    putFile(target + "/😀.txt", "old");
    EXPECT_EQ(extract(archive, target), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(target + "/😀.txt"), QByteArray("old"));
    EXPECT_EQ(extract(archive, target, "-x -o -i"), CAB32_OK);
    EXPECT_EQ(treeOf(target), treeOf(source));
    // Patterns match ASCII letters without case; a name selects one file.
    ASSERT_EQ(cabtest::cab(QString(R"(-x "%1" "%2/" *.CSV "表/ソ能.txt")").arg(archive, dir.filePath("some"))), 0);
    EXPECT_EQ(treeOf(dir.filePath("some")).keys(), (QStringList{"b.csv", "表/ソ能.txt"}));
    // A link in the target leading out of it is never written through.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("outside")) && QDir(target).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(target) && QFile::link(dir.filePath("outside"), target + "/表"));
    EXPECT_EQ(extract(archive, target), CAB32_ERROR_UNSAFE_NAME);
    EXPECT_TRUE(entriesOf(dir.filePath("outside")).isEmpty());
}

// Every cabinet of testdata/: the code of -x, what CabCheckArchive says in
// modes 1 (headers) and 2 (every checksum), and what -x left. Names are
// checked before anything is written; a damaged cabinet stops at the
// damaged file.
TEST(Cab32Extract, EachHostileCabinetFailsWithItsCodeAndWritesNothingOutside)
{
    const struct {
        const char* file;
        int code;
        int mode1;
        int mode2;
        bool targetMade;
        QStringList written;
    } rows[] = {
        {"dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"nested-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"slash-absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"drive-letter-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"trail-byte-dotdot-name.cab", CAB32_OK, 1, 1, true, {"表../ok.txt"}},
        {"truncated.cab", CAB32_ERROR_DAMAGED, 1, 0, true, {}},
        {"truncated-header.cab", CAB32_ERROR_DAMAGED, 0, 0, false, {}},
        {"bad-checksum.cab", CAB32_ERROR_DAMAGED, 1, 0, true, {}},
        {"not-a-cabinet.cab", CAB32_ERROR_NOT_ARCHIVE, 0, 0, false, {}},
        {"missing.cab", CAB32_ERROR_NOT_FOUND, 0, 0, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        QTemporaryDir dir;
        const QString target = dir.filePath("target");
        EXPECT_EQ(extract(testdata(row.file), target, "-x -o -i"), row.code);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(testdata(row.file)).constData(), 1), row.mode1);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(testdata(row.file)).constData(), 2), row.mode2);
        EXPECT_EQ(treeOf(target).keys(), row.written);
        EXPECT_EQ(entriesOf(dir.path()), row.targetMade ? QStringList{"target"} : QStringList());
        EXPECT_FALSE(QFileInfo::exists("/tmp/evil.txt"));
    }
    EXPECT_EQ(CabCheckArchive(TAMBERLOX_TESTDATA, 1), 0);
    EXPECT_EQ(CabCheckArchive(nullptr, 1), 0);
}
